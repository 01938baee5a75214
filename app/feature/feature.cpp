#include "app/feature/feature.h"

#include "app/feature/featdlg.h"
#include "app/feature/featinfo.h"

// The run of a feature command: the record and its fills, the wizard that drives the
// profile, plane and depth picks, and what the run leaves behind.
int YrlFeatureCreate(int feature_type) {
  YrlFeatInfo info;
  int status = YrlFeatInfoBegin(&info, feature_type);
  if (status == 0) YrlFeatExtrusionDlg(&info);
  YrlFeatInfoEnd(&info);
  return status;
}
