// The registry: an in-process store of keys and values with the Win32 calls over it.
//
// Keys form a tree under the four predefined roots; a key path is a list of names
// separated by '\'. Key and value names are compared without regard to ASCII case and
// keep the spelling they were made with. A value keeps its type and its bytes exactly.
// Opened keys are handles that must be closed with RegCloseKey; a handle that is null,
// closed or was never given out is refused with ERROR_INVALID_HANDLE. Each handle
// carries the access it was opened with: reading a value needs KEY_QUERY_VALUE and
// writing one KEY_SET_VALUE (ERROR_ACCESS_DENIED otherwise); the roots allow both.
// Every call returns its result code and leaves GetLastError alone, as on Win32. Every
// Reg* call consults the fault facility (fault.h) under its own name, with its subkey or
// value name, and returns the armed code; an armed RegCloseKey closes all the same.
//
// Shared store: when the environment variable YRL_W32_REGISTRY names a file, that file
// is the store, shared by every process that names it. Each call loads the store from
// the file under a lock (flock: shared for a read, exclusive for a change) and a change
// writes it back before the lock is let go, so a value that one process sets is seen
// by the next call of any other. A missing file is an empty store; a file that cannot
// be read as a store gives ERROR_BADDB and is left as it is. Opened keys are kept by
// their path, so a key that another process's store no longer holds gives
// ERROR_KEY_DELETED. Without the variable the store lives in the process alone.
//
// The file is text, one record a line ("\n"):
//   YRL-W32-REGISTRY 1                      the first line
//   K <root>[\<key>\<key>...]               a key, made with the keys above it
//   X                                       the key of the last K line is volatile
//   V <type> <data> <name>                  a value of the key of the last K line
// <root> is HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or HKEY_USERS;
// <type> is decimal; <data> is the value's bytes in hexadecimal, or "-" when it has
// none; <name> runs to the end of the line and is empty for the default value. In key
// and value names, '%' and the bytes below 0x20 and 0x7F are written as %XX. A key name
// holding a '\' (as %5C) is no key name: the file is no store.
#pragma once

#include "platform/w32/error.h"
#include "platform/w32/security.h"
#include "platform/w32/types.h"

namespace w32 {

struct HKEY__;
typedef HKEY__* HKEY;
typedef DWORD REGSAM;

// The roots are the addresses of objects of the store, so that they are constants.
extern HKEY__ w32_hkey_classes_root;
extern HKEY__ w32_hkey_current_user;
extern HKEY__ w32_hkey_local_machine;
extern HKEY__ w32_hkey_users;
constexpr HKEY HKEY_CLASSES_ROOT = &w32_hkey_classes_root;
constexpr HKEY HKEY_CURRENT_USER = &w32_hkey_current_user;
constexpr HKEY HKEY_LOCAL_MACHINE = &w32_hkey_local_machine;
constexpr HKEY HKEY_USERS = &w32_hkey_users;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

constexpr DWORD ERROR_CHILD_MUST_BE_VOLATILE = 1021;

constexpr REGSAM KEY_QUERY_VALUE = 0x1;
constexpr REGSAM KEY_SET_VALUE = 0x2;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x4;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x8;
constexpr REGSAM KEY_NOTIFY = 0x10;
constexpr REGSAM KEY_CREATE_LINK = 0x20;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// A volatile key lasts until the system restarts, which for the store is
// registry_testing_restart; keys below a volatile key must be volatile as well.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1;

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens the existing key subkey below key with the access sam; a null or empty subkey
// opens key itself again (a root stays the root). ERROR_FILE_NOT_FOUND when a key on
// the path is missing, ERROR_INVALID_PARAMETER for a null result address or an empty
// name inside the path. *result is null after any failure it can be written to.
LONG RegOpenKeyExA(HKEY key, const char* subkey, DWORD options, REGSAM sam, HKEY* result);

// Opens subkey below key, making the keys of the path that are missing; *disposition
// (when given) tells REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. The keys it makes
// are volatile when options hold REG_OPTION_VOLATILE; a lasting key is not made below a
// volatile one (ERROR_CHILD_MUST_BE_VOLATILE). The class and the security are accepted
// and not kept. A null subkey is ERROR_INVALID_PARAMETER; an empty one opens key itself
// again.
LONG RegCreateKeyExA(HKEY key, const char* subkey, DWORD reserved, char* class_name, DWORD options,
                     REGSAM sam, void* security, HKEY* result, DWORD* disposition);

// Sets the value name (null or empty: the key's default value) to size bytes of data
// of the given type. Null data with a nonzero size: ERROR_INVALID_PARAMETER.
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);

// Reads the value name (null or empty: the default value). *type (when given) gets its
// type; with data null, *size (when given) gets its byte count; otherwise *size holds
// the room at data and gets the bytes copied, or, when the room is too small, the
// count needed with ERROR_MORE_DATA and nothing copied. ERROR_FILE_NOT_FOUND when the
// value does not exist; ERROR_INVALID_PARAMETER for a non-null reserved or data without
// size.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);

// Opens subkey as RegOpenKeyExA does, with full access.
LONG RegOpenKeyA(HKEY key, const char* subkey, HKEY* result);

// Opens subkey as RegCreateKeyExA does, with full access; a null subkey opens key
// itself again.
LONG RegCreateKeyA(HKEY key, const char* subkey, HKEY* result);

// Removes the value name (null or empty: the default value) of key, which needs
// KEY_SET_VALUE. ERROR_FILE_NOT_FOUND when there is no such value.
LONG RegDeleteValueA(HKEY key, const char* name);

// Removes the key subkey below key, which must have no keys below it (else
// ERROR_ACCESS_DENIED, as on NT); handles to it then give ERROR_KEY_DELETED.
// ERROR_FILE_NOT_FOUND when it does not exist, ERROR_INVALID_PARAMETER for a null or
// empty subkey (a key never removes itself).
LONG RegDeleteKeyA(HKEY key, const char* subkey);

// The name of the index-th key below key (KEY_ENUMERATE_SUB_KEYS needed) into name:
// *name_size holds the room and gets the length without the terminator;
// ERROR_MORE_DATA when the room is too small, ERROR_NO_MORE_ITEMS past the last key.
// The class and the time of last writing are not kept: an empty class, time 0.
LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* reserved,
                   char* class_name, DWORD* class_size, FILETIME* last_write);

// The index-th value of key (KEY_QUERY_VALUE needed): its name as RegEnumKeyExA gives a
// key's; its type, and its data as RegQueryValueExA gives them (data and data_size
// optional). ERROR_NO_MORE_ITEMS past the last value.
LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* data_size);

// Security descriptors, as far as the callers use them: a descriptor that grants every
// access (a present and null access list).
struct SECURITY_DESCRIPTOR {
  BYTE Revision;
  BYTE Sbz1;
  WORD Control;
  void* Owner;
  void* Group;
  void* Sacl;
  void* Dacl;
};
constexpr DWORD SECURITY_DESCRIPTOR_REVISION = 1;
constexpr WORD SE_DACL_PRESENT = 0x4;

// Makes *descriptor empty at revision (which must be SECURITY_DESCRIPTOR_REVISION; else
// FALSE with ERROR_INVALID_PARAMETER).
BOOL InitializeSecurityDescriptor(SECURITY_DESCRIPTOR* descriptor, DWORD revision);

// Sets the access list of descriptor; present with a null list grants every access,
// the only list the stand-in serves (a non-null list: FALSE with ERROR_NOT_SUPPORTED).
BOOL SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR* descriptor, BOOL present, void* dacl,
                               BOOL defaulted);

// Sets the security of key: the store grants every access to every process, so a
// descriptor whose access list is present and null is taken (and changes nothing); any
// other information or list is ERROR_NOT_SUPPORTED; a null descriptor
// ERROR_INVALID_PARAMETER; a bad handle ERROR_INVALID_HANDLE.
LONG RegSetKeySecurity(HKEY key, DWORD information, SECURITY_DESCRIPTOR* descriptor);

// Closes an opened key; closing a root does nothing and succeeds.
LONG RegCloseKey(HKEY key);

}  // namespace w32
