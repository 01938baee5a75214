// The row stubs of part 3 (host/plugin/host_row_stubs.h).
#define YRL_ROW_STUB_PART 3
#include "host/plugin/host_row_stubs_part.inc"
