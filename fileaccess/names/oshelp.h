// Path and operating-system helpers of the file-access layer.
#pragma once

#include <cstdio>

#include "platform/w32/registry.h"
#include "runtime/vekbase.h"

namespace vek {

// The process-wide input mode, 0 at start.
int get_input_mode();
int set_input_mode(int mode);

// fopen that keeps the directory cache up to date for the files it creates.
std::FILE* dci_fopen(const char* name, const char* mode);

// 1 when path names a directory, 0 when it names anything else, nothing, or is null.
// One trailing delimiter is removed from the caller's text first (a drive root or a
// lone delimiter stays whole); critical-error boxes are off during the test and the
// error mode is restored after it.
int vyn_is_dir(char* path);

// The full name of the layer's current directory as wide text into out (size
// characters): 1; 0 with out empty when there is none or it does not fit.
int dir_get(VynWchar* out, int size);

// The registry primitives: key is a path of names below root. Each opens the key, does
// its one read or write and closes the key again.
//
// Reads a REG_DWORD value (at most 4 bytes) into *value when value is not null: 1, or 0
// when the key or value is missing, is of another type or does not fit.
int nt_get_registry_value(w32::HKEY root, const char* key, const char* value_name,
                          w32::DWORD* value);
// Writes a REG_DWORD value, making the key and the keys above it when missing: 1 on
// success, else 0.
int nt_set_registry_value(w32::HKEY root, const char* key, const char* value_name,
                          w32::DWORD value);
// Reads a REG_SZ or REG_EXPAND_SZ value into out of size bytes, always terminated: 1
// when out is not empty. out is empty (and the result 0) when the value is missing, of
// another type, empty, or does not fit with its terminator; 0 for a null out or a size
// below 1.
int nt_get_registry_string(w32::HKEY root, const char* key, const char* value_name, int size,
                           char* out);
// Writes text as a REG_SZ value of at most size bytes, making the keys when missing: 1
// on success, else 0 (also for a null text or a negative size). Nothing past the
// text's terminator is stored, so size may be that of the caller's buffer.
int nt_set_registry_string(w32::HKEY root, const char* key, const char* value_name, int size,
                           const char* text);

}  // namespace vek
