// Includes only headers of its own folder and others outside the host.
#include <vector>
#include "host/store/other.h"
