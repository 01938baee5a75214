// Test access to the sketch-plane module's state.
#pragma once

#include "toolkit/api/host_base_types.h"

extern VynMdl yrl_sketch_temp_part;
extern int yrl_sketch_temp_type;

// Forgets the recorded run.
inline void YrlSketchPlaneTestingReset() {
  yrl_sketch_temp_part = nullptr;
  yrl_sketch_temp_type = 0;
}
