// The row stubs of part 2 (host/plugin/host_row_stubs.h).
#define YRL_ROW_STUB_PART 2
#include "host/plugin/host_row_stubs_part.inc"
