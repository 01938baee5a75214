// The active part: the part model features are built into, kept in the drawing's
// "ACTIVE_PART" slot so that reopening the drawing makes the same part active again.
#include <cstring>

#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/strutil.h"

VynMdl active_mdl;

namespace {

constexpr char kActivePartSlot[] = "ACTIVE_PART";

// Wide characters of the converted names that are compared with model names: more than
// any model name has, so a name that does not fit can match none.
constexpr int kWideNameRoom = 128;

}  // namespace

int YrlActiveModelSet(VynMdl model) {
  active_mdl = model;
  char name[YRL_MODEL_NAME_SIZE];
  YrlActiveModelNameGet(name);
  return YrlActiveStringSave(kActivePartSlot, name);
}

int YrlActiveModelGet(VynMdl* model) {
  if (model) *model = active_mdl;
  return active_mdl ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

void YrlActiveModelNameGet(char* name) {
  if (!name) return;
  name[0] = '\0';
  if (!active_mdl) return;
  VynName wide = {};
  if (VynMdlNameGet(active_mdl, wide) != VYN_TK_NO_ERROR) return;
  vek::wstostr_bounded(name, YRL_MODEL_NAME_SIZE, wide);
}

int YrlActiveModelNameSet(const char* name) {
  if (!name) return VYN_TK_BAD_INPUTS;
  VynWchar wanted[kWideNameRoom];
  bool fits = vek::strtows_bounded(wanted, kWideNameRoom, name) == 0;

  VynArray models = nullptr;
  int count = 0;
  VynError status = VynSessionMdlList(YRL_MDL_TYPE_PART, &models, &count);
  if (status != VYN_TK_NO_ERROR) return status;

  VynMdl match = nullptr;
  const VynMdl* list = static_cast<const VynMdl*>(models);
  for (int i = 0; fits && list && i < count; ++i) {
    VynName model_name = {};
    status = VynMdlNameGet(list[i], model_name);
    if (status != VYN_TK_NO_ERROR) break;
    if (VynUtilWstrcmp(model_name, wanted) == 0) {
      match = list[i];
      break;
    }
  }
  if (models) VynArrayFree(&models);
  if (status != VYN_TK_NO_ERROR) return status;
  return YrlActiveModelSet(match);
}

bool YrlCurrentModelIsDrawing() {
  VynMdl model = nullptr;
  if (VynMdlCurrentGet(&model) != VYN_TK_NO_ERROR) return false;
  int type = 0;
  return VynMdlTypeGet(model, &type) == VYN_TK_NO_ERROR && type == YRL_MDL_TYPE_DRAWING;
}

// The host calls this after it retrieves any model, parts included; registering the
// class in a part would save an empty class with every part.
int YrlActiveModelNameRetrieve(VynMdl) {
  if (!YrlCurrentModelIsDrawing()) return VYN_TK_E_NOT_FOUND;
  YrlActiveClassRegister();
  char name[YRL_MODEL_NAME_SIZE] = "";
  int status = YrlActiveStringRetrieve(kActivePartSlot, name, YRL_MODEL_NAME_SIZE);
  if (status == VYN_TK_NO_ERROR && name[0] != '\0') YrlActiveModelNameSet(name);
  return status;
}

int YrlModelRetrievePostActions(VynMdl model) { return YrlActiveModelNameRetrieve(model); }

VynError YrlPartHasFirstFeatAction(VynFeature* feature, VynError, void* app_data) {
  int type = -1;
  if (VynFeatureTypeGet(feature, &type) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  if (type != 0 && type != 917) return VYN_TK_NO_ERROR;
  *static_cast<int*>(app_data) = 1;
  return VYN_TK_E_FOUND;
}

int YrlPartHasFirstFeat(VynSolid part) {
  int found = 0;
  VynSolidFeatVisit(part, YrlPartHasFirstFeatAction, nullptr, &found);
  return found;
}

int YrlCheckModelinMemory(const VynWchar* name, int* flag) {
  if (flag) *flag = 0;
  if (!name) return VYN_TK_GENERAL_ERROR;
  char wanted[vek::wstostr_room(kWideNameRoom)];
  if (vek::wstostr_bounded(wanted, sizeof wanted, name) != 0) return VYN_TK_GENERAL_ERROR;
  VynUtilStringLower(wanted, wanted);

  VynArray models = nullptr;
  int count = 0;
  if (VynSessionMdlList(YRL_MDL_TYPE_PART, &models, &count) != VYN_TK_NO_ERROR) return VYN_TK_GENERAL_ERROR;
  int found = 0;
  const VynMdl* list = static_cast<const VynMdl*>(models);
  for (int i = 0; list && i < count && !found; ++i) {
    VynName model_name = {};
    if (VynMdlNameGet(list[i], model_name) != VYN_TK_NO_ERROR) continue;
    char narrow[vek::wstostr_room(sizeof model_name / sizeof model_name[0])];
    vek::wstostr_bounded(narrow, sizeof narrow, model_name);
    VynUtilStringLower(narrow, narrow);
    found = std::strcmp(narrow, wanted) == 0;
  }
  if (models) VynArrayFree(&models);
  if (!found) return VYN_TK_GENERAL_ERROR;
  if (flag) *flag = 1;
  return VYN_TK_NO_ERROR;
}
