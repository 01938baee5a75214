// File-system calls that tell the directory cache about the change they make: each
// performs its call and then drops the cache entry of each name it changed, whether or
// not the call succeeded, and returns the call's own result.
#pragma once

#include "platform/w32/types.h"

namespace vek {

// _open; the permission is passed only when it is nonzero. Refreshes on a create.
int dci_open(const char* name, int flags, int permission);
int dci_rename(const char* old_name, const char* new_name);
int dci_unlink(const char* name);
int dci_mkdir(const char* name);
int dci_rmdir(const char* name);
w32::BOOL dci_DeleteFile(const char* name);
// Refreshes unless disposition is OPEN_EXISTING.
w32::HANDLE dci_CreateFile(const char* name, w32::DWORD access, w32::DWORD share_mode,
                           w32::SECURITY_ATTRIBUTES* security, w32::DWORD disposition,
                           w32::DWORD flags, w32::HANDLE template_file);
w32::BOOL dci_CreateDirectory(const char* name, w32::SECURITY_ATTRIBUTES* security);
w32::BOOL dci_CreateDirectoryEx(const char* template_directory, const char* name,
                                w32::SECURITY_ATTRIBUTES* security);
w32::BOOL dci_RemoveDirectory(const char* name);
w32::BOOL dci_CopyFile(const char* source, const char* target, w32::BOOL fail_if_exists);
w32::BOOL dci_MoveFile(const char* source, const char* target);
w32::BOOL dci_MoveFileEx(const char* source, const char* target, w32::DWORD flags);

}  // namespace vek
