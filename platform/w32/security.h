// File security in the stand-in's own terms: a file's owner, group and mode bits stand
// for its owner, group and access list. A security descriptor is self-relative, of this
// layer's own form (opaque to callers): the owner and group identifiers (SIDs holding a
// user or group id), the mode bits, and the POSIX name of the file it was read from, so
// that AccessCheck can ask the kernel. Accounts are looked up in the system's user and
// group databases; tokens are those of the calling thread's effective user and group.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

typedef DWORD SECURITY_INFORMATION;
typedef void* PSECURITY_DESCRIPTOR;
typedef void* PSID;

constexpr SECURITY_INFORMATION OWNER_SECURITY_INFORMATION = 0x1;
constexpr SECURITY_INFORMATION GROUP_SECURITY_INFORMATION = 0x2;
constexpr SECURITY_INFORMATION DACL_SECURITY_INFORMATION = 0x4;

constexpr DWORD ERROR_NO_TOKEN = 1008;

// Access rights that AccessCheck answers (read, write, execute), alone or as the generic
// rights.
constexpr DWORD FILE_READ_DATA = 0x1;
constexpr DWORD FILE_WRITE_DATA = 0x2;
constexpr DWORD FILE_APPEND_DATA = 0x4;
constexpr DWORD FILE_EXECUTE = 0x20;
constexpr DWORD GENERIC_EXECUTE = 0x20000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD TOKEN_ALL_ACCESS = 0xF01FF;

enum SID_NAME_USE { SidTypeUser = 1, SidTypeGroup = 2 };

// The descriptor of name into descriptor (length bytes): *needed gets its size; when it
// does not fit, ERROR_INSUFFICIENT_BUFFER (so that a first call without a buffer learns
// the size). ERROR_NOT_SUPPORTED on a drive whose volume is not "NTFS" (volume.h), and the
// path model's reasons.
BOOL GetFileSecurityA(const char* name, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor, DWORD length, DWORD* needed);
BOOL GetFileSecurityW(const WCHAR* name, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor, DWORD length, DWORD* needed);

// Sets what information names of descriptor on name: owner and group through chown
// (ERROR_ACCESS_DENIED when not allowed), the access list as the mode's permission bits.
BOOL SetFileSecurityA(const char* name, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor);
BOOL SetFileSecurityW(const WCHAR* name, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor);

// The owner and group SIDs of a descriptor (pointers into it), and their replacement.
BOOL GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID* owner, BOOL* defaulted);
BOOL GetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID* group, BOOL* defaulted);
BOOL SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID owner, BOOL defaulted);
BOOL SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID group, BOOL defaulted);

// The account of sid: its name and the domain (this machine's name), sizes in and out in
// characters with the terminator. ERROR_NONE_MAPPED for an unknown id,
// ERROR_INSUFFICIENT_BUFFER (with the sizes needed) when a text does not fit.
BOOL LookupAccountSidA(const char* system, PSID sid, char* name, DWORD* name_size, char* domain,
                       DWORD* domain_size, SID_NAME_USE* use);

// The SID of the user or group account (a user first): sid_size bytes in and out (8),
// the domain as LookupAccountSidA gives it.
BOOL LookupAccountNameA(const char* system, const char* account, PSID sid, DWORD* sid_size,
                        char* domain, DWORD* domain_size, SID_NAME_USE* use);

// Impersonation of the process by the calling thread: it only lets OpenThreadToken give
// a token (ERROR_NO_TOKEN without it), until RevertToSelf.
BOOL ImpersonateSelf(int level);
BOOL OpenThreadToken(HANDLE thread, DWORD access, BOOL open_as_self, HANDLE* token);
BOOL RevertToSelf();

// Whether token may have desired on the file the descriptor was read from, asked of the
// kernel with faccessat(AT_EACCESS) for read, write and execute. TRUE with *status the
// answer and *granted desired or 0; FALSE with ERROR_INVALID_PARAMETER for null pointers
// or a descriptor not of this layer, ERROR_INVALID_HANDLE for a bad token.
BOOL AccessCheck(PSECURITY_DESCRIPTOR descriptor, HANDLE token, DWORD desired,
                 void* generic_mapping, void* privileges, DWORD* privileges_length,
                 DWORD* granted, BOOL* status);

}  // namespace w32
