// The row stubs of part 1 (host/plugin/host_row_stubs.h).
#define YRL_ROW_STUB_PART 1
#include "host/plugin/host_row_stubs_part.inc"
