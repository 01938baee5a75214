// Types of the host API that cross the function table: handles, records and callbacks.
// Both the toolkit's forwarding functions and the stand-in host's stubs build on them.
#pragma once

#include "toolkit/tkbase.h"
