// Menus and commands (placeholder until the module is written).
#include "host/menus.h"
#include "host/host_testing.h"
#include "host/script.h"

namespace yrlhost {

void menu_press(const std::string& menu, const std::string& button) {
  script_fail("no menu button " + menu + "/" + button);
}
void menus_testing_reset() {}

}  // namespace yrlhost
