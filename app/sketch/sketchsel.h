// The profile pick of a sketched feature: picked draft entities of one declared view
// made into sketch-entity records in view coordinates, and validated.
#pragma once

#include "app/feature/featinfo.h"

// The profile pick of the feature dialog; 0, or -1 after its message.
int YrlSketchSelect(YrlFeatInfo* info, const YrlDrawInfo* draw, YrlSketchValInfo* sketch);
// The pick itself: the selection dialog on chain picks, duplicates dropped.
int YrlSketchEntitiesSelect(VynArray* selections, int* count);
// 0 and the common view of the selections (the revolve axis's view for a revolve), -1
// when there is no view to compare with, -2 and the first view that differs.
int YrlSketchViewValidate(const YrlFeatInfo* info, const VynSelection* selections, int count, int* view_id);
// Tells why picks were refused by YrlSketchViewValidate's result (-1 an entity of no
// view, -2 two views), repaints and clears the message area; -1.
int YrlSketchViewRefusalShow(const YrlFeatInfo* info, int result);
// Fills one record per selection; -1 at the first selection without a model item.
int YrlSketchGetPointsFromSelection(const YrlDrawInfo* draw, const VynSelection* selections, int count,
                                    YrlSketchEntity* entities);
// Replaces the profile by copies of count selections, rebuilds its records and checks
// its view (the view id, or -1 / -2 as YrlSketchViewValidate); the record-building status.
int YrlSketchProfileSet(YrlFeatInfo* info, const VynSelection* selections, int count, int* view_result);
