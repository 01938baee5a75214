// Whole-file operations on named handles: temporary files, rename, delete, copy, append,
// move and truncate, each aware of version numbers.
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

// Names the handle after a file that does not exist yet, a name the temporary-name
// service makes with the prefix "vyn" (with the extension "tmp" for names of no known
// type, the type's own otherwise, and a trailing delimiter for a directory, type -5),
// and gives it the type. The directory is the one that holds the handle's file when the
// handle has a type (not -4), is on this machine and the directory is writable; else
// the system's temporary directory (TMP, TEMP, else /tmp). 11 for an invalid handle, 8
// for an open one, 1 when the service has no name in that directory.
int pfa_make_temp_file(VynFile* file, int type);

// Renames the handle's file to new_name (a base name) through its location; the handle
// keeps the new base name. Modes: 0 the version the handle names (a directory handle
// renames the directory itself); 1 the highest version; 2 the named version becomes the
// next version of the new name (1 when it has none); 3 every existing version, each to
// the same version of the new name, after checking that none of the new names exists
// (12, nothing renamed), stopping at the first failure, which is returned; the handle's
// version is kept. 11 for an invalid handle, 4 for a name with characters that file
// names cannot hold, 9 for another mode; version lookups return their own codes. A
// rename that did nothing leaves the handle's name as it was.
int pfa_rename_file(VynFile* file, const char* new_name, int mode);

// Deletes the handle's file: mode 0 the version the handle names, 1 the highest version
// (the handle's version is kept), 3 every version, stopping at the first failure, which
// is returned (7 when the versions cannot be listed; 0 when there is none). 11 for an
// invalid or directory handle, 8 for an open one or one not on this machine, 9 for
// another mode, else the location's answer (1 when the file cannot be deleted).
int pfa_delete_file(VynFile* file, int mode);

// Copies from's file to to (a file, or a directory that then takes from's base name,
// extension, type and version). from_rule 0 or 1 (the highest version), to_rule 0, 1 or
// 2; else 11, as for invalid handles or a directory source. 8 for an open handle (with a
// report), 2 for a missing source on this machine, 7 for one that cannot be read or a
// destination directory that cannot be written, 12 for an existing destination that
// cannot be written or is a directory that a file name names, 8 for a version rule on a
// destination not on this machine. Between two local-file-system names the system's copy
// serves (all or nothing): 0 or 1. Otherwise the contents are copied to a fresh file
// beside the destination, which takes the destination's name only when it is whole and
// closed: a copy that fails leaves the destination as it was and nothing of itself (the
// result is the failure, its close included). A standard stream holds no file: the
// contents are written straight into it, and a write or the close (its flush) that fails
// is the result.
int pfa_copy_file(VynFile* from, int from_rule, VynFile* to, int to_rule);

// A filter of copy_pfa_contents (and rem_cr_from_str's shape): n bytes of in become
// *out_count bytes of out (which may be in itself); 1 when done.
typedef int (*PfaCopyFilter)(const char* in, int n, char* out, int* out_count);

// Copies the open source to the open destination in blocks of its size, between 4096
// and 4,194,304 bytes, through the filter when one is given, and closes the source. 0 at
// a clean end; the first failing read or write stops the copy and is returned.
int copy_pfa_contents(VynFile* from, VynFile* to, PfaCopyFilter filter);

// Appends the open source to the open destination (copy_pfa_contents, source closed).
// 11 unless both are valid, open and not directories.
int pfa_append_file(VynFile* from, VynFile* to);

// Moves from's file to to's name: a rename when both have one location type and it
// succeeds (an open source's stream then passes to the destination handle), else by
// copying, with the checks and results of pfa_copy_file: the copy is made beside the
// destination, the source's file is renamed beside it and a file at the destination is
// kept aside under a fresh name until the source's file is deleted, and every step that
// fails is undone, so that a failure leaves source and destination as they were and
// nothing beside them. A source that cannot be written (7) or renamed is refused before
// the destination is touched. When the destination that was kept aside cannot be
// deleted at the end, the move is undone by copying the file back and the result is
// that failure. To a standard stream the contents are written straight into it and the
// source's file is deleted only after all of them went (a failure keeps it). 11 for
// invalid handles, a directory source or a name that cannot be formed, 2 for a missing
// source.
int pfa_move_file(VynFile* from, VynFile* to);

// Cuts the open file to size bytes through its location: 11 for an invalid handle, 1
// for one that is not open, else the location's answer.
int pfa_truncate_file(VynFile* file, long size);

// Copies n bytes of text to out leaving out every carriage return; *out_count gets the
// bytes written. out may be text itself. 1.
int rem_cr_from_str(const char* text, int n, char* out, int* out_count);

// When the file's location is not one a shell can use, copies it to a new temporary
// file of the given object type: 1 with the copy's handle in *out. Otherwise, or when
// the copy fails (nothing is left behind), 0 with *out null.
int pfa_copy_for_shell(VynFile* file, VynFile** out, int type);

// Copies n bytes from one open stream to another in chunks of at most 4096 bytes and
// flushes the destination: 0; 11 for invalid handles; 1 when a read, a write or the
// flush fails, or the source ends before n bytes.
int pfa_copy_data_bet_files(VynFile* from, VynFile* to, long n);

}  // namespace vek
