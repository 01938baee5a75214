// Selections, highlights and the selection function's filter words (the selection
// functions of the host are host/api/selection_api.cpp, the selection function and the
// mouse input, which wait for the user, host/ui/picks.cpp).
#include "host/display/selection.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "host/display/graphics.h"
#include "host/util/live_objects.h"

namespace yrlhost {
namespace {

// The filter words and the host item types each allows.
struct FilterWord {
  const char* word;
  std::vector<int> types;
};

const std::vector<FilterWord>& filter_words() {
  static const std::vector<FilterWord> words = {
      {"part", {2}},
      {"prt_or_asm", {1, 2}},
      {"feature", {3}},
      {"surface", {5}},
      {"edge", {6}},
      {"dimension", {8, 28}},  // driving and reference dimensions
      {"ref_dim", {28}},
      {"axis", {21}},
      {"csys", {25}},
      {"curve", {62}},
      {"point", {66}},
      {"note", {68}},
      {"any_note", {68, 69}},  // notes and notes of parameters
      {"symbol", {76}},
      {"draft_ent", {77}},
      {"layer", {117}},
      {"datum", {176}},
  };
  return words;
}

// Every selection and selection environment handed out and not yet freed, for the reset:
// the plug-in may leave some behind, and the registry of live objects only forgets them.
std::set<VynSelection>& selections_made() {
  static std::set<VynSelection> made;
  return made;
}

std::set<VynSelectionEnvRecord*>& envs_made() {
  static std::set<VynSelectionEnvRecord*> made;
  return made;
}

std::vector<VynModelitem>& refused() {
  static std::vector<VynModelitem> items;
  return items;
}

using ItemKey = std::tuple<const void*, int, int>;

ItemKey item_key(const VynModelitem& item) { return {item.owner, item.type, item.id}; }

struct Highlight {
  int colour = 0;
  int window = 0;
};

std::map<ItemKey, Highlight>& highlights() {
  static std::map<ItemKey, Highlight> map;
  return map;
}

std::string trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

// ---- Selections -----------------------------------------------------------------------

VynSelection selection_make(const VynModelitem& item, int window, const double* point) {
  auto* selection = new VynSelectionRecord;
  selection->item = item;
  selection->window = window != 0 ? window : window_current();
  if (point) std::memcpy(selection->point, point, sizeof selection->point);
  live_object_add(LiveKind::selection, selection);
  selections_made().insert(selection);
  return selection;
}

bool selection_is(VynSelection selection) {
  return live_object_is(LiveKind::selection, selection);
}

VynSelection selection_copy(VynSelection from) {
  if (!selection_is(from)) return nullptr;
  VynSelection copy = selection_make(from->item, from->window, from->point);
  selection_uv_set(copy, from->uv);
  return copy;
}

bool selection_release(VynSelection selection) {
  if (!live_object_remove(LiveKind::selection, selection)) return false;
  selections_made().erase(selection);
  delete selection;
  return true;
}

bool selection_uv_set(VynSelection selection, const double uv[2]) {
  if (!selection_is(selection) || !uv) return false;
  selection->uv[0] = uv[0];
  selection->uv[1] = uv[1];
  return true;
}

std::optional<int> highlight_colour(const VynModelitem& item) {
  auto found = highlights().find(item_key(item));
  if (found == highlights().end()) return std::nullopt;
  return found->second.colour;
}

std::optional<int> highlight_colour_in(const VynModelitem& item, int window) {
  auto found = highlights().find(item_key(item));
  if (found == highlights().end() || found->second.window != window) return std::nullopt;
  return found->second.colour;
}

std::size_t highlight_count() { return highlights().size(); }

void highlights_clear(int window) {
  std::erase_if(highlights(),
                [window](const auto& entry) { return entry.second.window == window; });
}

bool selection_filter_types(const std::string& filter, std::vector<int>& types) {
  std::vector<int> found;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = filter.find(',', start);
    std::string word = trimmed(filter.substr(start, comma - start));  // npos: to the end
    const FilterWord* known = nullptr;
    for (const FilterWord& entry : filter_words())
      if (word == entry.word) known = &entry;
    if (!known) return false;
    found.insert(found.end(), known->types.begin(), known->types.end());
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  types = std::move(found);
  return true;
}

const std::vector<VynModelitem>& selection_refused() { return refused(); }

void selection_refused_add(const VynModelitem& item) { refused().push_back(item); }

void highlight_set(const VynModelitem& item, int window, int colour) {
  highlights()[item_key(item)] = Highlight{colour, window};
}

void highlight_remove(const VynModelitem& item) { highlights().erase(item_key(item)); }

VynSelectionEnvRecord* selection_env_make(const VynSelectionEnvOption* options, int n_options) {
  auto* record = new VynSelectionEnvRecord;
  if (n_options > 0) record->options.assign(options, options + n_options);
  live_object_add(LiveKind::selection_env, record);
  envs_made().insert(record);
  return record;
}

bool selection_env_is(const void* env) { return live_object_is(LiveKind::selection_env, env); }

bool selection_env_release(VynSelectionEnvRecord* env) {
  if (!live_object_remove(LiveKind::selection_env, env)) return false;
  envs_made().erase(env);
  delete env;
  return true;
}

void selection_testing_reset() {
  for (VynSelection selection : std::set<VynSelection>(selections_made())) selection_release(selection);
  for (VynSelectionEnvRecord* env : envs_made()) {
    live_object_remove(LiveKind::selection_env, env);
    delete env;
  }
  envs_made().clear();
  refused().clear();
  highlights().clear();
}

}  // namespace yrlhost
