// The row stubs of part 3 (host/host_row_stubs.h).
#define YRL_ROW_STUB_PART 3
#include "host/host_row_stubs_part.inc"
