// Dialog layouts: the files <layout>.dlg below the resource directory, read once each.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "host/util/text_read.h"
#include "host/ui/ui_model.h"
#include "platform/w32/path.h"

#ifndef YRL_DEFAULT_TEXT_DIR
#define YRL_DEFAULT_TEXT_DIR "host/resources"
#endif

namespace yrlhost {
namespace {

std::map<std::string, UiLayout>& loaded() {
  static std::map<std::string, UiLayout> layouts;  // by POSIX path
  return layouts;
}

std::string& last_error() {
  static std::string error;
  return error;
}

// The kinds whose items start with the first one selected, as a user first sees them.
bool selects_first_item(UiKind kind) {
  return kind == UiKind::optionmenu || kind == UiKind::radiogroup || kind == UiKind::tab;
}

bool has_items(UiKind kind) {
  return kind == UiKind::list || kind == UiKind::optionmenu || kind == UiKind::radiogroup ||
         kind == UiKind::tab || kind == UiKind::table;
}

}  // namespace

const char* ui_kind_name(UiKind kind) {
  static const char* const names[] = {
#define YRL_UI_KIND_NAME(kind) #kind,
      YRL_UI_KINDS(YRL_UI_KIND_NAME)
#undef YRL_UI_KIND_NAME
  };
  return names[static_cast<int>(kind)];
}

std::optional<UiKind> ui_kind_from_name(const std::string& name) {
#define YRL_UI_KIND_MATCH(kind) \
  if (name == #kind) return UiKind::kind;
  YRL_UI_KINDS(YRL_UI_KIND_MATCH)
#undef YRL_UI_KIND_MATCH
  return std::nullopt;
}

std::string ui_default_resource_dir() {
  return std::string(YRL_DEFAULT_TEXT_DIR) + "/text/usascii/resource";
}

std::optional<UiLayout> ui_layout_parse(const std::string& name, const std::string& text,
                                        std::string* error) {
  UiLayout layout;
  layout.name = name;
  std::set<std::string> seen;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) -> std::optional<UiLayout> {
    if (error) *error = name + ".dlg line " + std::to_string(number) + ": " + why;
    return std::nullopt;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word[0] == '#') continue;
    if (word == "title") {
      layout.title = text_after_words(line, 1);
      continue;
    }
    std::string component;
    if (!(words >> component)) return fail("\"" + word + "\" without a component name");
    if (word == "text") {
      UiComponent* target = nullptr;
      for (UiComponent& c : layout.components)
        if (c.name == component) target = &c;
      if (!target) return fail("text for unknown component \"" + component + "\"");
      target->text = text_after_words(line, 2);
      if (target->kind == UiKind::inputpanel || target->kind == UiKind::textarea) target->value = target->text;
      continue;
    }
    std::optional<UiKind> kind = ui_kind_from_name(word);
    if (!kind) return fail("unknown kind \"" + word + "\"");
    if (!seen.insert(component).second) return fail("component \"" + component + "\" twice");
    UiComponent c;
    c.name = component;
    c.kind = *kind;
    c.editable = *kind != UiKind::optionmenu;  // an option menu takes typed text only when made editable
    while (words >> word) {
      if (word[0] != '@') {
        if (!has_items(*kind)) return fail("a " + std::string(ui_kind_name(*kind)) + " has no items");
        c.names.push_back(word);
      } else if (word == "@hidden") {
        c.shown = false;
      } else if (word == "@disabled") {
        c.enabled = false;
      } else if (word == "@read_only") {
        c.editable = false;
      } else if (word == "@editable") {
        c.editable = true;
      } else if (word == "@set") {
        c.checked = true;
      } else if (word.rfind("@in=", 0) == 0 && word.size() > 4) {
        c.parent = word.substr(4);
        if (!seen.count(c.parent) || c.parent == component)
          return fail("\"" + component + "\" in unknown component \"" + c.parent + "\"");
      } else if (word.rfind("@policy=", 0) == 0) {
        if (*kind != UiKind::list || !number_from_text(word.substr(8), c.selection_policy) ||
            c.selection_policy < ui_list_policy_single || c.selection_policy > ui_list_policy_extended)
          return fail("\"" + word + "\": a list's policy is 0 to 3");
      } else {
        return fail("unknown flag \"" + word + "\"");
      }
    }
    // What sits in a tab is one of its pages: a layout named as one of the tab's items.
    for (const UiComponent& tab : layout.components) {
      if (tab.name != c.parent || tab.kind != UiKind::tab) continue;
      if (c.kind != UiKind::layout || std::find(tab.names.begin(), tab.names.end(), c.name) == tab.names.end())
        return fail("\"" + component + "\" in tab \"" + tab.name + "\" is not a layout named as one of its pages");
    }
    c.labels = c.names;  // a table's items are its columns
    if (selects_first_item(c.kind) && !c.names.empty()) {
      c.selected = {c.names.front()};
      if (c.kind == UiKind::optionmenu) c.value = c.labels.front();
    }
    layout.components.push_back(std::move(c));
  }
  return layout;
}

std::vector<std::string> ui_layouts_loaded() {
  std::vector<std::string> names;
  for (const auto& [path, layout] : loaded()) names.push_back(layout.name);
  return names;
}

const std::string& ui_layout_error() { return last_error(); }

namespace ui {

VynError layout_load(const char* layout, const char* dir, UiLayout* out) {
  if (!layout || !dir || !*layout || std::strpbrk(layout, "\\/:*?\"<>|")) return VYN_TK_BAD_INPUTS;
  std::string name = std::string(dir) + "\\" + layout + ".dlg";
  char posix[w32::W32_PATH_CAPACITY];
  if (!w32::w32_resolve_path_a(name.c_str(), posix, sizeof posix)) return VYN_TK_E_NOT_FOUND;
  auto cached = loaded().find(posix);
  if (cached != loaded().end()) {
    *out = cached->second;
    return VYN_TK_NO_ERROR;
  }
  std::string text;
  if (!file_text_read(posix, text)) return VYN_TK_E_NOT_FOUND;
  std::string error;
  std::optional<UiLayout> parsed = ui_layout_parse(layout, text, &error);
  if (!parsed) {
    last_error() = error;
    return VYN_TK_GENERAL_ERROR;
  }
  parsed->path = posix;
  *out = loaded().emplace(posix, std::move(*parsed)).first->second;
  return VYN_TK_NO_ERROR;
}

void layouts_reset() {
  loaded().clear();
  last_error().clear();
}

}  // namespace ui
}  // namespace yrlhost
