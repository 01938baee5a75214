// Includes a header of the folder below: allowed.
#include "host/store/good.h"
