#include "fileaccess/backends/pfu.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "runtime/diag/console.h"
#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "platform/w32/crt.h"
#include "platform/w32/console.h"
#include "platform/w32/fileio.h"
#include "platform/w32/pipe.h"
#include "platform/w32/process.h"
#include "runtime/system/ntsys.h"
#include "runtime/system/signals.h"
#include "runtime/system/process.h"
#include "runtime/text/strmake.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vsprintf.h"

namespace vek {

namespace {

constexpr int PERM_FILE_DEFAULT = 0644;

struct ErrnoStatus {
  int error;
  int status;
};

// The C library's error numbers by name: their values differ between platforms.
constexpr ErrnoStatus ERRNO_STATUS[] = {
    {EPERM, 30},  {ENOENT, 5},  {EINTR, 22},  {EIO, 6},      {EBADF, 21},
    {EAGAIN, 23}, {ENOMEM, 20}, {EACCES, 8},  {EFAULT, 17},  {EBUSY, 32},
    {EEXIST, 7},  {EXDEV, 33},  {ENOTDIR, 5}, {EISDIR, 25},  {EINVAL, 16},
    {ENFILE, 19}, {EMFILE, 18}, {EFBIG, 27},  {ENOSPC, 12},  {ESPIPE, 28},
    {EROFS, 13},  {EDEADLK, 24}, {ENAMETOOLONG, 11}, {ENOLCK, 26},
};

struct AccessRow {
  int access;
  int open_flags;
  const char* stream_mode;
  bool seek_to_end;
};

// Every code opens or creates: a missing file is made, as the creation dispositions
// OPEN_ALWAYS, CREATE_ALWAYS and CREATE_NEW do.
constexpr AccessRow ACCESS_ROWS[] = {
    {PFU_ACCESS_READ, O_RDONLY | O_CREAT, "r", false},
    {PFU_ACCESS_WRITE, O_WRONLY | O_CREAT, "w", false},
    {PFU_ACCESS_READ_WRITE, O_RDWR | O_CREAT, "r+", false},
    {PFU_ACCESS_CREATE_WRITE, O_WRONLY | O_CREAT | O_TRUNC, "w", false},
    {PFU_ACCESS_CREATE_READ_WRITE, O_RDWR | O_CREAT | O_TRUNC, "r+", false},
    {PFU_ACCESS_APPEND, O_WRONLY | O_CREAT, "w", true},
    {PFU_ACCESS_APPEND_READ, O_RDWR | O_CREAT, "r+", true},
    {PFU_ACCESS_CREATE_NEW, O_WRONLY | O_CREAT | O_EXCL, nullptr, false},
};

const AccessRow* access_row(int access) {
  for (const AccessRow& row : ACCESS_ROWS)
    if (row.access == access) return &row;
  return nullptr;
}

std::FILE* stream_of(const PF_File* file) { return static_cast<std::FILE*>(file->handle); }

int stream_error() { return pfu_map_error(errno); }

// What a read or a write needs of a record.
struct StreamUse {
  int access_mask;
  int conflicting_op;  // the last operation that needs a seek before this one
  const char* not_open;
  const char* needs_seek;
};

constexpr StreamUse FOR_READ = {PFU_ACCESS_READ, PFU_OP_WRITE,
                                "read from a file which is not read-open.",
                                "attempt to read after write without an fseek"};
constexpr StreamUse FOR_WRITE = {PFU_ACCESS_WRITE, PFU_OP_READ,
                                 "write to a file which is not write-open.",
                                 "attempt to write after reading without fseek."};

// 1 when the record may be used so now; otherwise the trace and 4.
int usable(const PF_File* file, const char* routine, const StreamUse& use) {
  const char* refusal = !file                                  ? "NULL PF_File_Ptr"
                        : !(file->access & use.access_mask)    ? use.not_open
                        : file->last_op == use.conflicting_op ? use.needs_seek
                                                               : nullptr;
  if (!refusal) return PFU_SUCCESS;
  dbg_crash_msg(routine, "%s", refusal);
  return PFU_TRAP;
}

// Writes n bytes; a text file drops carriage returns and writes one before every line
// feed, so that text written with either line end is stored with CR LF.
int write_bytes(PF_File* file, const char* bytes, std::size_t n) {
  std::FILE* stream = stream_of(file);
  file->last_op = PFU_OP_WRITE;
  if (file->mode != PFU_TEXT) {
    if (n > 0 && std::fwrite(bytes, 1, n, stream) != n) return stream_error();
    return PFU_SUCCESS;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (bytes[i] == '\r') continue;
    if (bytes[i] == '\n' && std::fputc('\r', stream) == EOF) return stream_error();
    if (std::fputc(static_cast<unsigned char>(bytes[i]), stream) == EOF) return stream_error();
  }
  return PFU_SUCCESS;
}

// Next byte of the file: 1, 3 at its end, or the status of a failed read. A text file
// drops carriage returns.
int read_byte(PF_File* file, int* byte) {
  std::FILE* stream = stream_of(file);
  file->last_op = PFU_OP_READ;
  for (;;) {
    int c = std::fgetc(stream);
    if (c == EOF) return std::ferror(stream) ? stream_error() : PFU_END_OF_FILE;
    if (c == '\r' && file->mode == PFU_TEXT) continue;
    *byte = c;
    return PFU_SUCCESS;
  }
}

// Absolute form of path (kept as given when it starts at the root) in a new block, or
// null when it does not fit a path buffer.
char* absolute_name(const char* path) {
  if (path[0] == '/') return make_scopy(path);
  char name[PFU_PATH_SIZE];
  return join_working_dir(path, name, sizeof name) ? make_scopy(name) : nullptr;
}

}  // namespace

int pfu_map_error(int error) {
  for (const ErrnoStatus& row : ERRNO_STATUS)
    if (row.error == error) return row.status;
  return PFU_TRAP;
}

int strcpy_limit(const char* source, int size, char* target) {
  if (!target || size < 1) return 1;
  return copy_if_fits(source, size, target);
}

int pfu_path_to_os(char* path, int os) {
  if (!path) return PFU_INVALID_PTR;
  if (os != PFU_OS_UNIX && os != PFU_OS_WINDOWS) return PFU_INVALID_ARG;
  char delimiter = os == PFU_OS_WINDOWS ? '\\' : '/';
  char other = os == PFU_OS_WINDOWS ? '/' : '\\';
  walk_name_chars(path, [&](char* p, int n) {
    if (n == 1 && (*p == other || *p == '|')) *p = delimiter;
  });
  return PFU_SUCCESS;
}

int pfu_fopen(const char* path, int access, int mode, int buffer_size, PF_File_Ptr* file) {
  if (!path || (!file && access != PFU_ACCESS_CREATE_NEW)) {
    dbg_crash_msg("pfu_fopen", "bad parameter");
    return PFU_INVALID_ARG;
  }
  char os_path[PFU_PATH_SIZE];
  // An over-long path is emptied; the open then fails.
  if (strcpy_limit(path, PFU_PATH_SIZE, os_path)) dbg_crash_msg("WSTRCOPY_X", "OVERFLOW.");
  if (mode != PFU_TEXT && mode != PFU_BINARY) {
    dbg_crash_msg("pfu_fopen", "Not text or binary file.");
    return PFU_TRAP;
  }
  const AccessRow* row = access_row(access);
  if (!row) {
    dbg_crash_msg("pfu_fopen", "bad access %d", access);
    return PFU_TRAP;
  }
  int descriptor = ::open(os_path, row->open_flags, PERM_FILE_DEFAULT);
  if (descriptor < 0) return stream_error();
  if (access == PFU_ACCESS_CREATE_NEW) {
    ::close(descriptor);
    return PFU_SUCCESS;
  }
  char* name = absolute_name(os_path);
  if (!name) {
    ::close(descriptor);
    return PFU_NAME_TOO_LONG;
  }
  std::FILE* stream = ::fdopen(descriptor, row->stream_mode);
  if (!stream) {
    int status = stream_error();
    ::close(descriptor);
    rlsmem(name);
    return status;
  }
  if (buffer_size <= 0) std::setvbuf(stream, nullptr, _IONBF, 0);
  int status = pfu_fdopen(stream, PF_NULL_Descriptor, name, access, PFU_Disk_File, mode,
                          buffer_size, file);
  rlsmem(name);
  if (status == PFU_SUCCESS && row->seek_to_end && std::fseek(stream, 0, SEEK_END) != 0) {
    status = stream_error();
    pfu_fclose(file);
  }
  return status;
}

int pfu_fdopen(void* handle, int descriptor, const char* name, int access, int kind, int mode,
               int buffer_size, PF_File_Ptr* file) {
  if (kind != PFU_INET_Socket && descriptor != PF_NULL_Descriptor)
    dbg_crash_msg("pfu_fdopen", "h_file != PF_NULL_Descriptor, while type != PFU_INET_Socket");
  if (kind == PFU_INET_Socket && handle)
    dbg_crash_msg("pfu_fdopen", "h_file != PF_NULL_Handle, while type = PFU_INET_Socket");
  PF_File* record = static_cast<PF_File*>(getmem(sizeof(PF_File)));
  record->kind = kind;
  record->mode = mode;
  record->name = make_scopy(name);
  record->access = access;
  record->buffer = nullptr;
  record->count = 0;
  record->position = 0;
  record->buffer_size = buffer_size > 0 ? buffer_size : 0;
  record->last_op = PFU_OP_NONE;
  record->handle = handle;
  record->descriptor = descriptor;
  if (file) *file = record;
  return PFU_SUCCESS;
}

int pfu_fclose(PF_File_Ptr* file) {
  if (!file || !*file) return PFU_NO_CHANGE;
  PF_File* record = *file;
  std::FILE* stream = stream_of(record);
  int status = PFU_SUCCESS;
  if (stream && std::fflush(stream) != 0) status = stream_error();
  if (record->kind == PFU_INET_Socket) {
    if (record->descriptor >= 0) ::close(record->descriptor);
  } else if (stream && !(record->access & PFU_ACCESS_NOT_OWNER)) {
    // A failure that shows only when the stream closes still counts as a failed flush.
    if (std::fclose(stream) != 0 && status == PFU_SUCCESS) status = stream_error();
  }
  if (record->name) rlsmem(record->name);
  if (record->buffer) rlsmem(record->buffer);
  rlsmem(record);
  *file = nullptr;
  return status;
}

int pfu_fread(PF_File_Ptr file, int size, int* count, char* buffer) {
  if (count) *count = 0;
  int status = usable(file, "pfu_fread", FOR_READ);
  if (status != PFU_SUCCESS) return status;
  if (!buffer || !count || size < 0) {
    dbg_crash_msg("pfu_fread", "bad parameter");
    return PFU_INVALID_ARG;
  }
  std::FILE* stream = stream_of(file);
  file->last_op = PFU_OP_READ;
  int delivered = 0;
  while (delivered < size) {
    std::size_t got = std::fread(buffer + delivered, 1, static_cast<std::size_t>(size - delivered),
                                 stream);
    if (file->mode == PFU_TEXT) {
      // Carriage returns are dropped; the request is filled up from what follows.
      char* kept = buffer + delivered;
      for (std::size_t i = 0; i < got; ++i)
        if (buffer[delivered + static_cast<int>(i)] != '\r') *kept++ = buffer[delivered + static_cast<int>(i)];
      got = static_cast<std::size_t>(kept - (buffer + delivered));
    }
    delivered += static_cast<int>(got);
    if (delivered < size && (std::feof(stream) || std::ferror(stream))) break;
  }
  *count = delivered;
  if (delivered == size) return PFU_SUCCESS;
  // A pipe whose writers are gone reads as its end.
  if (std::ferror(stream) && errno != EPIPE) return stream_error();
  return PFU_END_OF_FILE;
}

namespace {

// Makes a pipe record of the parent's end of a pipe and closes that handle: the record's
// stream reads or writes a copy of its descriptor.
int wrap_pipe_end(w32::HANDLE end, int access, int buffer_size, PF_File_Ptr* file) {
  w32::W32HandleObject* held = nullptr;
  int fd = w32::w32_file_acquire_descriptor(end, access == PFU_ACCESS_READ ? w32::GENERIC_READ
                                                                          : w32::GENERIC_WRITE,
                                            w32::TRUE, &held);
  int copy = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 3) : -1;
  int error = errno;
  if (held) w32::w32_handle_release(held);
  w32::CloseHandle(end);
  if (copy < 0) return fd < 0 ? PFU_TRAP : pfu_map_error(error);
  std::FILE* stream = ::fdopen(copy, access == PFU_ACCESS_READ ? "r" : "w");
  if (!stream) {
    error = errno;
    ::close(copy);
    return pfu_map_error(error);
  }
  return pfu_fdopen(stream, PF_NULL_Descriptor, nullptr, access, PFU_Pipe, PFU_TEXT,
                    buffer_size, file);
}

// The status of the last Win32 failure, through the C library's meaning of it.
int last_error_status() { return pfu_map_error(w32::w32_errno_from_error(w32::GetLastError())); }

}  // namespace

int pfu_popen(const char* command, int, int to_size, int from_size, PF_File_Ptr* to_child,
              PF_File_Ptr* from_child, VynProc** process) {
  if (to_child) *to_child = nullptr;
  if (from_child) *from_child = nullptr;
  if (!command || !process) return PFU_INVALID_ARG;
  *process = nullptr;
  char* copy = make_scopy(command);
  char* line = s_strip(copy);
  // [0] the child's end, [1] the parent's, of the pipe to and the pipe from the child.
  // The pipes are not inheritable: the start-up record hands the child its ends, and an
  // inherited parent's end would keep the child's input open for ever.
  w32::HANDLE to[2] = {nullptr, nullptr};
  w32::HANDLE from[2] = {nullptr, nullptr};
  int status = PFU_SUCCESS;
  if (to_child && !w32::CreatePipe(&to[0], &to[1], nullptr, 0)) status = last_error_status();
  if (status == PFU_SUCCESS && from_child && !w32::CreatePipe(&from[1], &from[0], nullptr, 0))
    status = last_error_status();
  w32::PROCESS_INFORMATION information = {nullptr, nullptr, 0, 0};
  if (status == PFU_SUCCESS) {
    w32::STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = w32::STARTF_USESTDHANDLES;
    startup.hStdInput = to[0] ? to[0] : w32::GetStdHandle(w32::STD_INPUT_HANDLE);
    startup.hStdOutput = from[0] ? from[0] : w32::GetStdHandle(w32::STD_OUTPUT_HANDLE);
    startup.hStdError = from[0] ? from[0] : w32::GetStdHandle(w32::STD_ERROR_HANDLE);
    if (!w32::CreateProcessA(nullptr, line, nullptr, nullptr, w32::TRUE, w32::DETACHED_PROCESS,
                             nullptr, nullptr, &startup, &information))
      status = last_error_status();
  }
  rlsmem(copy);
  // The child's ends are the child's alone now.
  if (to[0]) w32::CloseHandle(to[0]);
  if (from[0]) w32::CloseHandle(from[0]);
  if (status != PFU_SUCCESS) {
    if (to[1]) w32::CloseHandle(to[1]);
    if (from[1]) w32::CloseHandle(from[1]);
    return status;
  }
  w32::CloseHandle(information.hThread);
  *process = _WINDOWS_alloc_proc(VYN_PROC_PROCESS, information.dwProcessId, information.hProcess);
  if (to[1]) status = wrap_pipe_end(to[1], PFU_ACCESS_WRITE, to_size, to_child);
  if (from[1]) {
    int from_status = wrap_pipe_end(from[1], PFU_ACCESS_READ, from_size, from_child);
    if (status == PFU_SUCCESS) status = from_status;
  }
  if (status != PFU_SUCCESS) {
    pfu_fclose(to_child);
    pfu_fclose(from_child);
    // The child is not wanted without its pipes.
    w32::TerminateProcess((*process)->handle, 1);
    vyn_free_proc_handle(process);
  }
  return status;
}

int pfu_fgets(PF_File_Ptr file, char* buffer, int size) {
  int status = usable(file, "pfu_fgets", FOR_READ);
  if (status != PFU_SUCCESS) return status;
  if (!buffer || size < 1) {
    dbg_crash_msg("pfu_fgets", "bad parameter");
    return PFU_INVALID_ARG;
  }
  for (int stored = 0;; ++stored) {
    int byte = 0;
    status = read_byte(file, &byte);
    if (status != PFU_SUCCESS) {
      buffer[stored] = '\0';
      return status;
    }
    if (stored == size - 1) {
      // The line goes on past the buffer; its next byte stays for the next read.
      std::ungetc(byte, stream_of(file));
      buffer[stored] = '\0';
      return PFU_NAME_TOO_LONG;
    }
    buffer[stored] = static_cast<char>(byte);
    if (byte == '\n') {
      buffer[stored + 1] = '\0';
      return PFU_SUCCESS;
    }
  }
}

int pfu_fputc(PF_File_Ptr file, int byte) {
  int status = usable(file, "pfu_fputc", FOR_WRITE);
  if (status != PFU_SUCCESS) return status;
  char c = static_cast<char>(byte);
  return write_bytes(file, &c, 1);
}

int pfu_fputs(PF_File_Ptr file, const char* string) {
  int status = usable(file, "pfu_fputs", FOR_WRITE);
  if (status != PFU_SUCCESS) return status;
  if (!string) {
    dbg_crash_msg("pfu_fputs", "bad parameter");
    return PFU_INVALID_ARG;
  }
  return write_bytes(file, string, std::strlen(string));
}

int pfu_vfprintf(PF_File_Ptr file, const char* format, std::va_list args) {
  const char* text = vyn_vsprintf(nullptr, format, args);
  if (!text) {
    dbg_crash_msg("pfu_vfprintf", "vyn_vsprintf () failed.");
    return PFU_TRAP;
  }
  return pfu_fputs(file, text);
}

int pfu_fprintf(PF_File_Ptr file, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int status = pfu_vfprintf(file, format, args);
  va_end(args);
  return status;
}

int vyn_get_hostname(char* buffer, int size) { return NT_gethostname(buffer, size); }

int ctsu_raise_signal(int signal) {
  if (signal == SIG_UNSUPPORTED) return 0;
  ivek_fprintf(stderr, "RAISING SIGNAL : Signal number : %d\n", signal);
  int status = ansi_raise_signal(signal);
  if (status == ANSI_SIG_OK) {
    ivek_fprintf(stderr, "Raised Signal number : %d\n", signal);
    return 1;
  }
  return su_trace_status(status);
}

}  // namespace vek
