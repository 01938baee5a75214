#include "toolkit/util/menuutil.h"

#include <cstdlib>
#include <cstring>

#include "runtime/text/textbase.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_feature_option_api.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/strutil_report.h"

namespace {

// The end mark of every menu-strings array.
const VynWchar empty_string[1] = {0};

// The host rows below are known by their word counts only; these are the words the
// utilities pass: the registration gets {menu, no alternate file, the strings, no help
// strings, no title, the menu id out}, the creation {kind, menu, the menu id out} and
// the button removal {menu, button, the menu's id}.
VynError menu_register(const char* menu, VynArray strings, int* menu_id, const char* caller) {
  return util_call_report("VynMenuFromStringsRegister()", caller,
                  VynMenuFromStringsRegister(reinterpret_cast<VynWord>(menu), 0,
                                             reinterpret_cast<VynWord>(strings), 0, 0,
                                             reinterpret_cast<VynWord>(menu_id)));
}

VynError menu_create(int kind, const char* menu, const char* caller) {
  int menu_id = 0;
  return util_call_report("VynMenuCreate()", caller,
                  VynMenuCreate(kind, reinterpret_cast<VynWord>(menu),
                                reinterpret_cast<VynWord>(&menu_id)));
}

VynError button_remove(const char* menu, const char* button, int menu_id, const char* caller) {
  return util_call_report("VynMenubuttonDelete()", caller,
                  VynMenubuttonDelete(reinterpret_cast<VynWord>(menu),
                                      reinterpret_cast<VynWord>(button), menu_id));
}

VynError action_set(const char* menu, const char* button, VynMenubuttonAction action,
                    void* app_data, int app_int, const char* caller) {
  return util_call_report("VynMenubuttonActionSet()", caller,
                  VynMenubuttonActionSet(menu, button, action, app_data, app_int));
}

// VynMenuDelete and VynMenuHold as button actions; the data word is the text that names
// the utility that set the action, for the report.
int delete_action(void* caller, int) {
  return util_call_report("VynMenuDelete()", static_cast<const char*>(caller), VynMenuDelete());
}
int hold_action(void* caller, int) {
  return util_call_report("VynMenuHold()", static_cast<const char*>(caller), VynMenuHold());
}
void* caller_word(const char* caller) { return const_cast<char*>(caller); }

// A name of at most 31 characters that is always terminated, for a row's name field.
struct RowName {
  char text[33];
  explicit RowName(const char (&field)[32]) {
    std::memcpy(text, field, sizeof field);
    text[32] = '\0';
  }
};

// Rows before the end row.
int row_count(const VynUtilMenuRow* rows) {
  int count = 0;
  while (rows[count].name[0]) ++count;
  return count;
}

// Names of a menu-strings array before its end mark, looking no further than the
// array's size (an array may lack the mark); -1 when the size cannot be read.
int name_count(VynArray names, const char* caller) {
  int size = 0;
  if (util_call_report("VynArraySizeGet()", caller, VynArraySizeGet(names, &size)) != VYN_TK_NO_ERROR)
    return -1;
  VynWchar** texts = static_cast<VynWchar**>(names);
  int count = 0;
  while (count < size && texts[count] && texts[count][0]) ++count;
  return count;
}

// Frees the strings made so far and the array, keeping the first failure's status.
VynError strings_release(VynArray* strings, VynError status) {
  VynError freed = VynUtilMenuStringsFree(strings);
  return status != VYN_TK_NO_ERROR ? status : freed;
}

}  // namespace

// ---- Button actions

int VynUtilAssign(void* int_pointer, int value) {
  if (int_pointer) *static_cast<int*>(int_pointer) = value;
  util_call_report("VynMenuDelete()", "VynUtilAssign()", VynMenuDelete());
  return 0;
}

int VynUtilMenuKill(void*, int count) {
  for (int i = 0; i < count; ++i) util_call_report("VynMenuDelete()", "VynUtilMenuKill()", VynMenuDelete());
  return 0;
}

int VynUtilMenubuttonDeleteWithStatus(void*, int value) {
  util_call_report("VynMenuDeleteWithStatus()", "VynUtilMenubuttonDeleteWithStatus()",
           VynMenuDeleteWithStatus(value));
  return 0;
}

VynError VynUtilMenubuttonActivate(const char* menu, const char* button, int flag) {
  if (flag)
    return util_call_report("VynMenubuttonActivate()", "VynUtilMenubuttonActivate()",
                    VynMenubuttonActivate(menu, button));
  return util_call_report("VynMenubuttonDeactivate()", "VynUtilMenubuttonActivate()",
                  VynMenubuttonDeactivate(menu, button));
}

VynError VynUtilMenubuttonHighlight(const char* menu, const char* button, int flag) {
  if (flag)
    return util_call_report("VynMenubuttonHighlight()", "VynUtilMenubuttonHighlight()",
                    VynMenubuttonHighlight(menu, button));
  return util_call_report("VynMenubuttonUnhighlight()", "VynUtilMenubuttonHighlight()",
                  VynMenubuttonUnhighlight(menu, button));
}

// ---- Value menus

VynError VynUtilMenuIntValueSelect(const VynUtilMenuRow* rows, int* value) {
  static const char caller[] = "VynUtilMenuIntValueSelect()";
  if (!rows || !value) return VYN_TK_BAD_INPUTS;
  int count = row_count(rows);
  if (count < 2) return VYN_TK_NO_ERROR;
  RowName menu(rows[0].name);

  // The menu from its buttons' names; the host keeps its own copy of them.
  VynArray strings = nullptr;
  VynError status = VynUtilMenuStringsAlloc(&strings);
  if (status != VYN_TK_NO_ERROR) return status;
  for (int i = 1; i < count && status == VYN_TK_NO_ERROR; ++i)
    status = VynUtilMenuStringsStrAdd(&strings, RowName(rows[i].name).text);
  int menu_id = 0;
  if (status == VYN_TK_NO_ERROR) status = menu_register(menu.text, strings, &menu_id, caller);
  status = strings_release(&strings, status);
  if (status != VYN_TK_NO_ERROR) return status;

  for (int i = 0; i < count; ++i) {
    RowName button(rows[i].name);
    int flags = rows[i].flags;
    if (flags & VYN_UTIL_MENU_DELETE)
      action_set(menu.text, button.text, delete_action, caller_word(caller), 0, caller);
    else if (flags & VYN_UTIL_MENU_HOLD)
      action_set(menu.text, button.text, hold_action, caller_word(caller), 0, caller);
    else
      action_set(menu.text, button.text, VynUtilMenubuttonDeleteWithStatus, nullptr,
                 rows[i].value, caller);
  }
  for (int i = 1; i < count; ++i)
    if (rows[i].flags & VYN_UTIL_MENU_REMOVE)
      button_remove(menu.text, RowName(rows[i].name).text, menu_id, caller);

  status = menu_create(0, menu.text, caller);
  if (status != VYN_TK_NO_ERROR) return status;

  for (int i = 1; i < count; ++i) {
    RowName button(rows[i].name);
    int flags = rows[i].flags;
    if (flags & VYN_UTIL_MENU_ACTIVATE) VynUtilMenubuttonActivate(menu.text, button.text, 1);
    if (flags & VYN_UTIL_MENU_DEACTIVATE) VynUtilMenubuttonActivate(menu.text, button.text, 0);
    if (flags & VYN_UTIL_MENU_HIGHLIGHT) VynUtilMenubuttonHighlight(menu.text, button.text, 1);
    if (flags & VYN_UTIL_MENU_UNHIGHLIGHT) VynUtilMenubuttonHighlight(menu.text, button.text, 0);
  }
  return util_call_report("VynMenuProcess()", caller, VynMenuProcess(menu.text, value));
}

VynError VynUtilMenuStringsIntValueSelect(const char* menu, VynArray names, int* value) {
  if (!menu || !names) return VYN_TK_BAD_INPUTS;
  int count = name_count(names, "VynUtilMenuStringsIntValueSelect()");
  if (count < 0) return VYN_TK_BAD_INPUTS;
  VynWchar** texts = static_cast<VynWchar**>(names);
  // Menu row, one row per name, end row.
  auto* rows = static_cast<VynUtilMenuRow*>(
      std::calloc(static_cast<std::size_t>(count) + 2, sizeof(VynUtilMenuRow)));
  if (!rows) return VYN_TK_GENERAL_ERROR;
  vek::copy_cut(rows[0].name, menu, sizeof rows[0].name);
  rows[0].flags = VYN_UTIL_MENU_DELETE;
  for (int k = 1; k <= count; ++k) {
    char narrow[VYN_UTIL_NARROW_SIZE];
    vek::wstostr_bounded(narrow, sizeof narrow, texts[k - 1]);
    vek::copy_cut(rows[k].name, narrow, sizeof rows[k].name);
    rows[k].value = k - 1;
  }
  int chosen = 0;
  VynError status = VynUtilMenuIntValueSelect(rows, &chosen);
  if (value) *value = chosen;
  std::free(rows);
  return status;
}

// ---- Menu-strings arrays

VynError VynUtilMenuStringsAlloc(VynArray* array) {
  static const char caller[] = "VynUtilMenuStringsAlloc()";
  if (!array) return VYN_TK_BAD_INPUTS;
  VynError status = util_call_report("VynArrayAlloc()", caller,
                             VynArrayAlloc(0, static_cast<int>(sizeof(VynWchar*)), 10, array));
  if (status != VYN_TK_NO_ERROR) return status;
  const VynWchar* end_mark = empty_string;
  status = util_call_report("VynArrayObjectAdd()", caller, VynArrayObjectAdd(array, -1, 1, &end_mark));
  if (status != VYN_TK_NO_ERROR) util_call_report("VynArrayFree()", caller, VynArrayFree(array));
  return status;
}

namespace {

// Inserts text, a calloc'ed copy, before the end mark; frees it when that fails.
VynError strings_insert(VynArray* array, VynWchar* text, const char* caller) {
  int size = 0;
  VynError status = util_call_report("VynArraySizeGet()", caller, VynArraySizeGet(*array, &size));
  if (status == VYN_TK_NO_ERROR && size < 1) status = VYN_TK_BAD_INPUTS;
  if (status == VYN_TK_NO_ERROR)
    status = util_call_report("VynArrayObjectAdd()", caller, VynArrayObjectAdd(array, size - 1, 1, &text));
  if (status != VYN_TK_NO_ERROR) std::free(text);
  return status;
}

}  // namespace

VynError VynUtilMenuStringsStrAdd(VynArray* array, const char* name) {
  if (!array || !*array || !name) return VYN_TK_BAD_INPUTS;
  std::size_t units = std::strlen(name) + 1;  // the wide form has a unit per byte at most
  auto* text = static_cast<VynWchar*>(std::calloc(units, sizeof(VynWchar)));
  if (!text) return VYN_TK_GENERAL_ERROR;
  vek::strtows(text, name);
  return strings_insert(array, text, "VynUtilMenuStringsStrAdd()");
}

VynError VynUtilMenuStringsWstrAdd(VynArray* array, const VynWchar* name) {
  if (!array || !*array || !name) return VYN_TK_BAD_INPUTS;
  std::size_t units = static_cast<std::size_t>(VynUtilWstrLen(name)) + 1;
  auto* text = static_cast<VynWchar*>(std::calloc(units, sizeof(VynWchar)));
  if (!text) return VYN_TK_GENERAL_ERROR;
  std::memcpy(text, name, units * sizeof(VynWchar));
  return strings_insert(array, text, "VynUtilMenuStringsWstrAdd()");
}

VynError VynUtilMenuStringsFree(VynArray* array) {
  static const char caller[] = "VynUtilMenuStringsFree()";
  if (!array || !*array) return VYN_TK_BAD_INPUTS;
  int size = 0;
  VynError status = util_call_report("VynArraySizeGet()", caller, VynArraySizeGet(*array, &size));
  if (status != VYN_TK_NO_ERROR) return status;
  VynWchar** texts = static_cast<VynWchar**>(*array);
  for (int i = 0; i < size - 1; ++i) std::free(texts[i]);
  return util_call_report("VynArrayFree()", caller, VynArrayFree(array));
}

// ---- Selecting several names

namespace {

constexpr char select_menu[] = "TkMenuUtilSelect";

// The narrow form of name index of the state, a button name.
struct ButtonName {
  char text[VYN_UTIL_NARROW_SIZE];
  ButtonName(const VynUtilMenuSelectState& state, int index) {
    vek::wstostr_bounded(text, sizeof text, state.names[index]);
  }
};

}  // namespace

int VynUtilMenuToggleOne(void* state, int index) {
  auto* select = static_cast<VynUtilMenuSelectState*>(state);
  if (select && index >= 0 && index < select->count)
    select->flags[index] = select->flags[index] ? 0 : 1;
  return 0;
}

int VynUtilMenuToggleDone(void* state, int action) {
  auto* select = static_cast<VynUtilMenuSelectState*>(state);
  if (!select) return 0;
  if (action == 0 || action == 1) {
    int wanted = action == 0 ? 1 : 0;
    for (int i = 0; i < select->count; ++i) {
      if (select->flags[i] == wanted) continue;
      select->flags[i] = wanted;
      VynUtilMenubuttonHighlight(select->menu, ButtonName(*select, i).text, wanted);
    }
  } else if (action == 2 || action == 3) {
    for (int menu = 0; menu < 2; ++menu)
      util_call_report("VynMenuDeleteWithStatus()", "VynUtilMenuToggleDone()",
               VynMenuDeleteWithStatus(action));
  }
  return 0;
}

VynError VynUtilMenuStringManySelect(const char* menu, VynArray names, VynArray* indices,
                                     int* count) {
  static const char caller[] = "VynUtilMenuStringManySelect()";
  if (!menu || !names || !indices || !count) return VYN_TK_BAD_INPUTS;
  VynUtilMenuSelectState state;
  state.menu = menu;
  state.names = static_cast<VynWchar**>(names);
  state.count = name_count(names, caller);
  if (state.count < 0) return VYN_TK_BAD_INPUTS;

  VynArray flags = nullptr;
  VynError status = util_call_report("VynArrayAlloc()", caller,
                             VynArrayAlloc(state.count, static_cast<int>(sizeof(int)), 1, &flags));
  if (status != VYN_TK_NO_ERROR) return VYN_TK_USER_ABORT;
  state.flags = static_cast<int*>(flags);
  if (state.count > 0)
    std::memset(state.flags, 0, static_cast<std::size_t>(state.count) * sizeof(int));

  // The names menu: each button toggles its name; the menu's own button closes it.
  int menu_id = 0;
  status = menu_register(menu, names, &menu_id, caller);
  if (status == VYN_TK_NO_ERROR) {
    for (int i = 0; i < state.count; ++i)
      action_set(menu, ButtonName(state, i).text, VynUtilMenuToggleOne, &state, i, caller);
    action_set(menu, menu, delete_action, caller_word(caller), 0, caller);
    util_call_report("VynMenuModeSet()", caller, VynMenuModeSet(menu, 1));
    util_call_report("VynMenuDatamodeSet()", caller, VynMenuDatamodeSet(menu, 1));
    status = menu_create(0, menu, caller);
  }

  // The menu that ends the selection.
  static const char* const commands[] = {"Select All", "Unsel All", "Done Sel", "Quit Sel"};
  VynArray strings = nullptr;
  if (status == VYN_TK_NO_ERROR) status = VynUtilMenuStringsAlloc(&strings);
  if (status == VYN_TK_NO_ERROR) {
    for (const char* command : commands)
      if (status == VYN_TK_NO_ERROR) status = VynUtilMenuStringsStrAdd(&strings, command);
    int select_id = 0;
    if (status == VYN_TK_NO_ERROR) status = menu_register(select_menu, strings, &select_id, caller);
    status = strings_release(&strings, status);
  }
  int value = -1;
  if (status == VYN_TK_NO_ERROR) {
    for (int i = 0; i < 4; ++i)
      action_set(select_menu, commands[i], VynUtilMenuToggleDone, &state, i, caller);
    action_set(select_menu, select_menu, VynUtilMenuToggleDone, &state, 3, caller);
    status = menu_create(1, select_menu, caller);
    if (status == VYN_TK_NO_ERROR)
      status = util_call_report("VynMenuProcess()", caller, VynMenuProcess(select_menu, &value));
  }

  VynError result = VYN_TK_USER_ABORT;
  if (status == VYN_TK_NO_ERROR && value == 2) {
    VynArray chosen = nullptr;
    if (util_call_report("VynArrayAlloc()", caller,
                 VynArrayAlloc(0, static_cast<int>(sizeof(int)), 1, &chosen)) == VYN_TK_NO_ERROR) {
      int found = 0;
      bool added = true;
      for (int i = 0; i < state.count && added; ++i) {
        if (!state.flags[i]) continue;
        added = util_call_report("VynArrayObjectAdd()", caller, VynArrayObjectAdd(&chosen, -1, 1, &i)) ==
                VYN_TK_NO_ERROR;
        if (added) ++found;
      }
      if (added && found > 0) {
        *indices = chosen;
        *count = found;
        result = VYN_TK_NO_ERROR;
      } else {
        util_call_report("VynArrayFree()", caller, VynArrayFree(&chosen));
      }
    }
  }
  util_call_report("VynArrayFree()", caller, VynArrayFree(&flags));
  return result;
}
