#include "app/feature/feature.h"

#include "app/feature/featinfo.h"

// The run of a feature command: the record, its fills, and what the run leaves behind.
// The dialog that drives the profile, plane and depth picks comes in between.
int YrlFeatureCreate(int feature_type) {
  YrlFeatInfo info;
  int status = YrlFeatInfoBegin(&info, feature_type);
  YrlFeatInfoEnd(&info);
  return status;
}
