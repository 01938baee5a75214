#include "fileaccess/names/pfavers.h"

#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/pfascan.h"
#include "fileaccess/names/pfavers_testing.h"
#include "runtime/diag/diag.h"

namespace vek {

int pfa_get_file_vers(VynFile* file, int rule, int* version) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!version) return PFA_E_INVALID_INPUT;
  if (rule == PFA_RULE_AS_NAMED) {
    *version = file->version;
    return PFA_E_NO_ERROR;
  }
  if (rule != PFA_RULE_HIGHEST && rule != PFA_RULE_NEXT) return PFA_E_INVALID_INPUT;
  int found = 0;
  if (pfaloc_call_FIP(file, PfaGetFileVersion, rule, &found) == PFA_E_NO_ERROR) {
    if (found < 0) return PFA_E_NOT_FOUND;
    *version = found;
    return PFA_E_NO_ERROR;
  }
  // The location keeps no versions of its own: they are read from the directory.
  VynFile* dir = extract_pfa_dir(file);
  char name[260];
  int result = PFA_E_NO_ACCESS;
  if (dir && pfa_get_file_name(file, 24, name) == PFA_E_NO_ERROR)
    result = pfa_get_file_vers_low(dir, name, rule, version, file->object_type, 0);
  pfa_free_vyn_file(&dir);
  return result;
}

namespace {

struct UiMgr {
  PfaUmTopLevelFolders top_level_folders;
  PfaUmTopParentName top_parent_name;
  PfaUmGetUiInfo get_ui_info;
  PfaUmMakeParent make_parent;
};
UiMgr ui_mgr;
bool ui_mgr_registered;

}  // namespace

int pfa_register_ui_mgr(PfaUmTopLevelFolders top_level_folders, PfaUmTopParentName top_parent_name,
                        PfaUmGetUiInfo get_ui_info, PfaUmMakeParent make_parent) {
  bool any = top_level_folders || top_parent_name || get_ui_info || make_parent;
  if (any && ui_mgr_registered) {
    dbg_err_crash("pfa_register_ui_mgr", "tried to register multiple ui mgrs");
    return 0;
  }
  ui_mgr = {top_level_folders, top_parent_name, get_ui_info, make_parent};
  ui_mgr_registered = any;
  return 1;
}

int pfaum_top_level_folders(void* array, void* argument) {
  if (ui_mgr.top_level_folders) ui_mgr.top_level_folders(array, argument);
  return 0;
}

int pfaum_top_parent_name(VynFile* file, void* a, void* b) {
  if (ui_mgr.top_parent_name) ui_mgr.top_parent_name(file, a, b);
  return 0;
}

int pfaum_get_ui_info(void* a, void* b, void* c, void* d, void* e) {
  if (ui_mgr.get_ui_info) ui_mgr.get_ui_info(a, b, c, d, e);
  return 0;
}

int pfaum_make_parent(VynFile* file, VynFile* parent) {
  return ui_mgr.make_parent ? ui_mgr.make_parent(file, parent) : PFA_E_NOT_FOUND;
}

void pfavers_testing_reset() {
  ui_mgr = {};
  ui_mgr_registered = false;
}

}  // namespace vek
