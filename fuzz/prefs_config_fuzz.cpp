// config.yrl as the application meets it: the input is the file in the working directory,
// read as the plug-in's start reads it. The options read must be well formed; the
// Preferences dialog is filled from them and closed with OK, as a user would; and what
// the writer saves reads back with the same flags, and unchanged after one round.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/menus/app_testing.h"
#include "app/prefs/prefs.h"
#include "fuzz/fuzz_app.h"
#include "host/script/script_text.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void require_text(const char* text) { require(strnlen(text, YRL_PREF_TEXT_SIZE) < YRL_PREF_TEXT_SIZE); }

// The record's flags, in one list.
std::array<int, 9> flags_of(const YrlPreferencesData& p) {
  return {p.auto_view_map, p.set_new_part_active, p.use_drawing_name, p.use_drawing_units,
          p.automatic_forward, p.crdt_ent_sec_vyn_fix, p.auto_drawing_view_create,
          p.add_debug_commands, p.use_embed_browser};
}

void require_well_formed(const YrlPreferencesData& p) {
  require_text(p.layer_prefix);
  require_text(p.drawing_proj_system);
  for (int flag : flags_of(p)) require(flag == 0 || flag == 1);
}

bool same_number(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool same_options(const YrlPreferencesData& a, const YrlPreferencesData& b) {
  return flags_of(a) == flags_of(b) && std::strcmp(a.layer_prefix, b.layer_prefix) == 0 &&
         std::strcmp(a.drawing_proj_system, b.drawing_proj_system) == 0 &&
         same_number(a.tolerance, b.tolerance);
}

// Saves the options in memory and reads the file back.
YrlPreferencesData saved_and_read() {
  require(YrlPreferencesWrite() == 0);
  YrlPreferencesData read{};
  YrlPreferencesRead(&read);
  require_well_formed(read);
  return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlfuzz::work_dir();
  std::FILE* file = std::fopen("config.yrl", "wb");
  require(file && std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0);

  yrlfuzz::app_next_input();
  prefs_testing_reset();
  YrlPreferencesRead(nullptr);
  require_well_formed(preferences);

  // The dialog shows the options and OK saves them; a value the dialog cannot show may
  // keep it open, which the user's script then ends.
  std::string error;
  require(yrlhost::script_push_text("press yrlpreferences OK", error));
  YrlPreferences();
  require_well_formed(preferences);

  // Saving and reading back keeps every flag; the texts (a text cut at its size may end
  // in a blank, which reading drops) and the tolerance (kept with six decimals) settle
  // after one round.
  const YrlPreferencesData before = preferences;
  YrlPreferencesData once = saved_and_read();
  require(flags_of(once) == flags_of(before));
  preferences = once;
  require(same_options(saved_and_read(), once));
  return 0;
}
