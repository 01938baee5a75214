// Building one feature of the active part, run by the feature commands.
#pragma once

// Runs the feature dialog for a feature type: 1 extrude, 2 revolve, 3 hole, 4 datum
// curve, 5 datum point, 6 datum plane, 7 datum axis, 8 coordinate system.
int YrlFeatureCreate(int feature_type);
