#include "fileaccess/names/dci.h"

#include "fileaccess/core/pfadircache.h"
#include "platform/w32/crt.h"
#include "platform/w32/file.h"
#include "platform/w32/fileio.h"

namespace vek {

namespace {

// The call's result after the refresh of each name given.
template <typename T>
T refreshed(T result, const char* first, const char* second = nullptr) {
  if (first) pfa_file_name_update_dir_cache(first);
  if (second) pfa_file_name_update_dir_cache(second);
  return result;
}

}  // namespace

int dci_open(const char* name, int flags, int permission) {
  int descriptor = permission ? w32::_open(name, flags, permission) : w32::_open(name, flags);
  return refreshed(descriptor, (flags & w32::_O_CREAT) ? name : nullptr);
}

int dci_rename(const char* old_name, const char* new_name) {
  return refreshed(w32::rename(old_name, new_name), old_name, new_name);
}

int dci_unlink(const char* name) { return refreshed(w32::_unlink(name), name); }
int dci_mkdir(const char* name) { return refreshed(w32::_mkdir(name), name); }
int dci_rmdir(const char* name) { return refreshed(w32::_rmdir(name), name); }
w32::BOOL dci_DeleteFile(const char* name) { return refreshed(w32::DeleteFileA(name), name); }

w32::HANDLE dci_CreateFile(const char* name, w32::DWORD access, w32::DWORD share_mode,
                           w32::SECURITY_ATTRIBUTES* security, w32::DWORD disposition,
                           w32::DWORD flags, w32::HANDLE template_file) {
  w32::HANDLE handle =
      w32::CreateFileA(name, access, share_mode, security, disposition, flags, template_file);
  return refreshed(handle, disposition != w32::OPEN_EXISTING ? name : nullptr);
}

w32::BOOL dci_CreateDirectory(const char* name, w32::SECURITY_ATTRIBUTES* security) {
  return refreshed(w32::CreateDirectoryA(name, security), name);
}

w32::BOOL dci_CreateDirectoryEx(const char* template_directory, const char* name,
                                w32::SECURITY_ATTRIBUTES* security) {
  return refreshed(w32::CreateDirectoryExA(template_directory, name, security), name);
}

w32::BOOL dci_RemoveDirectory(const char* name) {
  return refreshed(w32::RemoveDirectoryA(name), name);
}

w32::BOOL dci_CopyFile(const char* source, const char* target, w32::BOOL fail_if_exists) {
  return refreshed(w32::CopyFileA(source, target, fail_if_exists), target);
}

w32::BOOL dci_MoveFile(const char* source, const char* target) {
  return refreshed(w32::MoveFileA(source, target), source, target);
}

w32::BOOL dci_MoveFileEx(const char* source, const char* target, w32::DWORD flags) {
  return refreshed(w32::MoveFileExA(source, target, flags), source, target);
}

}  // namespace vek
