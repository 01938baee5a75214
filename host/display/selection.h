// Selections as the host's modules make and read them, the highlighted items, and the
// filter words of the selection function.
//
// A VynSelection is the address of a host record (below). Every selection the host hands
// out is a live object (LiveKind::selection) until the plug-in frees it, except those of
// the selection function's last answer: they and their array stay the host's and are
// freed at the next selection (or at the reset), which is why the plug-in copies the
// selections it keeps.
//
// The selection function (host/ui/picks.cpp) takes the scripted user's next action
// (checks ahead of it run first). A pick names items of the model shown in the pick's window (the current window
// when the pick names none): each must exist there and not be hidden (host/store/pick_items.h),
// else the pick is a script failure and the selection answers the user's abort (-3) with
// nothing picked. Of the picked items, those the filter text allows are offered, in
// order, to the filter record's post_filter (VynSelectionFilter), until max_count are
// taken (max_count > 0); the filter refuses an item with a nonzero status. A pick with
// no item taken leaves the user picking again: the next action is taken. Without U V in
// the script, a picked item with a curve gets the parameter of the pick point along it
// (or, without a point, the curve's middle as point and parameter 0.5). An abort answers
// its status, a menu press answers selection_left_by_menu and stays queued for the top
// level; both pick nothing. Any other action, or none, is a script failure answered as
// the user's abort (-3), the action staying queued.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

// The record behind a VynSelection.
struct VynSelectionRecord {
  VynModelitem item{};
  int window = 0;                  // the window the item was picked in (or shown in)
  double point[3] = {0, 0, 0};     // where it was picked
  double uv[2] = {0, 0};           // its parameters at the pick
  std::uint64_t select_round = 0;  // the selection answer that holds it; 0 for none
  bool held = false;               // an element value's own copy: it is freed with the
                                   // value, and VynSelectionFree refuses it
};

// The options of a selection environment.
struct VynSelectionEnvRecord {
  std::vector<VynSelectionEnvOption> options;
};

namespace yrlhost {

// The status the selection answers when the user leaves it by choosing another menu
// button; the plug-in tells it apart from the user's abort (-3).
inline constexpr VynError selection_left_by_menu = -14;

// A new live selection of item in window (0: the current window) at point (null: the
// origin).
VynSelection selection_make(const VynModelitem& item, int window, const double* point);
bool selection_is(VynSelection selection);
// A new live selection with everything of a live one (item, window, point, parameters);
// null for anything else.
VynSelection selection_copy(VynSelection from);
// Frees a live selection; false (and nothing freed) for anything else.
bool selection_release(VynSelection selection);
// Sets the parameters a selection reports (for the modules that make selections of
// locations, and tests); false for what is not a live selection.
bool selection_uv_set(VynSelection selection, const double uv[2]);

// The colour an item is highlighted in; none when it is not highlighted.
std::optional<int> highlight_colour(const VynModelitem& item);
// The colour an item is highlighted in within a window; none when it is not highlighted
// there.
std::optional<int> highlight_colour_in(const VynModelitem& item, int window);
// How many items are highlighted.
std::size_t highlight_count();
// Forgets the highlights of window (a repaint draws the model afresh).
void highlights_clear(int window);

// The item types a filter text of the selection function allows: a comma-separated list
// of words, blanks around a word ignored. False (and types left as they were) for an
// empty text or an unknown word.
bool selection_filter_types(const std::string& filter, std::vector<int>& types);

// The items the selection function refused, because the filter text did not allow their
// type or the filter record refused them, in the order of the picks, since the last reset.
const std::vector<VynModelitem>& selection_refused();

// Records an item the selection function refused.
void selection_refused_add(const VynModelitem& item);

// Highlights an item in a window in a colour, in place of any highlight it had; forgets
// an item's highlight.
void highlight_set(const VynModelitem& item, int window, int colour);
void highlight_remove(const VynModelitem& item);

// A new live selection environment with copies of the options; whether an object is a
// live one; frees a live one (false, nothing freed, for anything else).
VynSelectionEnvRecord* selection_env_make(const VynSelectionEnvOption* options, int n_options);
bool selection_env_is(const void* env);
bool selection_env_release(VynSelectionEnvRecord* env);

// Frees what the selection module holds and forgets the highlights.
void selection_testing_reset();

}  // namespace yrlhost
