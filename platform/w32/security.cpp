#include "platform/w32/security.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <new>

#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/volume.h"

namespace w32 {

namespace {

constexpr BYTE kSidUser = 1;
constexpr BYTE kSidGroup = 2;
constexpr DWORD kMagic = 0x5352594C;  // "LYRS"
constexpr WORD kSelfRelative = 0x8000;

struct Sid {
  BYTE revision;  // 1
  BYTE kind;      // kSidUser or kSidGroup
  WORD reserved;
  DWORD id;
};
static_assert(sizeof(Sid) == 8);

struct Descriptor {
  BYTE revision;
  BYTE reserved;
  WORD control;
  DWORD magic;
  DWORD mode;
  DWORD information;
  Sid owner;
  Sid group;
  char path[1];  // the POSIX name, terminated; the record is as long as it needs
};

// The descriptor behind a pointer when it is of this layer's form, else null.
Descriptor* descriptor_of(PSECURITY_DESCRIPTOR pointer) {
  auto* descriptor = static_cast<Descriptor*>(pointer);
  return descriptor != nullptr && descriptor->magic == kMagic ? descriptor : nullptr;
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// Whether the drive of name (its first two characters are enough) has a volume that
// keeps security.
bool keeps_security(const char* name) {
  char root[4] = {0, ':', '\\', '\0'};
  if (name[0] != '\0' && name[1] == ':') {
    root[0] = name[0];
  } else if (name[0] == '\\' && name[1] == '\\') {
    return true;
  } else {
    char current[W32_PATH_CAPACITY];
    if (GetCurrentDirectoryA(sizeof current, current) == 0) return true;
    root[0] = current[0];
  }
  char file_system[16];
  if (!GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, file_system,
                             sizeof file_system))
    return true;
  return std::strcmp(file_system, "NTFS") == 0;
}

BOOL get_security(const char* name, const char* posix, SECURITY_INFORMATION information,
                  PSECURITY_DESCRIPTOR out, DWORD length, DWORD* needed) {
  if (!keeps_security(name)) return fail(ERROR_NOT_SUPPORTED);
  struct stat st;
  if (lstat(posix, &st) != 0) return fail(w32_error_from_errno(errno));
  std::size_t size = offsetof(Descriptor, path) + std::strlen(posix) + 1;
  if (needed != nullptr) *needed = static_cast<DWORD>(size);
  if (out == nullptr || length < size) return fail(ERROR_INSUFFICIENT_BUFFER);
  auto* descriptor = static_cast<Descriptor*>(out);
  std::memset(descriptor, 0, offsetof(Descriptor, path));
  descriptor->revision = 1;
  descriptor->control = kSelfRelative;
  descriptor->magic = kMagic;
  descriptor->mode = st.st_mode & 07777;
  descriptor->information = information;
  descriptor->owner = Sid{1, kSidUser, 0, static_cast<DWORD>(st.st_uid)};
  descriptor->group = Sid{1, kSidGroup, 0, static_cast<DWORD>(st.st_gid)};
  std::strcpy(descriptor->path, posix);
  return TRUE;
}

BOOL set_security(const char* posix, SECURITY_INFORMATION information,
                  PSECURITY_DESCRIPTOR pointer) {
  Descriptor* descriptor = descriptor_of(pointer);
  if (descriptor == nullptr) return fail(ERROR_INVALID_PARAMETER);
  uid_t owner = (information & OWNER_SECURITY_INFORMATION) != 0
                    ? static_cast<uid_t>(descriptor->owner.id)
                    : static_cast<uid_t>(-1);
  gid_t group = (information & GROUP_SECURITY_INFORMATION) != 0
                    ? static_cast<gid_t>(descriptor->group.id)
                    : static_cast<gid_t>(-1);
  if ((owner != static_cast<uid_t>(-1) || group != static_cast<gid_t>(-1)) &&
      ::chown(posix, owner, group) != 0)
    return fail(w32_error_from_errno(errno));
  if ((information & DACL_SECURITY_INFORMATION) != 0 && ::chmod(posix, descriptor->mode & 07777) != 0)
    return fail(w32_error_from_errno(errno));
  return TRUE;
}

template <typename Char>
BOOL named_get(const char* function, const Char* name, SECURITY_INFORMATION information,
               PSECURITY_DESCRIPTOR out, DWORD length, DWORD* needed) {
  if (w32_fault_hit(function, name)) return FALSE;
  if (name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path(name, posix, sizeof posix)) return FALSE;
  // Only the drive or UNC prefix of the name matters for its volume: ASCII in both forms.
  char prefix[3] = "";
  for (std::size_t i = 0; i < 2 && name[i] != 0; ++i) prefix[i] = static_cast<char>(name[i]);
  return get_security(prefix, posix, information, out, length, needed);
}

template <typename Char>
BOOL named_set(const char* function, const Char* name, SECURITY_INFORMATION information,
               PSECURITY_DESCRIPTOR descriptor) {
  if (w32_fault_hit(function, name)) return FALSE;
  if (name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path(name, posix, sizeof posix)) return FALSE;
  return set_security(posix, information, descriptor);
}

BOOL get_sid(PSECURITY_DESCRIPTOR pointer, bool owner, PSID* sid, BOOL* defaulted) {
  Descriptor* descriptor = descriptor_of(pointer);
  if (descriptor == nullptr || sid == nullptr) return fail(ERROR_INVALID_PARAMETER);
  *sid = owner ? &descriptor->owner : &descriptor->group;
  if (defaulted != nullptr) *defaulted = FALSE;
  return TRUE;
}

BOOL set_sid(PSECURITY_DESCRIPTOR pointer, bool owner, PSID sid) {
  Descriptor* descriptor = descriptor_of(pointer);
  auto* given = static_cast<const Sid*>(sid);
  if (descriptor == nullptr || given == nullptr || given->revision != 1)
    return fail(ERROR_INVALID_PARAMETER);
  (owner ? descriptor->owner : descriptor->group) = *given;
  return TRUE;
}

// Copies text into buffer of *size characters, or reports the size needed.
bool put_text(const char* text, char* buffer, DWORD* size) {
  DWORD needed = static_cast<DWORD>(std::strlen(text) + 1);
  bool fits = buffer != nullptr && *size >= needed;
  if (fits) std::memcpy(buffer, text, needed);
  *size = fits ? needed - 1 : needed;
  return fits;
}

// This machine's name, the domain of every account.
void machine_name(char (&host)[256]) {
  if (gethostname(host, sizeof host) != 0) host[0] = '\0';
  host[sizeof host - 1] = '\0';
}

BOOL put_account(const char* account, char* name, DWORD* name_size, char* domain,
                 DWORD* domain_size) {
  char host[256];
  machine_name(host);
  bool name_fits = put_text(account, name, name_size);
  bool domain_fits = put_text(host, domain, domain_size);
  return name_fits && domain_fits ? TRUE : fail(ERROR_INSUFFICIENT_BUFFER);
}

thread_local bool t_impersonating = false;

struct Token {
  W32HandleObject head;
  uid_t user;
  gid_t group;
};

void destroy_token(W32HandleObject* object) { delete reinterpret_cast<Token*>(object); }

}  // namespace

BOOL GetFileSecurityA(const char* name, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor, DWORD length, DWORD* needed) {
  return named_get("GetFileSecurityA", name, information, descriptor, length, needed);
}

BOOL GetFileSecurityW(const WCHAR* name, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor, DWORD length, DWORD* needed) {
  return named_get("GetFileSecurityW", name, information, descriptor, length, needed);
}

BOOL SetFileSecurityA(const char* name, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor) {
  return named_set("SetFileSecurityA", name, information, descriptor);
}

BOOL SetFileSecurityW(const WCHAR* name, SECURITY_INFORMATION information,
                      PSECURITY_DESCRIPTOR descriptor) {
  return named_set("SetFileSecurityW", name, information, descriptor);
}

BOOL GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID* owner, BOOL* defaulted) {
  return get_sid(descriptor, true, owner, defaulted);
}

BOOL GetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID* group, BOOL* defaulted) {
  return get_sid(descriptor, false, group, defaulted);
}

BOOL SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID owner, BOOL) {
  return set_sid(descriptor, true, owner);
}

BOOL SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID group, BOOL) {
  return set_sid(descriptor, false, group);
}

BOOL LookupAccountSidA(const char*, PSID sid, char* name, DWORD* name_size, char* domain,
                       DWORD* domain_size, SID_NAME_USE* use) {
  auto* given = static_cast<const Sid*>(sid);
  if (given == nullptr || name_size == nullptr || domain_size == nullptr || given->revision != 1)
    return fail(ERROR_INVALID_PARAMETER);
  char buffer[4096];
  if (given->kind == kSidUser) {
    passwd entry;
    passwd* found = nullptr;
    if (getpwuid_r(static_cast<uid_t>(given->id), &entry, buffer, sizeof buffer, &found) != 0 ||
        found == nullptr)
      return fail(ERROR_NONE_MAPPED);
    if (use != nullptr) *use = SidTypeUser;
    return put_account(found->pw_name, name, name_size, domain, domain_size);
  }
  group entry;
  group* found = nullptr;
  if (getgrgid_r(static_cast<gid_t>(given->id), &entry, buffer, sizeof buffer, &found) != 0 ||
      found == nullptr)
    return fail(ERROR_NONE_MAPPED);
  if (use != nullptr) *use = SidTypeGroup;
  return put_account(found->gr_name, name, name_size, domain, domain_size);
}

BOOL LookupAccountNameA(const char*, const char* account, PSID sid, DWORD* sid_size, char* domain,
                        DWORD* domain_size, SID_NAME_USE* use) {
  if (account == nullptr || sid_size == nullptr || domain_size == nullptr)
    return fail(ERROR_INVALID_PARAMETER);
  char buffer[4096];
  Sid made{1, kSidUser, 0, 0};
  passwd user;
  passwd* found_user = nullptr;
  group grp;
  group* found_group = nullptr;
  if (getpwnam_r(account, &user, buffer, sizeof buffer, &found_user) == 0 && found_user != nullptr) {
    made.id = static_cast<DWORD>(found_user->pw_uid);
  } else if (getgrnam_r(account, &grp, buffer, sizeof buffer, &found_group) == 0 &&
             found_group != nullptr) {
    made.kind = kSidGroup;
    made.id = static_cast<DWORD>(found_group->gr_gid);
  } else {
    return fail(ERROR_NONE_MAPPED);
  }
  bool sid_fits = sid != nullptr && *sid_size >= sizeof made;
  if (sid_fits) std::memcpy(sid, &made, sizeof made);
  *sid_size = sizeof made;
  char host[256];
  machine_name(host);
  bool domain_fits = put_text(host, domain, domain_size);
  if (!sid_fits || !domain_fits) return fail(ERROR_INSUFFICIENT_BUFFER);
  if (use != nullptr) *use = made.kind == kSidUser ? SidTypeUser : SidTypeGroup;
  return TRUE;
}

BOOL ImpersonateSelf(int) {
  t_impersonating = true;
  return TRUE;
}

BOOL OpenThreadToken(HANDLE, DWORD, BOOL, HANDLE* token) {
  if (token == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (!t_impersonating) return fail(ERROR_NO_TOKEN);
  Token* made = new (std::nothrow) Token{{destroy_token, 0}, geteuid(), getegid()};
  if (made == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY);
  HANDLE handle = w32_handle_open(&made->head, W32_HANDLE_TOKEN);
  if (handle == nullptr) {
    delete made;
    return FALSE;
  }
  *token = handle;
  return TRUE;
}

BOOL RevertToSelf() {
  t_impersonating = false;
  return TRUE;
}

BOOL AccessCheck(PSECURITY_DESCRIPTOR pointer, HANDLE token, DWORD desired, void*, void*,
                 DWORD*, DWORD* granted, BOOL* status) {
  Descriptor* descriptor = descriptor_of(pointer);
  if (descriptor == nullptr || granted == nullptr || status == nullptr)
    return fail(ERROR_INVALID_PARAMETER);
  W32HandleObject* held = w32_handle_acquire(token, W32_HANDLE_TOKEN);
  if (held == nullptr) return FALSE;
  w32_handle_release(held);
  int mode = 0;
  if ((desired & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL)) != 0) mode |= R_OK;
  if ((desired & (FILE_WRITE_DATA | FILE_APPEND_DATA | GENERIC_WRITE | GENERIC_ALL)) != 0)
    mode |= W_OK;
  if ((desired & (FILE_EXECUTE | GENERIC_EXECUTE | GENERIC_ALL)) != 0) mode |= X_OK;
  bool allowed = faccessat(AT_FDCWD, descriptor->path, mode == 0 ? F_OK : mode, AT_EACCESS) == 0;
  *status = allowed ? TRUE : FALSE;
  *granted = allowed ? desired : 0;
  if (!allowed) SetLastError(ERROR_ACCESS_DENIED);
  return TRUE;
}

}  // namespace w32
