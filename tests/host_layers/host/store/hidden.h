// Lines that hid the includes after them from the check: a range such as [0, 1), and a
// name with a character past ASCII, café.
#include "host/api/rows.h"
