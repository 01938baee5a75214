// The launcher program: the framework runs the application object and ends the process.
#include "launcher/setup_launch_app.h"

int main() {
  ui::run_app(&trovask::theApp.base);
}
