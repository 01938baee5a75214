// The local file system's open files: the stream record kept in a handle's location slot
// and the methods that open, read, write, position, truncate and close through it, and
// the file methods that work on the name alone (delete, directories, times, mode, size).
#pragma once

#include <cstdio>

#include "fileaccess/core/pfa.h"

namespace vek {

// The location slot of an open local file: a descriptor-style open keeps its descriptor
// (stream null), a stream open its stream (descriptor -1). A write, flush or copy that
// failed marks it damaged for good: bytes were lost, so every later write and the close
// fail, and nothing is written after the gap.
struct PfaFsStream {
  int descriptor;
  std::FILE* stream;
  int damaged;
};

// A new record (descriptor -1, no stream, not damaged) into *slot: 0; 9 for a null slot.
int pfafs_alloc_stream(void** slot);
// The record in a slot, null when there is none.
PfaFsStream* pfafs_stream_of(void* const* slot);

// Descriptor-style open of the name (formed into name_buffer, 260 bytes) with the
// run-time's flags: 0; 4 when no name can be formed, 12 when an exclusive create finds
// the file, 18 when the process has no descriptor left, 1 for any other failure. A missing "name.ext.N" read as version 1
// (N one character, read-only, a usable name) is retried as "name.ext", and the handle's
// version becomes 0 when that opens. Names: pfafs_open takes the handle's name without
// its host, pfafs_open_full its full name.
int pfafs_open(VynFile* file, void** slot, void* name_buffer, int flags, int permission,
               int version);
int pfafs_open_full(VynFile* file, void** slot, void* name_buffer, int flags, int permission,
                    int version);
// The same as a stream with an fopen mode ("wx" creates exclusively; the retry needs a
// mode without 'w'); the remaining words are the content hints, unused here.
int pfafs_fopen(VynFile* file, void** slot, void* name_buffer, void* mode, int version,
                void* hint_name, int hint_dependency, int hint_flags);
int pfafs_fopen_full(VynFile* file, void** slot, void* name_buffer, void* mode, int version,
                     void* hint_name, int hint_dependency, int hint_flags);

// Truncates the open file to *length bytes (a long) and keeps the stream: its mode and
// position stay, the pending output is written first. 0; 1 when a step fails, leaving
// the handle open and the file as the failing step found it; 9 without a record.
int pfafs_truncate_file_low(VynFile* file, void** slot, void* length);

// Installs the stream and name methods of type 1 (between the registration's setup
// calls).
void pfafs_register_stream_methods(int type);
// Installs the UNC forms (full names) of the open, delete, truncate, directory-move and
// file-question methods.
void pfafs_register_unc_stream_methods(int type);

// The record's stream into *stream (null when none): 0; 3 without a record.
int pfafs_discouraged_get_stream(VynFile* file, void** slot, std::FILE** stream);
// Stores stream in the record (made when missing) with descriptor -1: 0; 9 without a
// slot.
int pfafs_discouraged_put_stream(VynFile* file, std::FILE* stream, void** slot);

}  // namespace vek
