// Utilities over the host's older menus: button actions, value menus built from a table
// or from a menu-strings array, the menu-strings array itself, and a menu that selects
// several names at once. Every host status is handed to the test-call report.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// ---- Button actions (VynMenubuttonAction: the data word and the int set with them)

// Stores value in the int that int_pointer points to and closes the current menu; 0.
int VynUtilAssign(void* int_pointer, int value);
// Closes count menus; 0.
int VynUtilMenuKill(void* ignored, int count);
// Closes the current menu with value as its status; 0.
int VynUtilMenubuttonDeleteWithStatus(void* ignored, int value);

// Activates (flag nonzero) or deactivates the button; the host's status.
VynError VynUtilMenubuttonActivate(const char* menu, const char* button, int flag);
// Highlights (flag nonzero) or unhighlights the button; the host's status.
VynError VynUtilMenubuttonHighlight(const char* menu, const char* button, int flag);

// ---- Value menus

// Row flags.
enum : int {
  VYN_UTIL_MENU_DELETE = 1,       // the button closes the menu
  VYN_UTIL_MENU_HOLD = 2,         // the button holds it
  VYN_UTIL_MENU_ACTIVATE = 4,
  VYN_UTIL_MENU_DEACTIVATE = 8,
  VYN_UTIL_MENU_HIGHLIGHT = 16,
  VYN_UTIL_MENU_UNHIGHLIGHT = 32,
  VYN_UTIL_MENU_REMOVE = 64,      // the button is removed from the menu
};

// A row of a value-menu table. Row 0 names the menu, rows 1 and on its buttons; a row
// with an empty name ends the table.
struct VynUtilMenuRow {
  char name[32];
  int value;
  int flags;
};
static_assert(sizeof(VynUtilMenuRow) == 40);

// Shows the menu of the table and runs it; value gets the value of the row whose button
// closed it. The status of the run (0 at once, with value untouched, for a table
// without buttons); -2 for a null argument.
VynError VynUtilMenuIntValueSelect(const VynUtilMenuRow* rows, int* value);
// The same for a menu whose buttons are the names of a menu-strings array (those before
// its empty end string, within the array's size); value (when given) gets the chosen
// name's index. -2 for a null argument or an array whose size cannot be read.
VynError VynUtilMenuStringsIntValueSelect(const char* menu, VynArray names, int* value);

// ---- Menu-strings arrays: host arrays of wide-string pointers that end with an empty
// string; the strings before it are the caller's (calloc) copies.

VynError VynUtilMenuStringsAlloc(VynArray* array);
VynError VynUtilMenuStringsStrAdd(VynArray* array, const char* name);
VynError VynUtilMenuStringsWstrAdd(VynArray* array, const VynWchar* name);
VynError VynUtilMenuStringsFree(VynArray* array);

// ---- Selecting several names

// The state of a multi-selection menu; its buttons' actions get its address.
struct VynUtilMenuSelectState {
  const char* menu;
  VynWchar** names;  // the menu-strings array
  int* flags;        // host int array: 1 for each selected name
  int count;
};

// Shows the names of a menu-strings array as a toggle menu beside the menu
// "TkMenuUtilSelect" (select all, unselect all, done, quit). After done with one or
// more names selected: a new host int array of their indices in indices, their count in
// count, 0. Otherwise -3 (-2 for a null argument or an array whose size cannot be read).
VynError VynUtilMenuStringManySelect(const char* menu, VynArray names, VynArray* indices,
                                     int* count);
// Flips the selection of name index; 0.
int VynUtilMenuToggleOne(void* state, int index);
// 0 selects, 1 unselects every name; 2 (done) and 3 (quit) close both menus with that
// status; 0.
int VynUtilMenuToggleDone(void* state, int action);
