// Drawing and part information: what the current drawing and the active part are, read
// once at the start of a feature command.
#include <cstring>

#include "app/parts/partinfo.h"
#include "app/menus/app_init.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"

namespace {

// Tells the user that the sheet's transform could not be got (or its scale read) with
// the status.
void transform_failed(const YrlDrawInfo& info, int status) {
  char size[vek::wstostr_room(sizeof info.sheet_size / sizeof info.sheet_size[0])];
  vek::wstostr_bounded(size, sizeof size, info.sheet_size);
  VynMessageDisplay(YrlMsgFile, "YRLFORM INFO %0s %1s %2s %3d", "Sheet size:", size,
                    "Sheet Number", &info.sheet);
  VynMessageDisplay(YrlMsgFile, "YRL_TRANS_MATRIX_GET_FAILED", &status);
}

// The drawing and its sheet's transform; stops at the first failure.
int drawing_read(YrlDrawInfo& info) {
  int status = VynMdlCurrentGet(&info.drawing);
  if (status == VYN_TK_NO_ERROR) status = VynDrawingCurrentSheetGet(info.drawing, &info.sheet);
  if (status == VYN_TK_NO_ERROR) status = VynMdlNameGet(info.drawing, info.name);
  if (status != VYN_TK_NO_ERROR) return status;
  char name[vek::wstostr_room(sizeof info.name / sizeof info.name[0])];
  vek::wstostr_bounded(name, sizeof name, info.name);
  if (name[0] == '\0') return VYN_TK_GENERAL_ERROR;
  return VynDrawingSheetTrfGet(info.drawing, info.sheet, info.sheet_size, info.sheet_trf);
}

}  // namespace

int YrlDrawInfoFill(YrlDrawInfo* info) {
  if (!info) return VYN_TK_BAD_INPUTS;
  int status = drawing_read(*info);
  if (status != VYN_TK_NO_ERROR) {
    transform_failed(*info, status);
    return status;
  }

  // A drawing without a stored scale is drawn at scale 1; a scale near 0 is not used.
  double scale = 1.0;
  int scale_status = YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale);
  if (scale_status == VYN_TK_NO_ERROR) {
    if (!IsYrlDoubleSame(scale, 0.0, 0.01)) {
      for (int i = 0; i < 3; ++i) info->sheet_trf[i][i] = info->sheet_trf[i][i] / scale;
    }
  } else if (scale_status != VYN_TK_E_NOT_FOUND) {
    transform_failed(*info, scale_status);
  }

  status = VynWindowCurrentGet(&info->window);
  if (status != VYN_TK_NO_ERROR) return status;

  info->view_count = 0;
  status = YrlViewSetupFindNoOfViews(&info->view_count, nullptr, nullptr);
  if (info->view_count < 1) {
    ErrorDialog("PARTMODEL ERROR", "No VIEWS defined for this drawing. \n\n Use Yrlform View Setup dialog.\n");
    return VYN_TK_GENERAL_ERROR;
  }
  return status;
}

int YrlPartInfoFill(YrlPartInfo* info) {
  if (!info) return VYN_TK_BAD_INPUTS;
  int status = YrlActiveModelGet(&info->part);
  if (status == VYN_TK_NO_ERROR) status = VynMdlNameGet(info->part, info->name);
  info->model_type = YRL_MDL_TYPE_PART;

  info->datums_found = 0;
  if (status == VYN_TK_NO_ERROR) {
    info->datums_found = YrlDatumFindByName(info->part, "FRONT", &info->front) &&
                         YrlDatumFindByName(info->part, "TOP", &info->top) &&
                         YrlDatumFindByName(info->part, "RIGHT", &info->right);
  }
  if (status != VYN_TK_NO_ERROR || !info->datums_found) {
    ErrorDialog("FEATURE ERROR", "No PART MODEL has been initialized. \n\n Use Yrlform New Part dialog.\n");
    return VYN_TK_GENERAL_ERROR;
  }
  info->has_first_feature = YrlPartHasFirstFeat(info->part);
  return VYN_TK_NO_ERROR;
}
