// Test hooks: the whole application's state back to its value at load, and the reset of
// each of its modules.
#pragma once

void app_testing_reset();

void app_init_testing_reset();     // menus/: start-up, commands, class flags
// The release name the last user_initialize received ("" before).
const char* app_init_testing_release_name();
void storage_testing_reset();      // storage/: records stored in the drawing
void prefs_testing_reset();        // prefs/: preferences and config.yrl
void views_testing_reset();        // views/: named views
void select_testing_reset();       // select/: the current selection
void apputil_testing_reset();      // util/: application utilities, active part
void partinfo_testing_reset();     // parts/: drawing and part information
