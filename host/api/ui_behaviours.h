// UI dialogs and their components: the host functions with behaviour (see host/api/host_behaviours.h).
//
// The many rows that do one thing to one component of one kind come from the tables
// below, (row, kind, operation), one table per signature: the rows the application calls
// have typed parameters, the catalogue's rows take words (dialog and component names,
// then the row's own values). The rest are declared one by one after the tables.
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// (row, kind, operation): enable, disable, show, hide, editable, read_only, set, unset.
#define YRL_UI_SWITCH_ROWS(X)                              \
  X(VynUICheckbuttonDisable, checkbutton, disable)         \
  X(VynUICheckbuttonEnable, checkbutton, enable)           \
  X(VynUICheckbuttonSet, checkbutton, set)                 \
  X(VynUICheckbuttonUnset, checkbutton, unset)             \
  X(VynUIInputpanelDisable, inputpanel, disable)           \
  X(VynUIInputpanelEditable, inputpanel, editable)         \
  X(VynUIInputpanelEnable, inputpanel, enable)             \
  X(VynUIInputpanelReadOnly, inputpanel, read_only)        \
  X(VynUILabelHide, label, hide)                           \
  X(VynUILabelShow, label, show)                           \
  X(VynUILayoutHide, layout, hide)                         \
  X(VynUILayoutShow, layout, show)                         \
  X(VynUIOptionmenuDisable, optionmenu, disable)           \
  X(VynUIPushbuttonDisable, pushbutton, disable)           \
  X(VynUIPushbuttonEnable, pushbutton, enable)             \
  X(VynUIPushbuttonHide, pushbutton, hide)                 \
  X(VynUIPushbuttonShow, pushbutton, show)                 \
  X(VynUIRadiogroupDisable, radiogroup, disable)           \
  X(VynUIRadiogroupEnable, radiogroup, enable)             \
  X(VynUITabDisable, tab, disable)                         \
  X(VynUITabEnable, tab, enable)

#define YRL_UI_SWITCH_WORD_ROWS(X)                         \
  X(VynUICascadebuttonDisable, cascadebutton, disable)     \
  X(VynUICascadebuttonEnable, cascadebutton, enable)       \
  X(VynUICascadebuttonHide, cascadebutton, hide)           \
  X(VynUICascadebuttonShow, cascadebutton, show)           \
  X(VynUICheckbuttonHide, checkbutton, hide)               \
  X(VynUICheckbuttonShow, checkbutton, show)               \
  X(VynUIInputpanelHide, inputpanel, hide)                 \
  X(VynUIInputpanelShow, inputpanel, show)                 \
  X(VynUILabelDisable, label, disable)                     \
  X(VynUILabelEnable, label, enable)                       \
  X(VynUILayoutDisable, layout, disable)                   \
  X(VynUILayoutEnable, layout, enable)                     \
  X(VynUIListDisable, list, disable)                       \
  X(VynUIListEnable, list, enable)                         \
  X(VynUIListHide, list, hide)                             \
  X(VynUIListShow, list, show)                             \
  X(VynUIMenubarDisable, menubar, disable)                 \
  X(VynUIMenubarEnable, menubar, enable)                   \
  X(VynUIMenubarHide, menubar, hide)                       \
  X(VynUIMenubarShow, menubar, show)                       \
  X(VynUIMenupaneHide, menupane, hide)                     \
  X(VynUIMenupaneShow, menupane, show)                     \
  X(VynUIOptionmenuEditable, optionmenu, editable)         \
  X(VynUIOptionmenuEnable, optionmenu, enable)             \
  X(VynUIOptionmenuHide, optionmenu, hide)                 \
  X(VynUIOptionmenuShow, optionmenu, show)                 \
  X(VynUIProgressbarHide, progressbar, hide)               \
  X(VynUIProgressbarShow, progressbar, show)               \
  X(VynUIRadiogroupHide, radiogroup, hide)                 \
  X(VynUIRadiogroupShow, radiogroup, show)                 \
  X(VynUISliderDisable, slider, disable)                   \
  X(VynUISliderEnable, slider, enable)                     \
  X(VynUISliderHide, slider, hide)                         \
  X(VynUISliderShow, slider, show)                         \
  X(VynUISpinboxDisable, spinbox, disable)                 \
  X(VynUISpinboxEditable, spinbox, editable)               \
  X(VynUISpinboxEnable, spinbox, enable)                   \
  X(VynUISpinboxHide, spinbox, hide)                       \
  X(VynUISpinboxReadOnly, spinbox, read_only)              \
  X(VynUISpinboxShow, spinbox, show)                       \
  X(VynUITabHide, tab, hide)                               \
  X(VynUITabShow, tab, show)                               \
  X(VynUITableDisable, table, disable)                     \
  X(VynUITableEnable, table, enable)                       \
  X(VynUITableHide, table, hide)                           \
  X(VynUITableShow, table, show)                           \
  X(VynUITextareaDisable, textarea, disable)               \
  X(VynUITextareaEditable, textarea, editable)             \
  X(VynUITextareaEnable, textarea, enable)                 \
  X(VynUITextareaHide, textarea, hide)                     \
  X(VynUITextareaReadOnly, textarea, read_only)            \
  X(VynUITextareaShow, textarea, show)                     \
  X(VynUIThumbwheelDisable, thumbwheel, disable)           \
  X(VynUIThumbwheelEnable, thumbwheel, enable)             \
  X(VynUIThumbwheelHide, thumbwheel, hide)                 \
  X(VynUIThumbwheelShow, thumbwheel, show)

// (row, kind, event): the component's action for the event.
#define YRL_UI_ACTION_ROWS(X)                                    \
  X(VynUICheckbuttonActivateActionSet, checkbutton, activate)    \
  X(VynUIInputpanelActivateActionSet, inputpanel, activate)      \
  X(VynUIInputpanelFocusoutActionSet, inputpanel, focus_out)     \
  X(VynUIListSelectActionSet, list, select)                      \
  X(VynUIOptionmenuActivateActionSet, optionmenu, activate)      \
  X(VynUIOptionmenuSelectActionSet, optionmenu, select)          \
  X(VynUIPushbuttonActivateActionSet, pushbutton, activate)      \
  X(VynUIRadiogroupSelectActionSet, radiogroup, select)          \
  X(VynUITabSelectActionSet, tab, select)                        \
  X(VynUITableSelectActionSet, table, select)

#define YRL_UI_ACTION_WORD_ROWS(X)                               \
  X(VynUIInputpanelFocusinActionSet, inputpanel, focus_in)       \
  X(VynUIInputpanelInputActionSet, inputpanel, input)            \
  X(VynUIListActivateActionSet, list, activate)                  \
  X(VynUIListFocusinActionSet, list, focus_in)                   \
  X(VynUIListFocusoutActionSet, list, focus_out)                 \
  X(VynUIOptionmenuFocusinActionSet, optionmenu, focus_in)       \
  X(VynUIOptionmenuFocusoutActionSet, optionmenu, focus_out)     \
  X(VynUIOptionmenuInputActionSet, optionmenu, input)            \
  X(VynUISliderUpdateActionSet, slider, update)                  \
  X(VynUISpinboxActivateActionSet, spinbox, activate)            \
  X(VynUISpinboxUpdateActionSet, spinbox, update)                \
  X(VynUITableActivateActionSet, table, activate)                \
  X(VynUITableFocusinActionSet, table, focus_in)                 \
  X(VynUITableFocusoutActionSet, table, focus_out)               \
  X(VynUITextareaActivateActionSet, textarea, activate)          \
  X(VynUITextareaFocusinActionSet, textarea, focus_in)           \
  X(VynUITextareaFocusoutActionSet, textarea, focus_out)         \
  X(VynUITextareaInputActionSet, textarea, input)                \
  X(VynUIThumbwheelUpdateActionSet, thumbwheel, update)

// (row, kind, field): sets an int of the component (a value below 0 is refused).
#define YRL_UI_NUMBER_ROWS(X)                                    \
  X(VynUIInputpanelDigitsSet, inputpanel, digits)                \
  X(VynUIInputpanelInputtypeSet, inputpanel, input_type)         \
  X(VynUIListSelectionpolicySet, list, selection_policy)         \
  X(VynUIOptionmenuVisiblerowsSet, optionmenu, visible_rows)     \
  X(VynUITableVisiblerowsSet, table, visible_rows)

#define YRL_UI_NUMBER_WORD_ROWS(X)                               \
  X(VynUIListVisiblerowsSet, list, visible_rows)                 \
  X(VynUITableSelectionpolicySet, table, selection_policy)       \
  X(VynUISpinboxDigitsSet, spinbox, digits)                      \
  X(VynUISpinboxInputtypeSet, spinbox, input_type)               \
  X(VynUIProgressbarIntegerSet, progressbar, integer)            \
  X(VynUISliderIntegerSet, slider, integer)                      \
  X(VynUISpinboxIntegerSet, spinbox, integer)                    \
  X(VynUIThumbwheelIntegerSet, thumbwheel, integer)

// (row, kind, question): writes an int answer through the last word.
#define YRL_UI_QUERY_WORD_ROWS(X)                                \
  X(VynUICascadebuttonIsEnabled, cascadebutton, is_enabled)      \
  X(VynUICascadebuttonIsVisible, cascadebutton, is_visible)      \
  X(VynUICheckbuttonIsEnabled, checkbutton, is_enabled)          \
  X(VynUICheckbuttonIsVisible, checkbutton, is_visible)          \
  X(VynUIInputpanelIsEnabled, inputpanel, is_enabled)            \
  X(VynUIInputpanelIsVisible, inputpanel, is_visible)            \
  X(VynUILabelIsEnabled, label, is_enabled)                      \
  X(VynUILabelIsVisible, label, is_visible)                      \
  X(VynUILayoutIsEnabled, layout, is_enabled)                    \
  X(VynUILayoutIsVisible, layout, is_visible)                    \
  X(VynUIListIsEnabled, list, is_enabled)                        \
  X(VynUIListIsVisible, list, is_visible)                        \
  X(VynUIMenubarIsEnabled, menubar, is_enabled)                  \
  X(VynUIMenubarIsVisible, menubar, is_visible)                  \
  X(VynUIMenupaneIsVisible, menupane, is_visible)                \
  X(VynUIOptionmenuIsVisible, optionmenu, is_visible)            \
  X(VynUIProgressbarIsVisible, progressbar, is_visible)          \
  X(VynUIPushbuttonIsEnabled, pushbutton, is_enabled)            \
  X(VynUIPushbuttonIsVisible, pushbutton, is_visible)            \
  X(VynUIRadiogroupIsEnabled, radiogroup, is_enabled)            \
  X(VynUIRadiogroupIsVisible, radiogroup, is_visible)            \
  X(VynUISliderIsEnabled, slider, is_enabled)                    \
  X(VynUISliderIsVisible, slider, is_visible)                    \
  X(VynUISpinboxIsEnabled, spinbox, is_enabled)                  \
  X(VynUISpinboxIsVisible, spinbox, is_visible)                  \
  X(VynUITabIsEnabled, tab, is_enabled)                          \
  X(VynUITabIsVisible, tab, is_visible)                          \
  X(VynUITableIsEnabled, table, is_enabled)                      \
  X(VynUITableIsVisible, table, is_visible)                      \
  X(VynUITextareaIsVisible, textarea, is_visible)                \
  X(VynUIThumbwheelIsEnabled, thumbwheel, is_enabled)            \
  X(VynUIThumbwheelIsVisible, thumbwheel, is_visible)            \
  X(VynUISliderIntegerGet, slider, integer)                      \
  X(VynUISpinboxIntegerGet, spinbox, integer)                    \
  X(VynUIThumbwheelIntegerGet, thumbwheel, integer)

// (row, kind): sets the component's text from a wide string.
#define YRL_UI_TEXT_ROWS(X)              \
  X(VynUILabelTextSet, label)            \
  X(VynUILayoutTextSet, layout)          \
  X(VynUIPushbuttonTextSet, pushbutton)

#define YRL_UI_TEXT_WORD_ROWS(X)               \
  X(VynUICascadebuttonTextSet, cascadebutton)  \
  X(VynUICheckbuttonTextSet, checkbutton)      \
  X(VynUIMenupaneTextSet, menupane)

// (row, kind, what): sets the names, the labels or the selected names of a component's
// items from a VynArray of narrow (names) or wide (labels) strings.
#define YRL_UI_ITEMS_ROWS(X)                                     \
  X(VynUIListLabelsSet, list, labels)                            \
  X(VynUIListNamesSet, list, names)                              \
  X(VynUIOptionmenuLabelsSet, optionmenu, labels)                \
  X(VynUIOptionmenuNamesSet, optionmenu, names)                  \
  X(VynUIOptionmenuSelectednamesSet, optionmenu, selected)       \
  X(VynUIRadiogroupSelectednamesSet, radiogroup, selected)       \
  X(VynUITabSelectednamesSet, tab, selected)

#define YRL_UI_ITEMS_WORD_ROWS(X)                                \
  X(VynUIListSelectednamesSet, list, selected)                   \
  X(VynUIRadiogroupLabelsSet, radiogroup, labels)                \
  X(VynUIRadiogroupNamesSet, radiogroup, names)                  \
  X(VynUITabLabelsSet, tab, labels)

// (row, kind): hands the selected names out as a char** (freed with VynStringarrayFree)
// or as a VynArray (freed with VynStringvynarrayFree).
#define YRL_UI_SELECTED_ROWS(X)                  \
  X(VynUIListSelectednamesGet, list)             \
  X(VynUIRadiogroupSelectednamesGet, radiogroup) \
  X(VynUITableSelectednamesGet, table)

#define YRL_UI_SELECTED_ARRAY_ROWS(X)                 \
  X(VynUIOptionmenuSelectednamesGet, optionmenu)      \
  X(VynUITabSelectednamesGet, tab)

#define YRL_UI_DECLARE(row, signature) \
  template <>                          \
  struct Behaviour<HostApi::row> {     \
    static VynError run signature;     \
  };
#define YRL_UI_DECLARE_SWITCH(row, kind, op) \
  YRL_UI_DECLARE(row, (int context, const char* dialog, const char* component))
#define YRL_UI_DECLARE_SWITCH_WORDS(row, kind, op) \
  YRL_UI_DECLARE(row, (int context, VynWord dialog, VynWord component))
#define YRL_UI_DECLARE_ACTION(row, kind, event)                                      \
  YRL_UI_DECLARE(row, (int context, const char* dialog, const char* component,      \
                       VynUIAction action, void* app_data))
#define YRL_UI_DECLARE_ACTION_WORDS(row, kind, event) \
  YRL_UI_DECLARE(row, (int context, VynWord dialog, VynWord component, VynWord action, VynWord app_data))
#define YRL_UI_DECLARE_NUMBER(row, kind, field) \
  YRL_UI_DECLARE(row, (int context, const char* dialog, const char* component, int value))
#define YRL_UI_DECLARE_WORDS_3(row, kind, field) \
  YRL_UI_DECLARE(row, (int context, VynWord dialog, VynWord component, VynWord value))
#define YRL_UI_DECLARE_TEXT(row, kind) \
  YRL_UI_DECLARE(row, (int context, const char* dialog, const char* component, const VynWchar* text))
#define YRL_UI_DECLARE_TEXT_WORDS(row, kind) \
  YRL_UI_DECLARE(row, (int context, VynWord dialog, VynWord component, VynWord text))
#define YRL_UI_DECLARE_ITEMS(row, kind, what) \
  YRL_UI_DECLARE(row, (int context, const char* dialog, const char* component, int count, VynArray names))
#define YRL_UI_DECLARE_WORDS_4(row, kind, what) \
  YRL_UI_DECLARE(row, (int context, VynWord dialog, VynWord component, VynWord count, VynWord names))
#define YRL_UI_DECLARE_SELECTED(row, kind) \
  YRL_UI_DECLARE(row, (int context, const char* dialog, const char* component, int* count, char*** names))
#define YRL_UI_DECLARE_SELECTED_ARRAY(row, kind) \
  YRL_UI_DECLARE(row, (int context, const char* dialog, const char* component, int* count, VynArray* names))

YRL_UI_SWITCH_ROWS(YRL_UI_DECLARE_SWITCH)
YRL_UI_SWITCH_WORD_ROWS(YRL_UI_DECLARE_SWITCH_WORDS)
YRL_UI_ACTION_ROWS(YRL_UI_DECLARE_ACTION)
YRL_UI_ACTION_WORD_ROWS(YRL_UI_DECLARE_ACTION_WORDS)
YRL_UI_NUMBER_ROWS(YRL_UI_DECLARE_NUMBER)
YRL_UI_NUMBER_WORD_ROWS(YRL_UI_DECLARE_WORDS_3)
YRL_UI_QUERY_WORD_ROWS(YRL_UI_DECLARE_WORDS_3)
YRL_UI_TEXT_ROWS(YRL_UI_DECLARE_TEXT)
YRL_UI_TEXT_WORD_ROWS(YRL_UI_DECLARE_TEXT_WORDS)
YRL_UI_ITEMS_ROWS(YRL_UI_DECLARE_ITEMS)
YRL_UI_ITEMS_WORD_ROWS(YRL_UI_DECLARE_WORDS_4)
YRL_UI_SELECTED_ROWS(YRL_UI_DECLARE_SELECTED)
YRL_UI_SELECTED_ARRAY_ROWS(YRL_UI_DECLARE_SELECTED_ARRAY)

// Dialogs.
YRL_UI_DECLARE(VynUIDialogCreate, (int context, const char* dialog, const char* layout, const char* dir))
YRL_UI_DECLARE(VynUIDialogDestroy, (int context, const char* dialog))
YRL_UI_DECLARE(VynUIDialogActivate, (int context, const char* dialog, int* status))
YRL_UI_DECLARE(VynUIDialogExit, (int context, const char* dialog, int status))
YRL_UI_DECLARE(VynUIDialogCloseActionSet, (int context, const char* dialog, VynUIAction action, void* app_data))
YRL_UI_DECLARE(VynUIDialogDefaultbuttonSet, (int context, const char* dialog, const char* component))
YRL_UI_DECLARE(VynUIDialogTitleSet, (int context, const char* dialog, const VynWchar* title))

// Check buttons and input panels.
YRL_UI_DECLARE(VynUICheckbuttonGetState, (int context, const char* dialog, const char* component, int* state))
YRL_UI_DECLARE(VynUIInputpanelDoubleGet, (int context, const char* dialog, const char* component, double* value))
YRL_UI_DECLARE(VynUIInputpanelDoubleSet, (int context, const char* dialog, const char* component, double value))
YRL_UI_DECLARE(VynUIInputpanelStringGet, (int context, const char* dialog, const char* component, char** string))
YRL_UI_DECLARE(VynUIInputpanelStringSet, (int context, const char* dialog, const char* component, const char* string))

// Option menus.
YRL_UI_DECLARE(VynUIOptionmenuValueGet, (int context, const char* dialog, const char* component, VynWchar** value))
YRL_UI_DECLARE(VynUIOptionmenuValueSet, (int context, const char* dialog, const char* component, const VynWchar* value))

// Tables.
YRL_UI_DECLARE(VynUITableCellComponentCopy,
               (int context, const char* dialog, const char* table, const char* row, const char* column,
                const char* source_dialog, const char* source_component, const char* name))
YRL_UI_DECLARE(VynUITableCellComponentDelete,
               (int context, const char* dialog, const char* table, const char* row, const char* column))
YRL_UI_DECLARE(VynUITableCellLabelSet, (int context, const char* dialog, const char* table, const char* row,
                                         const char* column, const VynWchar* label))
YRL_UI_DECLARE(VynUITableFocusCellGet, (int context, const char* dialog, const char* table, char** row, char** column))
YRL_UI_DECLARE(VynUITableRownamesGet, (int context, const char* dialog, const char* table, int* count, char*** names))
YRL_UI_DECLARE(VynUITableRowsDelete, (int context, const char* dialog, const char* table, int count, char** names))
YRL_UI_DECLARE(VynUITableRowsInsert, (int context, const char* dialog, const char* table, const char* after_row,
                                       int count, char** names))

}  // namespace yrlhost
