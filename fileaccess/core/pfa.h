// The file handle (VynFile) and its stream operations.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "runtime/vekbase.h"

namespace vek {

constexpr std::uint16_t VYN_FILE_MAGIC = 34922;

// Result codes of the file handle's operations.
enum {
  PFA_E_NO_ERROR = 0,
  PFA_E_ERROR = 1,
  PFA_E_NOT_FOUND = 2,
  PFA_E_CANT_OPEN = 3,
  PFA_E_INVALID_NAME = 4,
  PFA_E_QUIT = 5,
  PFA_E_NO_SPACE = 6,
  PFA_E_NO_ACCESS = 7,
  PFA_E_NOT_ALLOWED = 8,
  PFA_E_INVALID_INPUT = 9,
  PFA_E_INACTIVE = 10,
  PFA_E_NOT_VALID = 11,
  PFA_E_EXIST = 12,
  PFA_E_CANT_WRITE = 13,
  PFA_E_ROOT_DIR = 14,
  PFA_E_NET_TROUBLE = 15,
  PFA_E_OUT_OF_MEMORY = 16,
  PFA_E_ABORTED = 17,
  PFA_E_TOO_MANY_OPEN = 18,
  PFA_E_NOT_CACHABLE = 19,
};

// Flag bits of VynFile::flags.
constexpr std::uint32_t PFA_FLAG_MOUNTED = 0x0002;          // on a mounted remote location
constexpr std::uint32_t PFA_FLAG_OPEN = 0x0100;             // a stream or directory is open
constexpr std::uint32_t PFA_FLAG_DIR_BORROWED = 0x0200;     // reads a cached directory stream
constexpr std::uint32_t PFA_FLAG_CACHE_COPY = 0x0400;       // the cache's copy, stream lent out
constexpr std::uint32_t PFA_FLAG_REMOTE_COUNTED = 0x0800;   // counted among open remote files
constexpr std::uint32_t PFA_FLAG_UI_HIDDEN = 0x1000;        // hidden from the user interface
constexpr std::uint32_t PFA_FLAG_GENERIC_NAME = 0x2000;     // base name not checked
constexpr std::uint32_t PFA_FLAG_EXACT_CASE = 0x4000;       // full names keep their case
constexpr std::uint32_t PFA_FLAG_MOUNTED_KNOWN = 0x8000;    // bit 0x0002 is known

// Object types besides those of the table: none yet, a directory (which has no
// stream), a name of no known type.
constexpr std::int16_t PFA_TYPE_NONE = -4;
constexpr std::int16_t PFA_TYPE_DIRECTORY = -5;
constexpr std::int16_t PFA_TYPE_UNKNOWN = -6;

// Location types.
constexpr std::uint32_t PFA_LOC_STD_FILESYSTEM = 1;
constexpr std::uint32_t PFA_LOC_STDIO = 8;

// One file, directory or standard stream. The magic comes first so that a stale or
// foreign pointer is refused by every operation.
struct VynFile {
  std::uint16_t magic;
  char text[260];                // name components one after the other
  std::uint16_t component[6][2]; // {start, end} offsets into text
  std::int16_t object_type;      // -4 none, -5 directory, -6 unusable name
  std::int16_t version;          // 0: none
  std::uint32_t flags;
  std::uint32_t encode;          // text converter of the stream, 0 none
  std::uint32_t location_type;
  void* location_slot;           // the location type's private word (the open stream)
  void* appinfo;                 // list of application-info records, null when empty
};
// The fields without pointers keep their offsets of the original record.
static_assert(offsetof(VynFile, text) == 2);
static_assert(offsetof(VynFile, component) == 262);
static_assert(offsetof(VynFile, object_type) == 286);
static_assert(offsetof(VynFile, version) == 288);
static_assert(offsetof(VynFile, flags) == 292);
static_assert(offsetof(VynFile, encode) == 296);
static_assert(offsetof(VynFile, location_type) == 300);
static_assert(offsetof(VynFile, location_slot) == 304);
static_assert(offsetof(VynFile, appinfo) == 312);
static_assert(sizeof(VynFile) == 320);

// Version rules of the opens: 0 the version that the handle names, 1 the highest
// existing, 2 the next to write, 4 chosen from the name and the mode.
constexpr int PFA_RULE_AS_NAMED = 0;
constexpr int PFA_RULE_HIGHEST = 1;
constexpr int PFA_RULE_NEXT = 2;
constexpr int PFA_RULE_CHOOSE = 4;

// A new record in its start state (no name, object type -4, version 0, location type 1)
// into *file, from the pool "VynFile". The first call registers the location types. 11
// for a null address, 6 when no record can be had.
int pfa_alloc_vyn_file(VynFile** file);
// Puts a used record back into the start state (a null variable gets a new record). 11
// for a null address; 8 for an open handle, which is left as it was.
int pfa_recycle_vyn_file(VynFile** file);
// Lets the location free its state, frees the appinfo list and invalidates the record
// (its magic becomes 0). 11 for an invalid handle.
int pfa_cleanup(VynFile* file);
// Copies from into to; the copy is not open and shares no stream, has an empty location
// slot and its own appinfo list. 11 unless both are valid, 9 for the same record, 8 when
// to is open (it is left as it was).
int pfa_copy_vyn_file(const VynFile* from, VynFile* to);
// A new copy of the handle, null for an invalid handle or when none can be had.
VynFile* pfa_make_copy(const VynFile* file);

// Readers: truth values (0 for an invalid handle), fields (-1; the encode 0).
int pfa_is_valid(const VynFile* file);
int pfa_file_is_open(const VynFile* file);
int pfa_is_dir(const VynFile* file);
int pfa_get_obj_type(const VynFile* file);
int pfa_get_version(const VynFile* file);
int pfa_get_encode(const VynFile* file);
// The name of a result code ("PFA_E_NOT_FOUND"), "PFA_UNKNOWN_ERROR" for others.
const char* pfa_error_to_string(int code);

// A new handle named by parsing name (a wide name is converted first), null when the
// name does not parse or no record can be had.
VynFile* pfa_alloc_file(const char* name);
VynFile* pfa_alloc_wfile(const VynWchar* name);
// The same with a relative name taken in dir.
VynFile* pfa_alloc_file_in_dir(const VynFile* dir, const char* name);
VynFile* pfa_alloc_wfile_in_dir(const VynFile* dir, const VynWchar* name);
// The full name as wide text into a buffer of 260: 0, else the code with the buffer
// empty; 9 for a null buffer.
int pfa_get_full_wname(const VynFile* file, VynWchar* buffer);
// The absolute full name of in (the current directory for an empty or null name) into
// out (260): 0; 9 with out empty (unless it is in) for a name that does not parse.
int pfa_filename_to_absolute(const VynWchar* in, VynWchar* out);
// A directory handle: a delimiter is added to the path when it has none.
VynFile* pfa_alloc_dir(const char* path);
VynFile* pfa_alloc_wdir(const VynWchar* path);
// Lower-cases the base name and the extension. 9 for an invalid handle.
int pfa_lowercase_name_ext(VynFile* file);
// Prints the handle's fields; cur_dir is the current-directory record.
int dump_vyn_file(VynFile* file, const VynFile* cur_dir);
// The allocation-tracking table: switched off, every call gives 0.
int pfa_mem_debug(const VynFile* file, int allocating);
// Frees a closed record and clears *file. 11 for a null address, a null or invalid
// handle (the variable is left alone); 8 for an open handle, which stays open.
int pfa_free_vyn_file(VynFile** file);
// Names the handle by parsing name (see pfaname.h): 11 for an invalid handle; 9 for a
// null name, one of 260 characters or more, or the current-directory record; 8 for an
// open handle (left as it was). Any other refusal leaves the handle reset.
int pfa_parse_to_vyn_file(VynFile* file, const char* name);
// The create and exclusive flags of the descriptor-style opens (the run-time's _O_CREAT
// and _O_EXCL).
constexpr int PFA_OPEN_CREATE = 0x100;
constexpr int PFA_OPEN_EXCLUSIVE = 0x400;
// Opens the named file descriptor-style with the run-time's flags and permission through
// its location; the rules and results of pfa_fopen, rule 2 needing PFA_OPEN_CREATE.
int pfa_open(VynFile* file, int rule, int flags, int permission);
// Opens the named file as a stream with an fopen mode through its location, the version
// chosen by rule (0 as named, 1 the highest, 2 the next to write; the handle keeps the
// version opened). Rule 2 makes the next version exclusively: when it exists after all
// (written by someone else since the directory was read) the one after it is made, so
// no file is emptied that the caller did not see. 11 for an invalid or directory handle,
// 9 for a null mode, 3 for an open handle or one that is not on this machine (and for
// rule 2 without 'w' in the mode), the version rules' failures (2 when rule 1 finds
// none), else the location's answer: 4 when the name cannot be formed, 12 when an
// exclusive open finds the file, 18 when the process has no descriptor left, 1 when the
// open fails.
int pfa_fopen(VynFile* file, int rule, const char* mode);
// Reads up to n bytes into buffer; *count (count may be null) gets the bytes read. 0
// when any came, 5 at the end of the file, 1 on a read error. n = 0 gives 0 with count
// 0 on a closed handle too; 11 for an invalid or directory handle, 10 for a closed one,
// 9 for a negative n, a null buffer or a handle with a text converter.
int pfa_read_file(VynFile* file, int n, int* count, void* buffer);
// Reads count elements of size bytes: the whole elements read, 0 on any failure.
int pfa_fread(void* buffer, int size, int count, VynFile* file);
// Writes n bytes: 0; n = 0 gives 0 on a closed handle too; 1 when the write fails; 11,
// 10 and 9 as pfa_read_file.
int pfa_write_file(VynFile* file, int n, const void* buffer);
// The next byte, -1 at the end or when the location has none. No checks of their own
// beyond the handle's validity.
int pfa_fgetc(VynFile* file);
int pfa_ungetc(int c, VynFile* file);
// Writes the one byte c (pfa_write_file).
int pfa_fputc(int c, VynFile* file);
// Writes text: 0, 13 when the write fails.
int pfa_fputs(VynFile* file, const char* text);
// Positioning (positions are byte offsets from the start): 0, 1 when the location
// fails, 9 for a null out or a negative position; the checks of pfa_read_file.
int pfa_get_file_position(VynFile* file, long* position);
int pfa_set_file_position(VynFile* file, long position);
int pfa_rewind_file(VynFile* file);
int pfa_unwind_file(VynFile* file);
// Seeks to position and reads one block of size bytes into buffer: 0; 1 when the seek
// fails or on a read error; 5 when the end came before the block was whole.
int pfa_fseek(VynFile* file, void* buffer, int ignored, int position, int size);
// Writes pending output: 0, 1 when that fails.
int pfa_flush_file(VynFile* file);
// Copies from one open stream to another up to a two-byte marker (consumed, not
// written) or a 0 byte: 0; at the end of the file 2 with *end (an int) set; 1 on a
// read or write error. 11 unless both are valid and of one location type.
int pfa_copy_through_cookie(VynFile* from, VynFile* to, void* marker, void* end);
// Closes the handle's stream (a standard stream stays open for the process). The handle
// is closed afterwards even when the close failed (1). 11 for an invalid handle, 10 for
// one that is not open.
int pfa_close(VynFile* file);

// Opens a file by name with a stdio mode ("r", "w", "a", ...) and a version rule (4
// becomes 0 when the name carries a version, else 2 for a mode beginning with 'w', else
// 1). '\' and '/' both delimit; names take the Windows form ("C:\dir\file") or the
// POSIX one ("/dir/file"); a relative name is taken in the process's working directory.
// The open handle, or null when any step failed.
VynFile* pfa_fopen_file_vers(const char* name, const char* mode, int rule);
// Rule 4; and the wide-name forms.
VynFile* pfa_fopen_file(const char* name, const char* mode);
VynFile* pfa_fopen_wfile_vers(const VynWchar* name, const char* mode, int rule);
VynFile* pfa_fopen_wfile(const VynWchar* name, const char* mode);
// The same over the descriptor-style open with the run-time's flags and permission; rule
// 4 becomes 0 for a name with a version, else 2 with the create flag, else 1.
VynFile* pfa_open_file_vers(const char* name, int flags, int permission, int rule);
VynFile* pfa_open_file(const char* name, int flags, int permission);
VynFile* pfa_open_wfile_vers(const VynWchar* name, int flags, int permission, int rule);
VynFile* pfa_open_wfile(const VynWchar* name, int flags, int permission);
// Closes an open handle (a failed close is returned and the handle kept) and frees it;
// file is the address of the caller's handle variable, which is cleared. 0 for a null
// address, a null or invalid handle.
int pfa_dispose(VynFile** file);
// Formats and writes; PFA_E_ codes (10 for a closed handle, 11 for an invalid one).
int pfa_fprintf(VynFile* file, const char* format, ...);
int pfa_vfprintf(VynFile* file, const char* format, std::va_list args);
// Reads one line of at most n - 1 bytes into buffer, always terminated; count (may be
// null) receives its length. 0, or 5 with an empty line at the end of the file; 11 for
// an invalid or directory handle, 10 for a closed one, 9 for a null buffer or n < 1.
// In a Japanese or generic multibyte session a character cut by the limit is left in
// the stream for the next read; when that leaves nothing, 11 with an empty line.
int pfa_fgets(VynFile* file, int n, int* count, char* buffer);
// Reads one line (at most 260 bytes) and scans it: 1 when nothing was converted, else
// 0, or 5 for a last line at the end of the file; a failed read gives its code.
int pfa_fscanf(VynFile* file, const char* format, ...);
// Reads up to n bytes through the handle's text converter into buffer (no terminator),
// whole characters only, ending behind the byte stop when it is produced (a negative
// stop: never). Raw bytes read but not converted are given back to the stream. 0 when
// anything was produced, 5 at the end of the file, 1 when the text stops converting (a
// character with no EUC form), a failed read or positioning gives its code; so does
// a failure to give bytes back, even when some text was produced.
int pfa_read_and_convert(VynFile* file, int n, int* count, char* buffer, int stop);

// State of pfa_incremental_fscanf: a window of the file that several scans share.
struct PfaFscanfData {
  int size;       // bytes of the buffer
  int threshold;  // unread bytes below which the window is refilled
  int position;   // next byte to scan; size when empty, -1 after an error
  int valid;      // bytes of the buffer that hold text
  int end;        // nonzero once the file or the scans have ended
  char* buffer;   // size + 1 bytes, terminated behind the valid text
};
// Allocates *state with a buffer of size bytes: 9 unless size >= 1 and
// 1 <= threshold < size, 6 when memory runs out (nothing allocated), else 0.
int pfa_init_fscanf_data(PfaFscanfData** state, int size, int threshold);
// Frees *state and its buffer and clears the pointer; 9 for a null or inconsistent state.
int pfa_clear_fscanf_data(PfaFscanfData** state);
// Scans the next items of format from the window, reading a line into an empty window
// and refilling it when fewer than threshold unread bytes are left; the window moves on
// past the text scanned, and after a scan that stopped part-way past the text of the
// items that converted. The number of items converted minus 1; -1 when nothing
// converts (the end flag is then set), for an invalid, directory or closed handle, a
// null state or a position outside the buffer.
int pfa_incremental_fscanf(VynFile* file, PfaFscanfData* state, const char* format, ...);
// The process's standard streams as handles ("stdio://err" and "stdio://out" open for
// writing, "stdio://in" for reading), each made once.
VynFile* pfa_get_stdin();
VynFile* pfa_get_stderr();
VynFile* pfa_get_stdout();

}  // namespace vek
