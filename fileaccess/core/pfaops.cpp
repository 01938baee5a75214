#include "fileaccess/core/pfaops.h"

#include <cstring>
#include <initializer_list>

#include "fileaccess/backends/pfafs_stream.h"
#include "fileaccess/backends/pfu.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops_testing.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/system/appinfo.h"
#include "runtime/system/hostcache.h"
#include "runtime/text/strutil.h"

namespace vek {

namespace {

// This machine's name and its official name, each read once.
char local_name[64];
bool local_name_read;
char local_official[256];
bool local_official_read;

const char* official_name(const char* name, char* out, std::size_t size) {
  w32::hostent* entry = vyn_gethostbyname(name);
  if (!entry || !entry->h_name || std::strlen(entry->h_name) >= size) return nullptr;
  std::strcpy(out, entry->h_name);
  return out;
}

}  // namespace

const char* local_host_name() {
  if (!local_name_read) {
    local_name_read = true;
    if (!vyn_get_hostname(local_name, static_cast<int>(sizeof local_name))) local_name[0] = '\0';
  }
  return local_name;
}

int pfa_is_local(const VynFile* file) {
  if (!pfa_is_valid(file)) return -1;
  if (file->location_type != PFA_LOC_NONE && file->location_type != PFA_LOC_STD_FILESYSTEM)
    return 1;
  char host[32];
  if (pfa_get_host(file, host) != PFA_E_NO_ERROR || host[0] == '\0') return 1;
  local_host_name();
  if (local_name[0] && u_strcmp_func(host, local_name) == 0) return 1;
  if (host[1] == '\0') return 0;
  if (!local_official_read) {
    local_official_read = true;
    if (!local_name[0] || !official_name(local_name, local_official, sizeof local_official))
      local_official[0] = '\0';
  }
  char other[256];
  if (!local_official[0] || !official_name(host, other, sizeof other)) return 0;
  return u_strcmp_func(other, local_official) == 0 ? 1 : 0;
}

namespace {

// The application-data types of a handle, registered on first use.
int subtype_id = -1;
int index_id = -1;
int hints_id = -1;

struct ContentHints {
  VynWchar name[260];
  int dependency;
  int flags;
};

void free_hints(VynWord value) {
  void* block = reinterpret_cast<void*>(value);
  if (block) relmem(&block);
}

void copy_hints(VynWord value, VynWord* copy) {
  auto* from = reinterpret_cast<ContentHints*>(value);
  if (!from) {
    *copy = 0;
    return;
  }
  auto* to = static_cast<ContentHints*>(getmem(sizeof(ContentHints)));
  *to = *from;
  *copy = reinterpret_cast<VynWord>(to);
}

void after_hints_copy(VynWord, VynWord*, void* argument) {
  if (argument) pfaloc_call_F(static_cast<VynFile*>(argument), PfaSetContentHints);
}

int component_equal(const VynFile* a, const VynFile* b, int c, bool exact) {
  return exact ? pfas_component_strcmp(a, b, c) == 0 : pfas_component_u_strcmp(a, b, c) == 0;
}

bool host_is_here(const VynFile* file) {
  char host[32] = "";
  pfa_get_component(file, 0, host, 32);
  return !host[0] || u_strcmp_func(host, local_host_name()) == 0;
}

bool tracing_hints() { return is_run_mode(9998) || is_run_mode(7324468); }

}  // namespace

int file_subtype_pfa_app_id() {
  if (subtype_id < 0) subtype_id = appinfo_register_type(nullptr, nullptr, nullptr);
  return subtype_id;
}

int pfaidx_app_id() {
  if (index_id < 0) index_id = appinfo_register_type(nullptr, nullptr, nullptr);
  return index_id;
}

int pfa_content_hints_app_id() {
  if (hints_id < 0) hints_id = appinfo_register_type(free_hints, copy_hints, after_hints_copy);
  return hints_id;
}

int pfa_same_locations(const VynFile* a, const VynFile* b) {
  if (!pfa_is_valid(a) || !pfa_is_valid(b) || a->location_type != b->location_type) return 0;
  bool exact = pfaloc_call_F(const_cast<VynFile*>(a), PfaCaseSensitiveLoc) == 1;
  if (!component_equal(a, b, 2, exact) || !component_equal(a, b, 1, exact)) return 0;
  if (component_equal(a, b, 0, exact)) return 1;
  return a->location_type == PFA_LOC_STD_FILESYSTEM && host_is_here(a) && host_is_here(b) ? 1 : 0;
}

int compare_vyn_files(const VynFile* a, const VynFile* b) {
  if (!a || !b) return a ? 1 : b ? -1 : 0;
  if (a->location_type != b->location_type) return a->location_type < b->location_type ? -1 : 1;
  int c = std::memcmp(a->text, b->text, sizeof a->text);
  if (c) return c;
  return a->version - b->version;
}

int pfa_is_mounted(const VynFile* file) {
  return pfa_is_valid(file) && (file->flags & PFA_FLAG_MOUNTED) ? 1 : 0;
}

int pfa_set_mounted(VynFile* file, int on) {
  if (!pfa_is_valid(file)) return 0;
  if (on) file->flags |= PFA_FLAG_MOUNTED;
  else file->flags &= ~PFA_FLAG_MOUNTED;
  file->flags |= PFA_FLAG_MOUNTED_KNOWN;
  return 1;
}

int pfa_is_remote_mounted(VynFile* file) {
  if (!pfa_is_valid(file)) return 0;
  if (file->flags & PFA_FLAG_MOUNTED_KNOWN) return (file->flags & PFA_FLAG_MOUNTED) ? 1 : 0;
  return pfaloc_call_F(file, PfaIsRemoteMounted) == 1 ? 1 : 0;
}

namespace {

int set_flag(VynFile* file, std::uint32_t flag, int on) {
  if (!pfa_is_valid(file)) return 0;
  int was = (file->flags & flag) ? 1 : 0;
  if (on) file->flags |= flag;
  else file->flags &= ~flag;
  return was;
}

}  // namespace

int pfa_set_ui_hidden_flag(VynFile* file, int on) { return set_flag(file, PFA_FLAG_UI_HIDDEN, on); }
int pfa_get_ui_hidden_flag(const VynFile* file) {
  return pfa_is_valid(file) && (file->flags & PFA_FLAG_UI_HIDDEN) ? 1 : 0;
}
int pfa_set_generic_in_name(VynFile* file, int on) {
  return set_flag(file, PFA_FLAG_GENERIC_NAME, on);
}
int pfa_is_generic_in_name(const VynFile* file) {
  return pfa_is_valid(file) && (file->flags & PFA_FLAG_GENERIC_NAME) ? 1 : 0;
}

VynWord* pfa_find_appinfo(VynFile* file, int type, int create) {
  if (!pfa_is_valid(file)) return nullptr;
  return appinfo_find_info(&file->appinfo, type, create);
}

int pfa_set_file_subtype(VynFile* file, int subtype) {
  VynWord* value = pfa_find_appinfo(file, file_subtype_pfa_app_id(), 1);
  if (!value) return PFA_E_NOT_FOUND;
  *value = subtype;
  return PFA_E_NO_ERROR;
}

int pfa_get_file_subclass_quickly(VynFile* file, int* subtype) {
  if (!pfa_is_valid(file) || !subtype) return PFA_E_NOT_VALID;
  if (VynWord* value = pfa_find_appinfo(file, file_subtype_pfa_app_id(), 0)) {
    *subtype = static_cast<int>(*value);
    return PFA_E_NO_ERROR;
  }
  return pfaloc_call_FP(file, PfaQuickSubclassCheck, subtype) == 0 ? PFA_E_NO_ERROR
                                                                    : PFA_E_NOT_FOUND;
}

int pfa_set_content_hints(VynFile* file, const VynWchar* name, int dependency, int flags) {
  if (!pfa_is_valid(file)) return PFA_E_INVALID_INPUT;
  VynWord* value = pfa_find_appinfo(file, pfa_content_hints_app_id(), 1);
  if (!value) return PFA_E_CANT_OPEN;
  if (*value) dbg_print_info("pfa_set_content_hints", "overwriting existing data");
  else *value = reinterpret_cast<VynWord>(getmem(sizeof(ContentHints)));
  auto* hints = reinterpret_cast<ContentHints*>(*value);
  std::memset(hints->name, 0, sizeof hints->name);
  for (int i = 0; name && name[i] && i < 259; ++i) {
    VynWchar c = name[i];
    hints->name[i] = c >= u'A' && c <= u'Z' ? static_cast<VynWchar>(c - u'A' + u'a') : c;
  }
  hints->dependency = dependency;
  hints->flags = flags;
  if (tracing_hints())
    print_wide_info("pfa_set_content_hints", "setting %ws %d %d for %s", hints->name, dependency,
                   flags, file->text);
  pfaloc_call_F(file, PfaSetContentHints);
  return PFA_E_NO_ERROR;
}

int pfa_get_content_hints(VynFile* file, const VynWchar** name, int* dependency, int* flags) {
  if (!pfa_is_valid(file) || !name || !dependency || !flags) return PFA_E_INVALID_INPUT;
  VynWord* value = pfa_find_appinfo(file, pfa_content_hints_app_id(), 0);
  if (!value || !*value) {
    *name = nullptr;
    *dependency = 0;
    *flags = 0;
    if (tracing_hints()) dbg_print_info("pfa_get_content_hints", "clueless");
    return PFA_E_NOT_FOUND;
  }
  auto* hints = reinterpret_cast<ContentHints*>(*value);
  *name = hints->name[0] ? hints->name : nullptr;
  *dependency = hints->dependency;
  *flags = hints->flags;
  if (tracing_hints())
    print_wide_info("pfa_get_content_hints", "model %ws dep %d flags %d", hints->name,
                   hints->dependency, hints->flags);
  return PFA_E_NO_ERROR;
}

namespace {

bool stream_allowed(const VynFile* file) {
  return pfa_is_valid(file) && file->object_type != PFA_TYPE_DIRECTORY &&
         (file->location_type == PFA_LOC_STD_FILESYSTEM || file->location_type == PFA_LOC_STDIO);
}

}  // namespace

std::FILE* pfa_discouraged_get_stream(VynFile* file) {
  if (!stream_allowed(file)) return nullptr;
  std::FILE* stream = nullptr;
  pfafs_discouraged_get_stream(file, &file->location_slot, &stream);
  return stream;
}

int pfa_discouraged_put_stream(VynFile* file, std::FILE* stream) {
  if (!stream_allowed(file) || !stream || (file->flags & PFA_FLAG_OPEN)) return PFA_E_INVALID_INPUT;
  if (int failed = pfafs_discouraged_put_stream(file, stream, &file->location_slot)) return failed;
  file->flags |= PFA_FLAG_OPEN;
  return PFA_E_NO_ERROR;
}

VynFile* pfa_discouraged_gen_from_file(std::FILE* stream) {
  VynFile* file = nullptr;
  if (!stream || pfa_alloc_vyn_file(&file) != PFA_E_NO_ERROR) return nullptr;
  if (pfa_discouraged_put_stream(file, stream) != PFA_E_NO_ERROR) pfa_free_vyn_file(&file);
  return file;
}

int pfa_discouraged_rel_from_file(VynFile** file) {
  if (!file || !pfa_is_valid(*file)) {
    dbg_err_syserr("pfa_discouraged_rel_from_file", "NULL");
    return PFA_E_INVALID_INPUT;
  }
  // The stream stays open: only the record that held it goes.
  if ((*file)->location_slot) relmem(&(*file)->location_slot);
  (*file)->location_slot = nullptr;
  (*file)->flags &= ~PFA_FLAG_OPEN;
  return pfa_free_vyn_file(file);
}

int pfaloc_is_case_sensitive(VynFile* file) { return pfaloc_call_F(file, PfaCaseSensitiveLoc); }

int pfaloc_is_transient(VynFile* file) {
  int answer = pfaloc_call_F(file, PfaLocIsTransient);
  return answer == -1 ? 0 : answer;
}

int pfaloc_uses_instance_index(VynFile* file) { return pfaloc_call_F(file, PfaLocUsesInstIndex); }

int pfaloc_has_version_nums(VynFile* file) {
  if (!pfa_is_valid(file)) return 0;
  return pfaloc_call_F(file, PfaLocGetVersioning) == 0 ? 0 : 1;
}

int pfaloc_ugc_tag_control(VynFile* file, void* pointer) {
  if (!pfa_is_valid(file)) return 0;
  int answer = pfaloc_call_FP(file, PfaLocUGCTagControl, pointer);
  return answer == -1 || answer == -2 ? 0 : answer;
}

int pfa_choose_export_as_secondary(VynFile* file, void* first, void* second, void* third,
                                   void* fourth) {
  if (!pfa_is_valid(file) || !first || !second || !fourth) return 0;
  // A location without the method (-1) or one that names no message keeps the default.
  return pfaloc_call_FPPPP(file, PfaGet2ndContentMsg, first, second, third, fourth) > 0 ? 0 : 1;
}

int pfaloc_is_shell_compatible(const VynFile* file) {
  if (!pfa_is_valid(file)) return 0;
  if (file->location_type == PFA_LOC_STD_FILESYSTEM) return 1;
  if (file->location_type == PFA_LOC_UNC) return nt_can_have_unc_cwd();
  return 0;
}

int pfaloc_is_pdm_system(const VynFile* file) {
  if (!pfa_is_valid(file) || file->location_type != PFA_LOC_UNI_FILESYSTEM) return 0;
  char location[PFA_NAME_SIZE];
  if (pfa_get_location(file, location, nullptr) != PFA_E_NO_ERROR) return 0;
  for (const char* prefix : {"cwws:", "cwcs:", "omws:", "ompub:"}) {
    if (std::strncmp(location, prefix, std::strlen(prefix)) == 0) return 1;
  }
  return 0;
}

void pfaops_testing_reset() {
  local_name_read = false;
  local_official_read = false;
  subtype_id = index_id = hints_id = -1;
}

}  // namespace vek
