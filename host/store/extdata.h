// External data as the models module saves, reopens and erases it with its drawing.
#pragma once

#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

// The model's classes and slots as text lines, in creation order; loading them back
// into a model without data gives the same classes, slots and bytes.
std::vector<std::string> extdata_save_lines(VynMdl model);
// Replaces the model's external data with the data of the lines; false with the reason
// in error (and the model's data unchanged) when a line is malformed.
bool extdata_load_lines(VynMdl model, const std::vector<std::string>& lines, std::string& error);
// Forgets the data of a model that is erased.
void extdata_model_erased(VynMdl model);

}  // namespace yrlhost
