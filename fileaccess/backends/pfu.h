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
  PFU_NOT_DIRECTORY = 14,
  PFU_INVALID_ARG = 16,
  PFU_INVALID_PTR = 17,
  PFU_ROOT_NO_PARENT = 29,
  PFU_NOT_OWNER = 30,
  PFU_STATUS_COUNT = 36,
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
#define PF_NULL_Handle nullptr

// The portable file record over a Win32 handle (file or pipe) or a socket. It keeps its
// own buffer: while writing, count is the bytes placed in it and position the bytes of
// them already handed to the system; while reading, count is the bytes still unread and
// position the offset of the next one. Text files keep their raw bytes (with carriage
// returns) in the buffer.
struct PF_File {
  int kind;
  int mode;
  char* name;         // absolute path in neutral form; null for pipes and sockets
  int access;
  char* buffer;       // null when buffer_size is 0
  int count;
  int position;
  int buffer_size;    // in bytes, 0 unbuffered
  int last_op;
  void* handle;       // w32::HANDLE; PF_NULL_Handle for a socket
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

// Status of the C library's error number (ENOTDIR 14, EISDIR 8; unknown numbers 4).
int pfu_map_error(int error);
// Status of the calling thread's last Win32 error, through the error number of the same
// meaning.
int pfu_map_last_error();
// The text of a status; "UNDEFINED STATUS" (with a report) out of range.
const char* pfu_status_to_msg(int status);

// Copies source when it fits in size bytes with its terminator (0); otherwise empties
// target and returns 1.
int strcpy_limit(const char* source, int size, char* target);

// Turns path in place into the form of os: PFU_OS_WINDOWS turns '/' and '|' into '\\',
// PFU_OS_UNIX turns '\\' and '|' into '/'. Only single-byte characters of the current
// language are looked at, so a trail byte is never taken for a delimiter. 1; a null path
// 17 and another os 16, both leaving the path as it was.
int pfu_path_to_os(char* path, int os);

// Opens a disk file (access codes above; mode PFU_TEXT or PFU_BINARY) exclusively, with
// an inheritable handle. A path of PFU_PATH_SIZE characters or more gives 11 before any
// system call; so do the other path operations of the family.
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

// Writes count bytes (text: carriage returns dropped, one written before every line
// feed). 4 for a record not open for writing or last read without a seek.
int pfu_fwrite(PF_File_Ptr file, int count, const char* buffer);
// Hands the written bytes to the system; after a read, drops the bytes read ahead and
// moves a disk file's system position back to the logical one. 1 or the write's status.
int pfu_fflush(PF_File_Ptr file);
// Flushes, then moves the position (origin 0 start, 1 current, 2 end). 4 on a pipe or
// socket.
int pfu_fseek(PF_File_Ptr file, long offset, int origin);
// The logical position; -1 on a pipe or failure.
long pfu_ftell(PF_File_Ptr file);
// Flushes, then cuts or grows the file to length and leaves the position there.
int pfu_ftruncate(PF_File_Ptr file, long length);
// One byte into *byte: 1, 3 at the end.
int pfu_fgetc(PF_File_Ptr file, int* byte);
// Copies count bytes (-1: to the end) in chunks of 512; *copied gets the total. 1; 3 when
// a fixed count was cut short by the end; the status of a failed read or write.
int pfu_fcopy(PF_File_Ptr from, PF_File_Ptr to, long count, long* copied);
// The record's name into buffer (PFU_PATH_SIZE bytes); empty for a pipe or socket.
int pfu_get_path(PF_File_Ptr file, char* buffer);
// n * 65536 + sum * 256 + xor over the bytes from the start (n and sum modulo 65536
// and 256).
int pfu_calculate_checksum(PF_File_Ptr file, long* sum);
int pfu_calc_checksum_by_path(const char* path, long* sum);
// Collection of the open records made by pfu_fopen (on 1, off 0).
int pfu_enable_dbg_collect(int on);
// A new growable array of getmem copies of the collected records' names (null when
// collection is off).
char** pfu_dbg_list_open_files();

// Reads one line of at most size - 1 bytes, line feed included, and terminates it: 1
// after a line feed, 3 at the end of the file (what was read is terminated in buffer),
// 11 when the line does not fit (its next byte stays for the next read; a pipe or socket
// without a buffer stops before reading it).
int pfu_fgets(PF_File_Ptr file, char* buffer, int size);
int pfu_fputc(PF_File_Ptr file, int byte);
// Writes the string without its terminator.
int pfu_fputs(PF_File_Ptr file, const char* string);
// Formats with vyn_vsprintf and writes the text.
int pfu_vfprintf(PF_File_Ptr file, const char* format, std::va_list args);
int pfu_fprintf(PF_File_Ptr file, const char* format, ...);

// Paths. Paths are kept in the neutral form ('|' delimiters) between operations.
// '/' and '\\' become '|' and one trailing '|' is dropped (a root's stays: "|", "c:|");
// the text stops at the first tab or blank (0), else 1.
int pfu_path_to_neut(char* path);
int pfu_neut_path_to_os(char* path, int os);
// The part after the last delimiter, the whole path without one, null for an empty path.
const char* pfu_path_tail(const char* path);
// Parent and tail (buffers of PFU_PATH_SIZE, either may be null); 29 for a root alone.
int pfu_split_path(const char* path, char* parent, char* tail);
// As pfu_split_path; an empty parent becomes the working directory.
int pfu_get_parent_path(const char* path, char* parent, char* tail);
// a '|' b into result: 1; 0 with an empty result when it does not fit.
int pfu_cat_path(const char* a, const char* b, char* result);
// Turns path into neutral form in place; 1 when it is absolute.
int pfu_is_abs_path(char* path);
// The absolute neutral form of path (against the layer's working directory).
int pfu_path_to_abs(const char* path, char* result);
// 1 when parent is a parent of child; the rest after it into rest when given.
int pfu_is_parent_path(const char* child, const char* parent, char* rest);
// The layer's working directory in neutral form (PFU_PATH_SIZE bytes).
int pfu_getwd(char* buffer);
int pfu_chdir(const char* path);

// Directories and entries.
struct PfuDir;
int pfu_opendir(const char* path, PfuDir** dir);
// The next name other than "." and ".." into name (PFU_PATH_SIZE bytes): 1, 3 at the end,
// the mapped failure of a search that broke off.
int pfu_readdir(PfuDir* dir, char* name);
int pfu_closedir(PfuDir** dir);
int pfu_next_matching(PfuDir* dir, const char* pattern, char* name);
// Every name of the directory matching pattern, as getmem strings in a new array.
int pfu_expand_pattern(const char* path, const char* pattern, char*** list);
int pfu_mkdir(const char* path);
// 14 when path is no directory.
int pfu_rmdir(const char* path);
int pfu_unlink(const char* path);
int pfu_mkdir_ext(const char* path, int make_parents, int force);
// Removes a directory (recursive: with everything below it). A symbolic link is removed
// itself, never walked; a regular file gives 14.
int pfu_rmdir_ext(const char* path, int recursive, int force);
int pfu_rmfile_ext(const char* path, int force);
// Copies the bytes of a file. The copy is written as "<to>.pfu~" and renamed over to
// only when it is whole and closed; on failure to stays as it was. A missing source is
// 5 (it is not made).
int pfu_copy(const char* from, const char* to);
int pfu_copy_ext(const char* from, const char* to, int force);
int pfu_rename(const char* from, const char* to);
// Renames from to to, replacing to without ever losing it before the rename: a file is
// replaced by the atomic rename; a directory is moved aside, then deleted, or moved back
// when the rename fails.
int pfu_rename_ext(const char* from, const char* to, int force);
// Copies from_path to to_path with every old_text replaced by new_text.
int pfu_replace_string(const char* old_text, const char* new_text, const char* from_path,
                       const char* to_path);

// File information: nine 32-bit words.
struct PfuStat {
  int is_dir;
  int is_executable;
  int is_readable;
  int is_writable;
  int is_link;
  unsigned int mtime;
  unsigned int size;  // saturates at 0xFFFFFFFF
  int perm_class;     // 6 owner, 3 group, 0 other
  unsigned char perm[4];
};
static_assert(sizeof(PfuStat) == 36);
int pfu_stat(const char* path, PfuStat* info);
int pfu_is_dir(const char* path);
int pfu_is_link(const char* path);
int pfu_is_executable(const char* path);
int pfu_is_readable(const char* path);
int pfu_is_writable(const char* path);
int pfu_get_file_size(const char* path, long long* size);
int pfu_readlink(const char* path, char* buffer);

// Permissions: this platform keeps none.
int pfu_chmod(const char* path, const unsigned char* perm);
// The default permission words (0755 for directories, 0644 for files), 4 bytes each.
int pfu_set_def_perm(const unsigned char* dir_perm, const unsigned char* file_perm);
int pfu_get_def_dir_perm(unsigned char* perm);
int pfu_get_def_file_perm(unsigned char* perm);
// Applies change(path, data) to path and, for a directory, to every entry below it
// (symbolic links are not walked).
int pfu_chmod_ext(const char* path, int (*change)(const char* path, void* data), void* data);

// Changes a permission word for (who, what): nonzero when it changed anything.
typedef int (*PfuPermChange)(unsigned char* perm, int who, int what);
int pfu_umask(const unsigned char* perm);
int pfu_cmp_perm(const unsigned char* a, const unsigned char* b);
int pfu_add_permission(unsigned char* perm, int who, int what);
int pfu_del_permission(unsigned char* perm, int who, int what);
int pfu_test_permission(const unsigned char* perm, int who, int what);
int pfu_copy_perm(const unsigned char* from, unsigned char* to);
// Stats path and applies change to its word: 2 when nothing changes, 30 when the caller
// does not own it, else pfu_chmod's status.
int pfu_change_perm_on_disk(const char* path, int who, int what, PfuPermChange change);
int pfu_add_perm_on_disk(const char* path, int who, int what);
int pfu_del_perm_on_disk(const char* path, int who, int what);
// Grants the owner rights on path's parent (into parent when given), the old word into
// saved; *changed tells whether anything changed.
int pfu_temp_set_parent_perm(const char* path, int what, char* parent, unsigned char* saved,
                             int* changed);
// Sets the access and modification times (seconds since 1970; now for null times).
int pfu_utime(const char* path, const long* times);

// Starts command with the records' handles as its standard streams (null: the
// process's own), detached; the child as a process record.
int pfu_exec(const char* command, PF_File_Ptr in, PF_File_Ptr out, PF_File_Ptr err,
             VynProc** process);
// Starts command on the process's standard streams.
int pfu_system(const char* command, VynProc** process);

// Sockets: a TCP listener on port (0: any, the chosen one into *port).
struct PfuSocket;
int pfu_socket(int backlog, int* port, PfuSocket** listener);
int pfu_socket_close(PfuSocket** listener);
// A connection to host:port (5 for an unknown host), or the next one of a listener, as a
// socket record.
int pfu_connect(const char* host, int port, int access, int mode, int buffer_size,
                PF_File_Ptr* file);
int pfu_accept(PfuSocket* listener, int access, int mode, int buffer_size, PF_File_Ptr* file);
// Sends the bytes of from and a closing byte 4 (a byte 4 in from: 4); receives up to
// that byte (1) or the end or failure of from (its status).
int pfu_fsend(PF_File_Ptr from, PF_File_Ptr to);
int pfu_frecieve(PF_File_Ptr from, PF_File_Ptr to);
int pfu_send_file(const char* path, PF_File_Ptr to);
int pfu_recieve_file(PF_File_Ptr from, const char* path);

// GetComputerNameA and GetUserNameA: 1; 0 with "UnknownComputer" or "UnknownUser" in
// buffer (emptied when that does not fit either).
int pfu_get_computer_name(char* buffer, int size);
int pfu_get_user_name(char* buffer, int size);
// Prints "%s:  %s\n" with ivek_printf.
void err_syserr(const char* routine, const char* message);
// Raises signal with the C library: 0, or 3 when that fails.
int posix_raise_signal(int signal);

// An anonymous pipe with inheritable handles: its write end and read end as pipe records.
int pfu_pipe(int write_mode, int read_mode, int write_size, int read_size,
             PF_File_Ptr* write_file, PF_File_Ptr* read_file);
int pfu_get_arg_max(int* n);

// The computer's name into buffer (size bytes with the terminator): nonzero on success;
// 0 with an empty buffer when it does not fit or cannot be read, and 0 for a null
// buffer or a size below 1.
int vyn_get_hostname(char* buffer, int size);

// Raises a signal through the signal layer with a trace on the standard error stream.
// -1 gives 0 at once; otherwise 1 when the signal was raised, 0 when it could not be
// (the alarm, 14, is the emulation's and is never raised).
int ctsu_raise_signal(int signal);

}  // namespace vek
