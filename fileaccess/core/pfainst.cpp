#include "fileaccess/core/pfainst.h"

#include <cstdarg>
#include <cstring>
#include <initializer_list>

#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfainst_testing.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/system/appinfo.h"
#include "runtime/text/strutil.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

constexpr int kText = 260;
constexpr int kEntryStep = 10;

NdListPropsFunc list_props_func;
NdListInstsFunc list_insts_func;
NdPropInstFunc prop_inst_func;
NdFreeInstFunc free_inst_func;
NdSearchGetPathFunc vyn_search_get_path_func;

bool making_instances;
VynWchar from_inst_name[kText];
VynWchar from_temp_name[kText];
VynWchar from_top_gen_path[kText];

char chk_name[kText];
VynWchar tmp_name[kText];
VynWord p_new_solid;

// Appinfo types of the two records, registered on first use (-1 before).
int ndimport_appid = -1;
int ndexport_appid = -1;

struct NdExportRecord {
  VynFile* file;     // private copy of the handle the data goes to
  VynWord* entries;  // growable array (step 10)
};

// Copies a wide text of at most 259 characters (null as empty); false when too long.
bool fits(const VynWchar* text) { return !text || wslen(text) < kText; }
void store(VynWchar* to, const VynWchar* text) {
  if (text) wscpy(to, text); else to[0] = 0;
}

void free_import(VynWord value) { ndimport_free(reinterpret_cast<NdImportRecord*>(value)); }

void free_export(VynWord value) {
  auto* record = reinterpret_cast<NdExportRecord*>(value);
  if (!record) return;
  int count = xar_count(&record->entries);
  if (count > 0) pfaloc_call_FIP(record->file, PfaPutNeutralData, count, record->entries);
  xar_free(&record->entries);
  pfa_free_vyn_file(&record->file);
  rlsmem(record);
}

int import_appid() {
  if (ndimport_appid < 0) ndimport_appid = appinfo_register_type(free_import, nullptr, nullptr);
  return ndimport_appid;
}

int export_appid() {
  if (ndexport_appid < 0) ndexport_appid = appinfo_register_type(free_export, nullptr, nullptr);
  return ndexport_appid;
}

// The workspace and common-space paths from the path hook; false unless both came.
bool get_spaces(VynWchar* workspace, VynWchar* commonspace) {
  if (!vyn_search_get_path_func) return false;
  workspace[0] = commonspace[0] = 0;
  if (!vyn_search_get_path_func(u"PDM_WORKSPACE", workspace) ||
      !vyn_search_get_path_func(u"PDM_COMMONSPACE", commonspace))
    return false;
  // A hook that wrote past its text is not trusted.
  workspace[kText - 1] = commonspace[kText - 1] = 0;
  return workspace[0] && commonspace[0];
}

bool begins_with(const VynWchar* text, const VynWchar* prefix) {
  return wu_strncmp(text, prefix, wslen(prefix)) == 0;
}

// The file's location as wide text; false when it has none that can be read.
bool wide_location(const VynFile* file, VynWchar* out) {
  char location[kText];
  if (pfa_get_location(file, location, nullptr) != PFA_E_NO_ERROR) return false;
  return strtows_bounded(out, kText, location) == 0;
}

// Which space (1 workspace, 2 common space, 0 neither) the file's location lies in.
int space_of(const VynFile* file, VynWchar* workspace, VynWchar* commonspace) {
  VynWchar location[kText];
  if (!get_spaces(workspace, commonspace) || !wide_location(file, location)) return 0;
  if (begins_with(location, workspace)) return 1;
  if (begins_with(location, commonspace)) return 2;
  return 0;
}

// The family name of an instance file: the file's base name with the top generic's
// base name as its generic ("inst<generic>"), or the base name alone when there is no
// generic or the two are equal. False when it does not fit.
bool family_name(const VynFile* file, char* out) {
  if (pfa_get_name(file, out) != PFA_E_NO_ERROR) return false;
  if (!from_top_gen_path[0]) return true;
  VynFile* generic = pfa_alloc_wfile(from_top_gen_path);
  char generic_name[kText] = "";
  bool named = generic && pfa_get_name(generic, generic_name) == PFA_E_NO_ERROR;
  pfa_free_vyn_file(&generic);
  if (!named || !generic_name[0] || u_strcmp_func(generic_name, out) == 0) return true;
  std::size_t n = std::strlen(out), g = std::strlen(generic_name);
  if (n + g + 3 > kText) return false;
  out[n] = '<';
  std::memcpy(out + n + 1, generic_name, g);
  out[n + 1 + g] = '>';
  out[n + 2 + g] = '\0';
  return true;
}

// The handle for an instance file (made while instance names are set up): the instance
// name parsed, or a copy of the file, named after the file and of its plain type.
VynFile* instance_handle(VynFile* file) {
  VynFile* handle = from_inst_name[0] ? pfa_alloc_wfile(from_inst_name) : pfa_make_copy(file);
  if (!handle) return nullptr;
  int type = file->object_type;
  char name[kText];
  bool named;
  if (type == 10016 || type == 10017) {
    named = family_name(file, name);
    type = type == 10016 ? 1 : 2;
  } else {
    named = pfa_get_name(file, name) == PFA_E_NO_ERROR;
  }
  if (!named || pfa_put_name(handle, name) != PFA_E_NO_ERROR ||
      pfa_put_obj_type(handle, type) != PFA_E_NO_ERROR) {
    pfa_free_vyn_file(&handle);
    return nullptr;
  }
  adjust_instance_location(handle);
  return handle;
}

// The record's name: the file's base name (or the temporary name) and its extension.
bool record_name(const VynFile* file, const VynWchar* temporary, char* out) {
  if (!temporary || !temporary[0])
    return pfa_get_file_name(file, PFA_MASK_NAME | PFA_MASK_EXTENSION, out) == PFA_E_NO_ERROR;
  char extension[32];
  if (wstostr_bounded(out, kText, temporary) ||
      pfa_get_extension(file, extension) != PFA_E_NO_ERROR)
    return false;
  if (!extension[0]) return true;
  std::size_t n = std::strlen(out), e = std::strlen(extension);
  if (n + e + 2 > kText) return false;
  out[n] = '.';
  std::memcpy(out + n + 1, extension, e + 1);
  return true;
}

}  // namespace

void ndreg_bind_capi_calls(NdListPropsFunc list_props, NdListInstsFunc list_insts,
                           NdPropInstFunc prop_inst, NdFreeInstFunc free_inst,
                           NdSearchGetPathFunc search_get_path) {
  list_props_func = list_props;
  list_insts_func = list_insts;
  prop_inst_func = prop_inst;
  free_inst_func = free_inst;
  vyn_search_get_path_func = search_get_path;
}

int set_making_instance_names(const VynWchar* instance, const VynWchar* temporary,
                              const VynWchar* top_generic) {
  if (!fits(instance) || !fits(temporary) || !fits(top_generic)) return 0;
  bool any = instance || temporary || top_generic;
  if (any && making_instances) dbg_err_crash("set_making_instance_names", "already set up");
  store(from_inst_name, instance);
  store(from_temp_name, temporary);
  store(from_top_gen_path, top_generic);
  making_instances = any;
  return 1;
}

int making_instance_names(VynWchar* instance, VynWchar* temporary, VynWchar* top_generic) {
  if (instance) wscpy(instance, from_inst_name);
  if (temporary) wscpy(temporary, from_temp_name);
  if (top_generic) wscpy(top_generic, from_top_gen_path);
  int was = making_instances ? 1 : 0;
  making_instances = false;
  return was;
}

int set_replaced_model_tmp_name(const char* name, const VynWchar* temporary) {
  if (!name || !temporary || std::strlen(name) >= kText || !fits(temporary)) return 0;
  std::strcpy(chk_name, name);
  wscpy(tmp_name, temporary);
  return 1;
}

int get_replaced_model_tmp_name(const char* name, VynWchar* out) {
  if (!name || !chk_name[0] || u_strcmp_func(name, chk_name) != 0) return PFA_E_INVALID_NAME;
  if (out) wscpy(out, tmp_name);
  return PFA_E_NO_ERROR;
}

void reset_replaced_model_tmp_name() {
  chk_name[0] = '\0';
  tmp_name[0] = 0;
  p_new_solid = 0;
}

int is_replaced_model_tmp_name_set() { return chk_name[0] ? 1 : 0; }
VynWord get_p_new_solid() { return p_new_solid; }
void set_p_new_solid(VynWord value) { p_new_solid = value; }

int find_alternate_fam_member_location(const VynFile* file, VynFile* out) {
  if (!pfa_is_valid(file) || !pfa_is_valid(out)) return 0;
  VynWchar workspace[kText], commonspace[kText];
  int space = space_of(file, workspace, commonspace);
  if (!space) return 0;
  char other[wstostr_room(kText)];
  if (wstostr_bounded(other, sizeof other, space == 1 ? commonspace : workspace)) return 0;
  if (pfa_copy_vyn_file(file, out) != PFA_E_NO_ERROR) return 0;
  return pfa_put_location(out, other, -1) == PFA_E_NO_ERROR ? 1 : 0;
}

int adjust_instance_location(VynFile* file) {
  if (!pfa_is_valid(file)) return 0;
  VynWchar workspace[kText], commonspace[kText];
  if (!space_of(file, workspace, commonspace)) return 0;
  VynFile* saved = pfa_make_copy(file);
  if (!saved) return 0;
  for (int c = 0; c < PFA_COMP_BASE_NAME; ++c) pfa_put_component_len(file, c, "", 0, 0);
  int found = 0;
  for (VynWchar* space : {workspace, commonspace}) {
    if (pfaloc_call_FPP(file, PfaLibrarySearch, space, nullptr) == PFA_E_NO_ERROR) {
      found = 1;
      break;
    }
  }
  if (!found) pfa_copy_location(saved, file);
  pfa_free_vyn_file(&saved);
  return found;
}

int pfa_import_neutral_data(VynFile* file) { return pfa_import_neutral_data_low(file, -1); }

int pfa_import_neutral_data_low(VynFile* file, int kind) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (appinfo_find_info_low(file->appinfo, import_appid()) >= 0) return PFA_E_NO_ERROR;
  int status = PFA_E_NO_ERROR;
  NdImportRecord* record = ndimport_make(file, kind, &status);
  if (record) {
    VynWord* slot = appinfo_find_info(&file->appinfo, import_appid(), 1);
    if (slot) *slot = reinterpret_cast<VynWord>(record); else ndimport_free(record);
  }
  return status;
}

NdImportRecord* ndimport_make(VynFile* file, int kind, int* status) {
  int ignored;
  if (!status) status = &ignored;
  *status = PFA_E_NO_ERROR;
  if (!pfa_is_valid(file) || !list_props_func) return nullptr;
  NdImportProps props = {};
  if (!list_props_func(file->object_type, kind, &props)) return nullptr;

  VynFile* separate = nullptr;
  const VynWchar* temporary = nullptr;
  if (making_instance_names(nullptr, nullptr, nullptr)) {
    separate = instance_handle(file);
    temporary = from_temp_name;
  } else if (chk_name[0]) {
    char base[kText];
    if (pfa_get_name(file, base) == PFA_E_NO_ERROR && u_strcmp_func(base, chk_name) == 0) {
      separate = pfa_make_copy(file);
      temporary = tmp_name;
    }
  }
  VynFile* asked = separate ? separate : file;
  NdImportRecord* record = nullptr;
  if (pfaloc_supports_method(asked, PfaGetNeutralData)) {
    VynWord* entries = static_cast<VynWord*>(xar_alloc(0, sizeof(VynWord), kEntryStep));
    *status = pfaloc_call_FIPPP(asked, PfaGetNeutralData, kind, &entries, &props,
                                const_cast<VynWchar*>(separate ? temporary : nullptr));
    if (*status == PFA_E_NO_ERROR && xar_count(&entries) > 0) {
      record = static_cast<NdImportRecord*>(getmem(sizeof(NdImportRecord)));
      record->object_type = file->object_type;
      if (!record_name(file, separate ? temporary : nullptr, record->name)) record->name[0] = '\0';
      record->entries = entries;
    } else {
      xar_free(&entries);
    }
  }
  pfa_free_vyn_file(&separate);
  return record;
}

void ndimport_free(NdImportRecord* record) {
  if (!record) return;
  int count = xar_count(&record->entries);
  if (prop_inst_func) {
    prop_inst_func(count, reinterpret_cast<VynWord>(record->entries), record->object_type,
                   reinterpret_cast<VynWord>(record->name), -3, 0);
  }
  if (free_inst_func) {
    for (int i = 0; i < count; ++i) free_inst_func(record->entries[i]);
  }
  xar_free(&record->entries);
  rlsmem(record);
}

int pfa_get_neutral_data(VynFile* file, int* count, VynWord** entries) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!count || !entries) return PFA_E_INVALID_INPUT;
  VynWord* slot = appinfo_find_info(&file->appinfo, import_appid(), 0);
  auto* record = slot ? reinterpret_cast<NdImportRecord*>(*slot) : nullptr;
  *entries = record ? record->entries : nullptr;
  *count = xar_count(entries);
  return PFA_E_NO_ERROR;
}

int pfa_put_neutral_data(VynFile* file, int count, const VynWord* entries) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (count > 0 && !entries) return PFA_E_INVALID_INPUT;
  if (count <= 0 || !pfaloc_supports_method(file, PfaPutNeutralData)) return PFA_E_NO_ERROR;
  VynFile* copy = pfa_make_copy(file);
  if (!copy) return PFA_E_OUT_OF_MEMORY;
  // The former record goes without exporting: its entries are replaced.
  if (VynWord* former = appinfo_find_info(&file->appinfo, export_appid(), 0)) {
    auto* record = reinterpret_cast<NdExportRecord*>(*former);
    if (record) xar_free(&record->entries);
    appinfo_free_one_info(&file->appinfo, export_appid());
  }
  auto* record = static_cast<NdExportRecord*>(getmem(sizeof(NdExportRecord)));
  record->file = copy;
  array_to_xarray(entries, count, sizeof(VynWord), kEntryStep, &record->entries);
  VynWord* slot = appinfo_find_info(&file->appinfo, export_appid(), 1);
  if (!slot) {
    xar_free(&record->entries);
    free_export(reinterpret_cast<VynWord>(record));
    return PFA_E_ERROR;
  }
  *slot = reinterpret_cast<VynWord>(record);
  return PFA_E_NO_ERROR;
}

int pfa_export_neutral_data(VynFile* file) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  appinfo_free_one_info(&file->appinfo, export_appid());
  return PFA_E_NO_ERROR;
}

int mavrel_list_instantiators(VynWord a, VynWord b, VynWord c, VynWord d) {
  return list_insts_func ? list_insts_func(a, b, c, d) : 0;
}

int mavrel_call_propagator(VynWord a, VynWord b, VynWord c, VynWord d, VynWord e, VynWord f) {
  return prop_inst_func ? prop_inst_func(a, b, c, d, e, f) : 0;
}

const char* trp_pfa_printf(VynWord, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const char* text = format ? vyn_vsprintf(nullptr, format, args) : nullptr;
  va_end(args);
  return text;
}

void pfainst_testing_reset() {
  ndreg_bind_capi_calls(nullptr, nullptr, nullptr, nullptr, nullptr);
  making_instances = false;
  from_inst_name[0] = from_temp_name[0] = from_top_gen_path[0] = 0;
  reset_replaced_model_tmp_name();
  // The appinfo registry is reset beside this module.
  ndimport_appid = ndexport_appid = -1;
}

}  // namespace vek
