// Selections, mouse input, windows and graphics: the host functions with behaviour (see host/api/host_behaviours.h).
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// One behaviour: the row's result and its own parameters after the context id.
#define YRL_GRAPHICS_BEHAVIOUR(name, result, ...) \
  template <>                                     \
  struct Behaviour<HostApi::name> {               \
    static result run(int context __VA_OPT__(, ) __VA_ARGS__); \
  };

// The selection function, which waits for the user's picks (host/ui/picks.cpp).
YRL_GRAPHICS_BEHAVIOUR(VynSelect, VynError, const char* filter, int max_count,
                       VynSelection* initial, VynSelectionFilter* filter_record,
                       VynSelectionEnv env, VynWord reserved, VynArray* selections, int* count)

// Selections (selection_api.cpp).
YRL_GRAPHICS_BEHAVIOUR(VynSelectionAlloc, VynError, VynAsmcomppath* path, VynModelitem* item,
                       VynSelection* selection)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionCopy, VynError, VynSelection from, VynSelection* to)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionEnvAlloc, VynError, const VynSelectionEnvOption* options,
                       int n_options, VynSelectionEnv* env)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionEnvFree, VynError, VynWord env)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionFree, VynError, VynSelection* selection)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionHighlight, VynError, VynSelection selection, int color)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionModelitemGet, VynError, VynSelection selection,
                       VynModelitem* item)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionUnhighlight, VynError, VynSelection selection)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionUvParamGet, VynError, VynSelection selection, double* uv)
YRL_GRAPHICS_BEHAVIOUR(VynSelectionWindowIdGet, VynError, VynSelection selection,
                       int* window_id)

// Mouse input (host/ui/picks.cpp).
YRL_GRAPHICS_BEHAVIOUR(VynMousePickGet, VynError, int buttons, int* button, double* position)
YRL_GRAPHICS_BEHAVIOUR(VynMouseBoxInput, VynError, const double* point, double* box)

// Windows (graphics_api.cpp).
YRL_GRAPHICS_BEHAVIOUR(VynAccessorywindowCreate, VynError, const VynWchar* name, int type,
                       int* window_id)
YRL_GRAPHICS_BEHAVIOUR(VynWindowBrowserSizeSet, VynError, int window_id, double size)
YRL_GRAPHICS_BEHAVIOUR(VynWindowCurrentGet, VynError, int* window_id)
YRL_GRAPHICS_BEHAVIOUR(VynWindowCurrentMatrixGet, VynError, double matrix[4][4])
YRL_GRAPHICS_BEHAVIOUR(VynWindowCurrentSet, VynError, int window_id)
YRL_GRAPHICS_BEHAVIOUR(VynWindowDelete, VynError, int window_id)
YRL_GRAPHICS_BEHAVIOUR(VynWindowPanZoomMatrixSet, VynError, int window_id,
                       const double matrix[4][4])
YRL_GRAPHICS_BEHAVIOUR(VynWindowRefresh, VynError, int window_id)
YRL_GRAPHICS_BEHAVIOUR(VynWindowRepaint, VynError, int window_id)
YRL_GRAPHICS_BEHAVIOUR(VynWindowSizeGet, VynError, int window_id, double* width,
                       double* height)
YRL_GRAPHICS_BEHAVIOUR(VynWindowURLShow, VynError, int window_id, const VynWchar* url)
// Visits the windows' ids in ascending order, taken before the first call: a window
// deleted by an earlier call is skipped. An action's nonzero status ends the visit and is
// its answer; a complete visit answers 0. A null action answers -2.
YRL_GRAPHICS_BEHAVIOUR(VynWindowsVisit, VynError, VynWindowVisitAction action, void* app_data)

// Graphics (graphics_api.cpp).
YRL_GRAPHICS_BEHAVIOUR(VynGraphicsPenPosition, void, const double* point)
YRL_GRAPHICS_BEHAVIOUR(VynGraphicsLineDraw, void, const double* point)
YRL_GRAPHICS_BEHAVIOUR(VynGraphicsCircleDraw, void, const double* center, double radius)
YRL_GRAPHICS_BEHAVIOUR(VynGraphicsArcDraw, VynError, const double* center, double radius,
                       const double* vector1, const double* vector2)
YRL_GRAPHICS_BEHAVIOUR(VynGraphicsTextDisplay, VynError, const double* point,
                       const VynWchar* text)
YRL_GRAPHICS_BEHAVIOUR(VynGraphicsColorSet, VynError, int new_color, int* old_color)
YRL_GRAPHICS_BEHAVIOUR(VynGraphicsColorModify, VynError, VynColor* new_color,
                       VynColor* old_color)
YRL_GRAPHICS_BEHAVIOUR(VynLinestyleSet, VynError, int new_style, int* old_style)
YRL_GRAPHICS_BEHAVIOUR(VynTextAttributesCurrentGet, VynError, VynTextAttribute* attributes)
YRL_GRAPHICS_BEHAVIOUR(VynTextColorModify, VynError, VynColor* new_color, VynColor* old_color)
YRL_GRAPHICS_BEHAVIOUR(VynTextHeightCurrentSet, VynError, double height)
YRL_GRAPHICS_BEHAVIOUR(VynTextWidthFactorCurrentSet, VynError, double width_factor)

// Small session services (graphics_api.cpp).
YRL_GRAPHICS_BEHAVIOUR(VynPntTrfEval, VynError, const double* point,
                       const double transform[4][4], double* result)
YRL_GRAPHICS_BEHAVIOUR(VynVectorTrfEval, VynError, const double* vector,
                       const double transform[4][4], double* result)
YRL_GRAPHICS_BEHAVIOUR(VynToleranceDefaultGet, VynError, int type, int decimals,
                       double* tolerance)
YRL_GRAPHICS_BEHAVIOUR(VynDirectoryCurrentGet, VynError, VynWchar* path)
YRL_GRAPHICS_BEHAVIOUR(VynURLShow, VynError, const VynWchar* url, const VynWchar* title)
YRL_GRAPHICS_BEHAVIOUR(VynInfoWindowDisplay, VynError, const VynWchar* file, int flag1,
                       int flag2)
YRL_GRAPHICS_BEHAVIOUR(VynMacroLoad, VynError, const VynWchar* macro)
YRL_GRAPHICS_BEHAVIOUR(VynMacroExecute, VynError)

#undef YRL_GRAPHICS_BEHAVIOUR

}  // namespace yrlhost
