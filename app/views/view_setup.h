// The View Setup dialog, run by the View Setup command, and the drawing of the declared
// views' bounds over the drawing.
#pragma once

#include "toolkit/api/host_base_types.h"
#include "toolkit/tkbase.h"

inline constexpr char YRL_VIEW_SETUP_DIALOG[] = "yrlviewsetup";

// Builds and runs the dialog; 0 or the first failing host status.
int YrlViewSetup();
// The tab prefix ("Ort", "Sec", "Aux", "Det") of the dialog's selected page into prefix
// (8 chars); "" and the host's status when it cannot be read.
int YrlCurTabNameGet(const char* dialog, char* prefix);
// Draws every declared view of the current page's kind: current_name's in colour 18, the
// others in 6.
int YrlViewBoundDrawAllViews(const VynWchar* current_name);
// Shows the projection picture of the named view ("NONE": none).
int YrlViewCurrentViewShow(const char* name);
