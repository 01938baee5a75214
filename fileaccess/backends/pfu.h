// Portable file utilities and their small process-level helpers.
//
// Every pfu_ operation returns a status of the table below, in which 1 is success.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace vek {

struct VynProc;  // runtime/system/process.h

// Status codes of the pfu_ family (pfu_status_to_msg gives their texts).
enum : int {
  PFU_INTERNAL_ERROR = 0,
  PFU_SUCCESS = 1,
  PFU_NO_CHANGE = 2,
  PFU_END_OF_FILE = 3,
  PFU_TRAP = 4,
  PFU_NOT_EXIST = 5,
  PFU_IO_ERROR = 6,
  PFU_ALREADY_EXISTS = 7,
  PFU_ACCESS_DENIED = 8,
  PFU_NAME_TOO_LONG = 11,
  PFU_DISK_FULL = 12,
  PFU_INVALID_ARG = 16,
  PFU_INVALID_PTR = 17,
};

// Kinds of record.
constexpr int PFU_Disk_File = 1;
constexpr int PFU_Pipe = 2;
constexpr int PFU_INET_Socket = 3;

// Modes: text files drop carriage returns when read and write one before every line feed.
constexpr int PFU_TEXT = 1;
constexpr int PFU_BINARY = 2;

// Last operation of a record: a read and a write must be separated by a seek.
constexpr int PFU_OP_READ = 1;
constexpr int PFU_OP_WRITE = 2;
constexpr int PFU_OP_NONE = 3;

// Access codes of pfu_fopen (tested bitwise: 1 readable, 2 writable).
constexpr int PFU_ACCESS_READ = 1;
constexpr int PFU_ACCESS_WRITE = 2;
constexpr int PFU_ACCESS_READ_WRITE = 3;
constexpr int PFU_ACCESS_CREATE_WRITE = 6;
constexpr int PFU_ACCESS_CREATE_READ_WRITE = 7;
constexpr int PFU_ACCESS_APPEND = 10;
constexpr int PFU_ACCESS_APPEND_READ = 11;
constexpr int PFU_ACCESS_CREATE_NEW = 16;
// A record with this access does not own its stream: closing it leaves the stream open.
constexpr int PFU_ACCESS_NOT_OWNER = 32;

constexpr int PF_NULL_Descriptor = -1;

// The portable file record. The stream is a C stream (std::FILE*) until the Win32 layer
// serves files; its buffering is the stream's own, so buffer stays null and count and
// position stay 0.
struct PF_File {
  int kind;
  int mode;
  char* name;         // absolute path given at open; null for pipes and sockets
  int access;
  char* buffer;
  int count;
  int position;
  int buffer_size;    // in bytes, 0 unbuffered
  int last_op;
  void* handle;       // the stream
  int descriptor;     // socket, PF_NULL_Descriptor otherwise
};
typedef PF_File* PF_File_Ptr;
// The fields in front of the first pointer keep their offsets of the original record.
static_assert(offsetof(PF_File, kind) == 0 && offsetof(PF_File, mode) == 4);

// A path buffer of the family: paths hold at most PFU_PATH_SIZE - 1 characters.
constexpr int PFU_PATH_SIZE = 256;

// Operating-system conventions of pfu_path_to_os: '/' (3) and '\\' (4).
constexpr int PFU_OS_UNIX = 3;
constexpr int PFU_OS_WINDOWS = 4;

// Status of the C library's error number.
int pfu_map_error(int error);

// Copies source when it fits in size bytes with its terminator (0); otherwise empties
// target and returns 1.
int strcpy_limit(const char* source, int size, char* target);

// Turns path in place into the form of os: PFU_OS_WINDOWS turns '/' and '|' into '\\',
// PFU_OS_UNIX turns '\\' and '|' into '/'. Only single-byte characters of the current
// language are looked at, so a trail byte is never taken for a delimiter. 1; a null path
// 17 and another os 16, both leaving the path as it was.
int pfu_path_to_os(char* path, int os);

// Opens a disk file (access codes above; mode PFU_TEXT or PFU_BINARY).
int pfu_fopen(const char* path, int access, int mode, int buffer_size, PF_File_Ptr* file);
// Makes a record around an open stream (kinds 1, 2) or a socket descriptor (kind 3).
int pfu_fdopen(void* handle, int descriptor, const char* name, int access, int kind, int mode,
               int buffer_size, PF_File_Ptr* file);
// Flushes, closes and releases the record; *file is cleared. Null record: 2.
int pfu_fclose(PF_File_Ptr* file);

// Reads up to size bytes into buffer; *count gets how many came. A text file drops
// carriage returns. 1 when the whole request came, 3 at the end of the file or pipe (a
// pipe whose writers are gone) with what came counted, or the status of a failed read.
// 4 for a record that is not open for reading or was last written; 16 for a null buffer
// or count or a negative size.
int pfu_fread(PF_File_Ptr file, int size, int* count, char* buffer);

// Starts command (its leading and trailing blanks stripped, cut at its first line feed)
// detached, with a pipe to its standard input when to_child is given and one from its
// standard output and error when from_child is given; missing streams are the process's
// own. The parent's ends become text-mode pipe records (access 2 towards the child, 1
// from it) and the child a process record (runtime/system/process.h). The pipes are not
// inheritable, so that the child holds no parent's end. flag has no effect. 1; 16 for a null command or process; the status of the failed step, with
// everything made closed again.
int pfu_popen(const char* command, int flag, int to_size, int from_size, PF_File_Ptr* to_child,
              PF_File_Ptr* from_child, VynProc** process);

// Reads one line of at most size - 1 bytes, line feed included, and terminates it: 1
// after a line feed, 3 at the end of the file (what was read is terminated in buffer),
// 11 when the line does not fit.
int pfu_fgets(PF_File_Ptr file, char* buffer, int size);
int pfu_fputc(PF_File_Ptr file, int byte);
// Writes the string without its terminator.
int pfu_fputs(PF_File_Ptr file, const char* string);
// Formats with vyn_vsprintf and writes the text.
int pfu_vfprintf(PF_File_Ptr file, const char* format, std::va_list args);
int pfu_fprintf(PF_File_Ptr file, const char* format, ...);

// The computer's name into buffer (size bytes with the terminator): nonzero on success;
// 0 with an empty buffer when it does not fit or cannot be read, and 0 for a null
// buffer or a size below 1.
int vyn_get_hostname(char* buffer, int size);

// Raises a signal through the signal layer with a trace on the standard error stream.
// -1 gives 0 at once; otherwise 1 when the signal was raised, 0 when it could not be
// (the alarm, 14, is the emulation's and is never raised).
int ctsu_raise_signal(int signal);

}  // namespace vek
