// The selection functions of the host: selections, highlights and selection
// environments (host/display/selection.h keeps them).
#include "host/api/host_behaviours.h"
#include "host/display/selection.h"

namespace yrlhost {

VynError Behaviour<HostApi::VynSelectionAlloc>::run(int, VynAsmcomppath*, VynModelitem* item,
                                                     VynSelection* selection) {
  if (!item || !selection) return VYN_TK_BAD_INPUTS;
  *selection = selection_make(*item, 0, nullptr);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionCopy>::run(int, VynSelection from, VynSelection* to) {
  if (!selection_is(from) || !to) return VYN_TK_BAD_INPUTS;
  *to = selection_copy(from);
  return VYN_TK_NO_ERROR;
}

// A selection an element value holds goes with the value.
VynError Behaviour<HostApi::VynSelectionFree>::run(int, VynSelection* selection) {
  if (!selection || (selection_is(*selection) && (*selection)->held)) return VYN_TK_BAD_INPUTS;
  if (!selection_release(*selection)) return VYN_TK_BAD_INPUTS;
  *selection = nullptr;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionModelitemGet>::run(int, VynSelection selection,
                                                            VynModelitem* item) {
  if (!selection_is(selection) || !item) return VYN_TK_BAD_INPUTS;
  *item = selection->item;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionUvParamGet>::run(int, VynSelection selection,
                                                          double* uv) {
  if (!selection_is(selection) || !uv) return VYN_TK_BAD_INPUTS;
  uv[0] = selection->uv[0];
  uv[1] = selection->uv[1];
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionWindowIdGet>::run(int, VynSelection selection,
                                                           int* window_id) {
  if (!selection_is(selection) || !window_id) return VYN_TK_BAD_INPUTS;
  *window_id = selection->window;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionHighlight>::run(int, VynSelection selection, int color) {
  if (!selection_is(selection)) return VYN_TK_BAD_INPUTS;
  highlight_set(selection->item, selection->window, color);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionUnhighlight>::run(int, VynSelection selection) {
  if (!selection_is(selection)) return VYN_TK_BAD_INPUTS;
  highlight_remove(selection->item);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionEnvAlloc>::run(int, const VynSelectionEnvOption* options,
                                                        int n_options, VynSelectionEnv* env) {
  if (!env || n_options < 0 || (n_options > 0 && !options)) return VYN_TK_BAD_INPUTS;
  *env = selection_env_make(options, n_options);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionEnvFree>::run(int, VynWord env) {
  return selection_env_release(reinterpret_cast<VynSelectionEnvRecord*>(env)) ? VYN_TK_NO_ERROR
                                                                               : VYN_TK_BAD_INPUTS;
}

}  // namespace yrlhost
