// String lists: growable arrays of pointers (element size one pointer, step 4), each to
// a narrow (xtext) or wide (xwtext) string in a memory block that the list owns.
//
// The list file format is plain text, one string per line, each line ended by a line
// feed; wide strings are written in their narrow form. Lines read back are at most
// 9,999 bytes with their line feed.
#pragma once

#include "fileaccess/backends/pfu.h"
#include "runtime/vekbase.h"

namespace vek {

typedef char** xtext;
typedef VynWchar** xwtext;

// wscmp in the form the searches and the sort take (a null string orders first).
int dummy_wstrcmp(const void* a, const void* b);

// An invalid handle prints "Bad xarray.\n\n"; else every element as "<index>::<text>".
void xtext_print(xtext list);
void xwtext_print(xwtext list);

// A new list with a new copy of every string; null elements stay null.
xtext xtext_copy(xtext list);
xwtext xwtext_copy(xwtext list);

// Index of the first equal element, or -1.
int xtext_lin_search(xtext list, const char* s);
int xtext_lin_search_low(char* const* array, int count, const char* s);
int xwtext_lin_search(xwtext list, const VynWchar* w);

// Binary search of a sorted list: 1 when found (position = its index), else 0
// (position = where it belongs). position may be null.
int xtext_bin_search(xtext list, const char* s, int* position);
int xwtext_bin_search(xwtext list, const VynWchar* w, int* position);

// Stores a new copy at index, or at the end for index -1; a null *p_list gets a new list.
void xtext_insert(xtext* p_list, int index, const char* s);
void xwtext_insert(xwtext* p_list, int index, const VynWchar* w);

// Inserts a copy at its sorted place unless an equal string is there: 1 when inserted.
int xtext_sorted_insert(xtext* p_list, const char* s);
int xwtext_sorted_insert(xwtext* p_list, const VynWchar* w);

void xtext_sort(xtext list);
void xwtext_sort(xwtext list);

// A new list with one string per line of an open file (a last line without a line feed
// included), without the line feeds; null on a read error or an over-long line.
xtext xtext_read_file(PF_File* file);
xwtext xwtext_read_file(PF_File* file);

// Writes every string and a line feed: 1, or the first failing status.
int xtext_write_file(PF_File* file, const xtext* p_list);
int xwtext_write_file(PF_File* file, const xwtext* p_list);

// A new list of the white-space separated words of a narrow text.
xtext xtext_from_string(const char* s);
xwtext xwtext_from_string(const char* s);

// *p_wide (made when null, else emptied) gets the wide form of every string of list.
void xtext_to_xwtext(xtext list, xwtext* p_wide);

// Joins the elements from start on into out (size bytes with the terminator), each
// followed by sep, the last sep dropped, as long as they fit. *last (when given) is the
// index of the last element joined, start - 1 when none. 1 when every element up to the
// end was joined.
int xtext_to_string(xtext list, int start, const char* sep, int size, char* out, int* last);

}  // namespace vek
