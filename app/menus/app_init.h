// The application's start-up and end, called by the toolkit's entry points.
#pragma once

#include "toolkit/tkbase.h"

// The application's message file name, set by user_initialize.
extern VynWchar YrlMsgFile[VYN_PATH_SIZE];
// The message file of the menu labels and help texts.
extern const VynWchar yrl_menubar_msg_file[];

// Takes the start-up's five values (argc, argv, release name, build code, error text)
// and uses none of them (the release name is kept for the tests only); 0: the
// application's start-up never fails.
int user_initialize(int argc, char** argv, const char* release_name, const char* build,
                    VynWchar* error_text);
// Does nothing; 0.
int user_terminate();
