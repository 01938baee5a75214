// The reset of the selection's state for tests: no current selection (the host's reset
// frees its arrays), add mode, the first tolerance.
#include "app/menus/app_testing.h"
#include "app/select/select.h"

void select_testing_reset() {
  curr_sel = nullptr;
  yrl_add_remove_mode = YRL_SEL_ADD;
  tolerance = 0.01;
}
