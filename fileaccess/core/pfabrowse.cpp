// Directory display questions, answered by the directory's location.
#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/names/pfavers.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

constexpr int LOCATION_TYPE_COUNT = 12;

}  // namespace

int pfadir_get_allowed_disp_modes(VynFile* dir, void* modes, void* current) {
  if (!pfa_is_valid(dir)) return PFA_E_ERROR;
  return pfaloc_call_FPP(dir, PfaDirAllowedDispModes, modes, current);
}

int pfadir_get_num_detail_columns(VynFile* dir, void* count) {
  if (!pfa_is_valid(dir)) return PFA_E_NOT_VALID;
  return pfaloc_call_FP(dir, PfaDirNumDetailColumns, count);
}

int pfadir_get_column_info(VynFile* dir, void* a, int column, void* b, void* c, void* d,
                           void* e) {
  if (!pfa_is_valid(dir)) return PFA_E_NOT_VALID;
  return pfaloc_call_FPIPPPP(dir, PfaDirGetColumnInfo, a, column, b, c, d, e);
}

int pfadir_cleanup_entry_info(VynFile* dir, void* info) {
  if (!pfa_is_valid(dir)) return PFA_E_NOT_VALID;
  return pfaloc_call_FP(dir, PfaDirRlsEntryInfo, info);
}

int pfadir_has_detail_configs(VynFile* dir, void* a, void* b) {
  if (!pfa_is_valid(dir)) return 0;
  return pfaloc_call_FPP(dir, PfaDirHasDetailConfigs, a, b) == 1 ? 1 : 0;
}

int pfadir_set_detail_config(VynFile* dir, void* a, void* b) {
  if (!pfa_is_valid(dir)) return PFA_E_NOT_VALID;
  return pfaloc_call_FPP(dir, PfaDirSetDetailConfig, a, b);
}

void pfadir_free_det_config_data(VynWord* data) {
  if (!data) return;
  for (int type = 0; type < LOCATION_TYPE_COUNT; ++type) {
    if (data[type] && pfa_location_type_registered(type))
      pfaloc_call_P(type, PfaDirFreeDetailConfigData, reinterpret_cast<void*>(data[type]));
  }
}

int pfadir_get_entry_info(VynFile* entry, void* first, int a, int b, int c, void* p1, void* p2,
                          void* p3) {
  if (!pfa_is_valid(entry)) return PFA_E_NOT_VALID;
  return pfaloc_call_FLFIIIPPPP(entry, PfaDirGetEntryInfo, entry, a, b, c, first, p1, p2, p3);
}

int pfadir_get_detail_configs(VynFile* dir, void** names, void** data, void* a, void* b) {
  if (!pfa_is_valid(dir)) return PFA_E_NOT_VALID;
  if (!names || !data) return PFA_E_INVALID_INPUT;
  *names = xar_alloc(0, sizeof(void*), 4);
  *data = xar_alloc(0, sizeof(void*), 4);
  return pfaloc_call_FPPPP(dir, PfaDirGetDetailConfigs, names, data, a, b);
}

int pfadir_folder_contents_url(VynFile* dir, void* url) { return pfa_get_properties_url(dir, url); }

int pfa_top_parent_name(VynFile* file, void* out) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  int result = pfaloc_call_FP(file, PfaTopParentName, out);
  pfaum_top_parent_name(file, out, nullptr);
  return result;
}

int pfa_get_properties_url(VynFile* file, void* url) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  return pfaloc_call_FP(file, PfaGetPropertiesURL, url);
}

int pfa_get_browse_config_items(void* a, void* b, void* c) {
  for (int type = 0; type < LOCATION_TYPE_COUNT; ++type)
    if (pfa_location_type_registered(type)) pfaloc_call_PPP(type, PfaGetBrowserConfigVals, a, b, c);
  return PFA_E_NO_ERROR;
}

int pfa_get_top_level_folders(VynFile*** folders, void* argument) {
  if (!folders) return PFA_E_INVALID_INPUT;
  *folders = nullptr;
  auto* made = static_cast<VynFile**>(xar_alloc(0, sizeof(VynFile*), 8));
  if (!made) return PFA_E_NO_SPACE;
  for (int type = 0; type < LOCATION_TYPE_COUNT; ++type)
    if (pfa_location_type_registered(type)) pfaloc_call_PP(type, PfaTopLevelFolders, &made, argument);
  pfaum_top_level_folders(&made, argument);
  if (xar_count(&made) == 0) {
    xar_free(&made);
    return PFA_E_NOT_FOUND;
  }
  *folders = made;
  return PFA_E_NO_ERROR;
}

int pfa_get_browser_shortcuts(void* argument, char*** a, char*** b, char*** c) {
  if (!a || !b || !c) return PFA_E_INVALID_INPUT;
  char*** outs[] = {a, b, c};
  for (char*** out : outs) *out = static_cast<char**>(xar_alloc(0, sizeof(char*), 8));
  if (!*a || !*b || !*c) {
    for (char*** out : outs) xar_free(out);
    for (char*** out : outs) *out = nullptr;
    return PFA_E_NO_SPACE;
  }
  for (int type = 0; type < LOCATION_TYPE_COUNT; ++type)
    if (pfa_location_type_registered(type))
      pfaloc_call_PPPP(type, PfaGetBrowserShortcuts, argument, a, b, c);
  return PFA_E_NO_ERROR;
}

void pfa_free_folder_xarray(VynFile*** folders) {
  if (!folders || !*folders) return;
  int count = xar_count(folders);
  for (int i = 0; i < count; ++i) {
    VynFile*& folder = (*folders)[i];
    if (pfa_is_valid(folder) && (folder->flags & PFA_FLAG_OPEN)) pfa_close(folder);
    if (folder) pfa_free_vyn_file(&folder);
  }
  xar_free(folders);
  *folders = nullptr;
}

int pfa_get_ui_info(VynFile* file, VynFile* other, void* a, void* b, void* c, void* d) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  int result = pfaloc_call_FFPPPP(file, PfaGetUIInfo, other, a, b, c, d);
  if (other == file) pfaum_get_ui_info(file, a, b, c, d);
  return result;
}

}  // namespace vek
