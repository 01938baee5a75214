#include "app/feature/featinfo.h"
#include "app/util/apputil.h"
#include "toolkit/api/app_api.h"

namespace {

// Highlights item in colour (-1: only takes the highlight away).
int item_highlight(const VynModelitem& item, int colour) {
  VynSelection sel = nullptr;
  int status = VynSelectionAlloc(nullptr, const_cast<VynModelitem*>(&item), &sel);
  if (status != VYN_TK_NO_ERROR) return status;
  status = VynSelectionUnhighlight(sel);
  if (colour != -1) status = VynSelectionHighlight(sel, colour);
  VynSelectionFree(&sel);
  return status;
}

}  // namespace

int YrlFeatSketchPlaneHighlight(YrlFeatInfo* info, int colour) {
  const VynModelitem& plane = info->sketch.use_found_plane ? info->sketch.found_plane : info->sketch.created_plane;
  return plane.id >= 1 ? item_highlight(plane, colour) : VYN_TK_NO_ERROR;
}

int YrlFeatRevAxisHighlight(YrlFeatInfo* info, int colour) {
  const YrlRevolveAxisInfo& a = info->rev_axis;
  return a.item.id >= 1 && a.flag ? item_highlight(a.item, colour) : VYN_TK_NO_ERROR;
}

int YrlFeatSketchExtentRefHighlight(YrlFeatInfo* info, int colour) {
  const YrlExtentInfo& x = info->extent;
  return x.reference.id >= 1 && x.surface_found ? item_highlight(x.reference, colour) : VYN_TK_NO_ERROR;
}

int YrlFeatPartPreviewWithFunc(VynMdl part, YrlFeatHighlightFunc highlight, YrlFeatInfo* info) {
  VynName name{};
  int status = VynMdlNameGet(part, name);
  int previous = -1;
  VynWindowCurrentGet(&previous);
  int window = -1;
  if (status == VYN_TK_NO_ERROR) status = VynAccessorywindowCreate(name, 2, &window);
  if (status == VYN_TK_NO_ERROR) status = VynMdlDisplay(part);
  if (status != VYN_TK_NO_ERROR) return status;
  VynWindowCurrentSet(previous);
  if (highlight != nullptr) highlight(info, 1);
  int ok = 0;
  OkCancelDialog("CLOSE WINDOW.", "Click the OK button to close model preview window.", &ok);
  if (ok) VynWindowDelete(window);
  return VYN_TK_NO_ERROR;
}

int YrlFeatPartPreview(YrlFeatInfo* info) { return YrlFeatPartPreviewWithFunc(info->part.part, nullptr, info); }
int YrlFeatPartPreviewSketchPlane(YrlFeatInfo* info) {
  return YrlFeatPartPreviewWithFunc(info->part.part, YrlFeatSketchPlaneHighlight, info);
}
int YrlFeatPartPreviewRevAxis(YrlFeatInfo* info) {
  return YrlFeatPartPreviewWithFunc(info->part.part, YrlFeatRevAxisHighlight, info);
}
int YrlFeatPartPreviewExtentRef(YrlFeatInfo* info) {
  return YrlFeatPartPreviewWithFunc(info->part.part, YrlFeatSketchExtentRefHighlight, info);
}
