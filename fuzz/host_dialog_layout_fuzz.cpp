// Dialog layouts of the stand-in host: the input is a layout file's text. It is parsed as
// the host reads a file; a layout that parses must keep what the format promises, and a
// dialog is created from it as the plug-in creates one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"
#include "host/ui/ui.h"
#include "tests/support/temp_dir.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlhost::ui_testing_reset();  // also the layouts read, which the host keeps by path
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  std::optional<yrlhost::UiLayout> layout = yrlhost::ui_layout_parse("fuzz", text, &error);
  if (layout) {
    // Names are unique, a component sits only in one declared above it, and the kinds
    // that start with an item selected select their first.
    std::set<std::string> seen;
    for (const yrlhost::UiComponent& c : layout->components) {
      require(!c.parent.empty() ? seen.count(c.parent) == 1 : true);
      require(seen.insert(c.name).second);
      if (!c.selected.empty()) require(c.selected.size() == 1 && c.selected[0] == c.names.front());
    }
  } else {
    require(!error.empty());
  }

  // The same text as a layout file in a directory of the run's own, named on drive C:,
  // which maps to the POSIX root.
  static const yrltest::TempDir temp;
  const std::string& dir = temp.path();
  std::FILE* file = std::fopen((dir + "/fuzz.dlg").c_str(), "wb");
  require(file && std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0);
  std::string windows_dir = "C:" + dir;
  for (char& c : windows_dir) c = c == '/' ? '\\' : c;
  VynError status = yrlhost::Behaviour<yrlhost::HostApi::VynUIDialogCreate>::run(
      0, "fuzz", "fuzz", windows_dir.c_str());
  require(status == (layout ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR));
  if (status == VYN_TK_NO_ERROR)
    require(yrlhost::Behaviour<yrlhost::HostApi::VynUIDialogDestroy>::run(0, "fuzz") == 0);
  return 0;
}
