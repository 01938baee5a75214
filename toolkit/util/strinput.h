// Message and input utilities of the toolkit (messages, yes/no answers, numbers and
// strings read in the host's message window), the current model's name, and the transfer
// of a wide-string array to and from a text file (Windows file names, through the
// platform's path model).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// Shows the message key of the message file prefix + "_msg.txt" with up to ten values
// (each by address, a string by its pointer); the host's status.
VynError VynUtilMsgPrint(const char* prefix, const char* key, const void* v1 = nullptr,
                         const void* v2 = nullptr, const void* v3 = nullptr,
                         const void* v4 = nullptr, const void* v5 = nullptr,
                         const void* v6 = nullptr, const void* v7 = nullptr,
                         const void* v8 = nullptr, const void* v9 = nullptr,
                         const void* v10 = nullptr);

// Asks until the answer begins with Y or N (either case): 1 for yes, 0 for no. When the
// user gives nothing the default text answers; a null default, or one that begins with
// neither, counts as "N". After VYN_UTIL_YESNO_ATTEMPTS unusable answers the default
// answers too.
int VynUtilYesnoGet(const char* default_text);
constexpr int VYN_UTIL_YESNO_ATTEMPTS = 10;

// Reads a number within range (the host's range array, or null) into out: 1. When the
// user gives nothing: the default into out and 1 when a default is given, else 0 with
// out untouched. A null out gives 0.
int VynUtilIntGet(const int* range, const int* default_value, int* out);
int VynUtilDoubleGet(const double* range, const double* default_value, double* out);
// Reads at most max_length characters into out (room for max_length + 1): 1. When the
// user gives nothing: the default (cut to max_length characters) and 1 when one is
// given, else 0 with out untouched. A null out or a max_length below 1 gives 0.
int VynUtilStringGet(VynWchar* out, const VynWchar* default_value, int max_length);

// The name of *model (the current model, stored into *model, when it holds null),
// lower-cased and narrow, into name_out, and its type text likewise into type_out, each
// when given (room for VYN_UTIL_MODELNAME_SIZE bytes). Returns name_out; null when there
// is no model or its data cannot be read.
char* VynUtilModelnameGet(VynMdl* model, char* name_out, char* type_out);
constexpr int VYN_UTIL_MODELNAME_SIZE = 4 * 31 + 1;

// Writes the narrow form of each string of the host array strings (of wide-string
// pointers) as a line of the file file_name. The array's size query status when it
// fails; -1 when the file cannot be opened.
VynError VynUtilWstringArrayToFile(VynArray strings, const VynWchar* file_name);
// Appends the lines of the file file_name to the host wide-string array *strings (lines
// longer than VYN_UTIL_FILE_LINE_SIZE bytes come in pieces; the newline stays in the
// text). The status of a failing append; -1 when the file cannot be opened.
VynError VynUtilFileToWstringArray(const VynWchar* file_name, VynArray* strings);
constexpr int VYN_UTIL_FILE_LINE_SIZE = 80;
