// Points up the layers, and out of its folder by a relative path.
#include <string>
#include "host/api/rows.h"
#include "../api/rows.h"
