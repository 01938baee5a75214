// Toolkit API functions that work inside the plug-in on strings and caller-owned records.
#pragma once

#include "toolkit/tkbase.h"

// source converted into target by the current language (one wide character per byte of
// source and the terminator); returns target. A null target converts nothing: null.
VynWchar* VynStringToWstring(VynWchar* target, const char* source);
