// The scripted user's actions as lines of text, as scenario files and tests write them:
//
//   menu MENU BUTTON                    press a push button of a menu
//   press DIALOG COMPONENT              press a push button
//   toggle DIALOG COMPONENT             flip a check button
//   radio DIALOG COMPONENT NAME         choose a radio button
//   option DIALOG COMPONENT NAME        choose an option menu entry
//   tab DIALOG COMPONENT NAME           choose a tab page
//   type DIALOG COMPONENT TEXT [EVENT]  type into an input panel; EVENT is activate
//                                       (Enter, the default), focusout or none
//   answer TEXT                         type the answer to a prompt in the message area
//   list DIALOG COMPONENT NAME...       select names of a list (none: clear)
//   table DIALOG COMPONENT ROW...       select rows of a table
//   close DIALOG                        press the window's close box
//   pick TYPE ID [WINDOW [X Y Z [U V]]] pick one item of the model shown in WINDOW (0,
//                                       the default: the current window) at a point (and
//                                       at parameters U V of its curve or surface; without
//                                       them the host takes them from the point); several
//                                       picks of one selection are joined with "+":
//                                       pick 4 12 + 4 13
//   abort [STATUS]                      give up a selection (default -3, user abort)
//   mouse BUTTON X Y Z                  click a mouse button at a point
//   box X1 Y1 Z1 X2 Y2 Z2               drag a box between two points
//
// Words are separated by blanks; a word with blanks is written in double quotes, in
// which \" and \\ stand for " and \. A line whose first word begins with # is a comment.
#pragma once

#include <string>
#include <vector>

#include "host/script/script.h"

namespace yrlhost {

// The words of a line: blank-separated, double quotes grouping. False with the reason in
// error for an unterminated quote or a bad escape.
bool script_split_words(const std::string& line, std::vector<std::string>& words,
                        std::string& error);

// One action from its words (the first word names it); false with the reason in error.
bool script_action_from_words(const std::vector<std::string>& words, ScriptAction& action,
                              std::string& error);

// Queues the action that line describes; false with the reason in error and nothing
// queued when it does not describe one.
bool script_push_text(const std::string& line, std::string& error);

}  // namespace yrlhost
