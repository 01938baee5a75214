#include "fileaccess/backends/pfu.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "fileaccess/backends/pfu_testing.h"
#include "fileaccess/names/dci.h"
#include "fileaccess/names/fnstring.h"
#include "platform/w32/console.h"
#include "platform/w32/crt.h"
#include "platform/w32/error.h"
#include "platform/w32/file.h"
#include "platform/w32/fileio.h"
#include "platform/w32/findfile.h"
#include "platform/w32/pipe.h"
#include "platform/w32/process.h"
#include "platform/w32/socket.h"
#include "platform/w32/system.h"
#include "runtime/diag/console.h"
#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/system/ntsys.h"
#include "runtime/system/process.h"
#include "runtime/system/signals.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/strmake.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vsprintf.h"

namespace vek {

namespace {

struct ErrnoStatus {
  int error;
  int status;
};

// The C library's error numbers by name: their values differ between platforms. A
// path through something that is not a directory is 14, a directory where a file was
// wanted 8.
constexpr ErrnoStatus ERRNO_STATUS[] = {
    {EPERM, 30},  {ENOENT, 5},  {EINTR, 22},   {EIO, 6},      {EBADF, 21},
    {EAGAIN, 23}, {ENOMEM, 20}, {EACCES, 8},   {EFAULT, 17},  {EBUSY, 32},
    {EEXIST, 7},  {EXDEV, 33},  {ENOTDIR, 14}, {EISDIR, 8},   {EINVAL, 16},
    {ENFILE, 19}, {EMFILE, 18}, {EFBIG, 27},   {ENOSPC, 12},  {ESPIPE, 28},
    {EROFS, 13},  {EDEADLK, 24}, {ENAMETOOLONG, 11}, {ENOLCK, 26},
};

constexpr const char* STATUS_TEXT[PFU_STATUS_COUNT] = {
    "Internal Error (0)", "Success", "No Change", "End of File", "Internal Error (Trap)",
    "Entry Does Not Exist", "IO Error", "Entry Already Exists", "Access Denied",
    "Quota Exhausted", "Symbolic Link Loop", "Path/Name Too Long", "Disk Full",
    "Read-Only File System", "Entry Is Not a Directory", "Fork Failed",
    "Internal Error (Invalid Arg)", "Internal Error (Invalid Ptr)",
    "Too Many Processes or Open Files", "Too Many Open Files", "Out of Memory",
    "Internal Error (Bad Descriptor)", "Signal Issued", "Record Locked", "Dead Lock",
    "NFS File System", "No Lock", "Too Big File", "Is a Pipe", "Root Directory Has No Parent",
    "Not Owner", "Text is Busy", "File is Busy", "Different File Systems",
    "Table Integrity is Broken", "Trans-Bomb Exploded",
};

struct AccessRow {
  int access;
  w32::DWORD desired;
  w32::DWORD creation;
  bool seek_to_end;
};

// A missing file is made by every code (OPEN_ALWAYS, CREATE_ALWAYS, CREATE_NEW).
constexpr AccessRow ACCESS_ROWS[] = {
    {PFU_ACCESS_READ, w32::GENERIC_READ, w32::OPEN_ALWAYS, false},
    {PFU_ACCESS_WRITE, w32::GENERIC_WRITE, w32::OPEN_ALWAYS, false},
    {PFU_ACCESS_READ_WRITE, w32::GENERIC_READ | w32::GENERIC_WRITE, w32::OPEN_ALWAYS, false},
    {PFU_ACCESS_CREATE_WRITE, w32::GENERIC_WRITE, w32::CREATE_ALWAYS, false},
    {PFU_ACCESS_CREATE_READ_WRITE, w32::GENERIC_READ | w32::GENERIC_WRITE, w32::CREATE_ALWAYS,
     false},
    {PFU_ACCESS_APPEND, w32::GENERIC_WRITE, w32::OPEN_ALWAYS, true},
    {PFU_ACCESS_APPEND_READ, w32::GENERIC_READ | w32::GENERIC_WRITE, w32::OPEN_ALWAYS, true},
    // Only made: the handle is closed at once.
    {PFU_ACCESS_CREATE_NEW, w32::GENERIC_WRITE, w32::CREATE_NEW, false},
};

const AccessRow* access_row(int access) {
  for (const AccessRow& row : ACCESS_ROWS)
    if (row.access == access) return &row;
  return nullptr;
}

// Default permission words (0755 for directories, 0644 for files).
unsigned char def_dir_perm[4] = {0xED, 0x01, 0, 0};
unsigned char def_file_perm[4] = {0xA4, 0x01, 0, 0};

// The records pfu_fopen made and pfu_fclose has not closed, while collecting.
PF_File** open_files = nullptr;
bool collecting = false;

constexpr int CHUNK = 512;
constexpr int SCRATCH = 8192;

w32::HANDLE handle_of(const PF_File* file) { return static_cast<w32::HANDLE>(file->handle); }

// Copies path into out (PFU_PATH_SIZE bytes): 1, or 11 with the overflow report when it
// does not fit, so that no emptied path ever reaches the system.
int copy_path(const char* path, char* out) {
  if (!path) return PFU_INVALID_PTR;
  if (strcpy_limit(path, PFU_PATH_SIZE, out)) {
    dbg_crash_msg("WSTRCOPY_X", "OVERFLOW.");
    return PFU_NAME_TOO_LONG;
  }
  return PFU_SUCCESS;
}

// copy_path and the Windows form of the copy.
int os_path(const char* path, char* out) {
  int status = copy_path(path, out);
  if (status == PFU_SUCCESS) pfu_path_to_os(out, PFU_OS_WINDOWS);
  return status;
}

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

// Hands n bytes to the system: 1 when all were written, else the failure's status;
// *written gets what went.
int write_internal(PF_File* file, const char* bytes, int n, int* written) {
  *written = 0;
  if (n <= 0) return PFU_SUCCESS;
  if (file->kind == PFU_INET_Socket) {
    while (*written < n) {
      ssize_t sent = ::send(file->descriptor, bytes + *written,
                            static_cast<std::size_t>(n - *written), MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        return pfu_map_error(errno);
      }
      *written += static_cast<int>(sent);
    }
    return PFU_SUCCESS;
  }
  w32::DWORD done = 0;
  w32::BOOL ok = w32::WriteFile(handle_of(file), bytes, static_cast<w32::DWORD>(n), &done, nullptr);
  *written = static_cast<int>(done);
  if (!ok) return pfu_map_last_error();
  return done == static_cast<w32::DWORD>(n) ? PFU_SUCCESS : PFU_IO_ERROR;
}

// Reads up to n bytes from the system: 1 with *got > 0, 3 at the end (a broken pipe
// included), else the failure's status.
int read_internal(PF_File* file, char* bytes, int n, int* got) {
  *got = 0;
  if (file->kind == PFU_INET_Socket) {
    for (;;) {
      ssize_t r = ::recv(file->descriptor, bytes, static_cast<std::size_t>(n), 0);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) return pfu_map_error(errno);
      *got = static_cast<int>(r);
      return r == 0 ? PFU_END_OF_FILE : PFU_SUCCESS;
    }
  }
  w32::DWORD done = 0;
  if (!w32::ReadFile(handle_of(file), bytes, static_cast<w32::DWORD>(n), &done, nullptr)) {
    if (w32::GetLastError() != w32::ERROR_BROKEN_PIPE) return pfu_map_last_error();
    done = 0;
  }
  *got = static_cast<int>(done);
  return done == 0 ? PFU_END_OF_FILE : PFU_SUCCESS;
}

// Text conversion for writing: carriage returns dropped, one written before every line
// feed. out holds at least 2 * n bytes; the converted length.
int to_text(const char* in, int n, char* out) {
  int k = 0;
  for (int i = 0; i < n; ++i) {
    if (in[i] == '\r') continue;
    if (in[i] == '\n') out[k++] = '\r';
    out[k++] = in[i];
  }
  return k;
}

// Drops carriage returns in place; the new length.
int drop_cr(char* bytes, int n) {
  int k = 0;
  for (int i = 0; i < n; ++i)
    if (bytes[i] != '\r') bytes[k++] = bytes[i];
  return k;
}

// Delivers unread bytes of the buffer into out until want bytes are there or the buffer
// is empty; *delivered grows.
void deliver_from_buffer(PF_File* file, char* out, int want, int* delivered) {
  while (file->count > 0 && *delivered < want) {
    if (file->mode == PFU_TEXT) {
      char c = file->buffer[file->position];
      ++file->position;
      --file->count;
      if (c != '\r') out[(*delivered)++] = c;
    } else {
      int n = want - *delivered < file->count ? want - *delivered : file->count;
      std::memcpy(out + *delivered, file->buffer + file->position, static_cast<std::size_t>(n));
      file->position += n;
      file->count -= n;
      *delivered += n;
    }
  }
}

// The record's reading: want bytes into out; *delivered gets how many came.
int read_bytes(PF_File* file, char* out, int want, int* delivered) {
  *delivered = 0;
  if (file->count > 0) deliver_from_buffer(file, out, want, delivered);
  if (*delivered == want) return PFU_SUCCESS;
  file->count = 0;
  file->position = 0;
  for (;;) {
    int rest = want - *delivered;
    int got = 0;
    int status;
    if (file->buffer && rest <= file->buffer_size / 2) {
      status = read_internal(file, file->buffer, file->buffer_size, &got);
      if (status != PFU_SUCCESS && status != PFU_END_OF_FILE) return status;
      file->last_op = PFU_OP_READ;
      file->count = got;
      file->position = 0;
      deliver_from_buffer(file, out, want, delivered);
    } else {
      status = read_internal(file, out + *delivered, rest, &got);
      if (status != PFU_SUCCESS && status != PFU_END_OF_FILE) return status;
      file->last_op = PFU_OP_READ;
      if (file->mode == PFU_TEXT) got = drop_cr(out + *delivered, got);
      *delivered += got;
    }
    if (*delivered == want) return PFU_SUCCESS;
    if (status == PFU_END_OF_FILE) return PFU_END_OF_FILE;
  }
}

// Moves a disk file's system position; the new position into *at when given.
int set_position(PF_File* file, long long offset, w32::DWORD method, long long* at) {
  w32::LONG high = static_cast<w32::LONG>(offset >> 32);
  w32::SetLastError(w32::ERROR_SUCCESS);
  w32::DWORD low = w32::SetFilePointer(handle_of(file), static_cast<w32::LONG>(offset & 0xFFFFFFFF),
                                       &high, method);
  if (low == w32::INVALID_SET_FILE_POINTER && w32::GetLastError() != w32::ERROR_SUCCESS)
    return pfu_map_last_error();
  if (at) *at = static_cast<long long>(static_cast<unsigned long long>(static_cast<w32::DWORD>(high)) << 32 | low);
  return PFU_SUCCESS;
}

void collect(PF_File* file) {
  if (!collecting) return;
  xar_alloc_or_append(&open_files, 1, sizeof(PF_File*), 4, &file);
}

void uncollect(PF_File* file) {
  if (!collecting || !open_files) return;
  int n = xar_count(&open_files);
  for (int i = 0; i < n; ++i)
    if (open_files[i] == file) {
      xar_remove(&open_files, i, 1);
      return;
    }
  dbg_crash_msg("pfu_fclose", "open file is not in dbg. list.");
}

}  // namespace

int pfu_map_error(int error) {
  for (const ErrnoStatus& row : ERRNO_STATUS)
    if (row.error == error) return row.status;
  return PFU_TRAP;
}

int pfu_map_last_error() { return pfu_map_error(w32::w32_errno_from_error(w32::GetLastError())); }

const char* pfu_status_to_msg(int status) {
  if (status < 0 || status >= PFU_STATUS_COUNT) {
    dbg_crash_msg("pfu_status_to_msg", "%s", "");
    return "UNDEFINED STATUS";
  }
  return STATUS_TEXT[status];
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

namespace {

// pfu_fopen; with existing, a missing file is not made (5) whatever the access.
int open_record(const char* path, int access, int mode, int buffer_size, PF_File_Ptr* file,
                bool existing) {
  if (file) *file = nullptr;
  if (!path || (!file && access != PFU_ACCESS_CREATE_NEW)) {
    dbg_crash_msg("pfu_fopen", "bad parameter");
    return PFU_INVALID_ARG;
  }
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  if (mode != PFU_TEXT && mode != PFU_BINARY) {
    dbg_crash_msg("pfu_fopen", "Not text or binary file.");
    return PFU_TRAP;
  }
  const AccessRow* row = access_row(access);
  if (!row) {
    dbg_crash_msg("pfu_fopen", "bad access %d", access);
    return PFU_TRAP;
  }
  w32::SECURITY_ATTRIBUTES inherit = {sizeof(w32::SECURITY_ATTRIBUTES), nullptr, w32::TRUE};
  // The wrapper refreshes the directory cache for every creation but an open.
  w32::HANDLE handle = dci_CreateFile(windows, row->desired, 0, &inherit,
                                      existing ? w32::OPEN_EXISTING : row->creation,
                                      w32::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == w32::INVALID_HANDLE_VALUE) return pfu_map_last_error();
  if (access == PFU_ACCESS_CREATE_NEW) {
    w32::CloseHandle(handle);
    return PFU_SUCCESS;
  }
  char name[PFU_PATH_SIZE];
  status = pfu_path_to_abs(path, name);
  if (status != PFU_SUCCESS) {
    w32::CloseHandle(handle);
    return status;
  }
  pfu_fdopen(handle, PF_NULL_Descriptor, name, access, PFU_Disk_File, mode, buffer_size, file);
  collect(*file);
  if (row->seek_to_end) {
    status = pfu_fseek(*file, 0, 2);
    if (status != PFU_SUCCESS) pfu_fclose(file);
  }
  return status;
}

}  // namespace

int pfu_fopen(const char* path, int access, int mode, int buffer_size, PF_File_Ptr* file) {
  return open_record(path, access, mode, buffer_size, file, false);
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
  record->buffer_size = buffer_size > 0 ? buffer_size : 0;
  record->buffer = record->buffer_size > 0
                       ? static_cast<char*>(getmem(static_cast<std::size_t>(record->buffer_size)))
                       : nullptr;
  record->count = 0;
  record->position = 0;
  record->last_op = PFU_OP_NONE;
  record->handle = handle;
  record->descriptor = descriptor;
  if (file) *file = record;
  return PFU_SUCCESS;
}

int pfu_fclose(PF_File_Ptr* file) {
  if (!file || !*file) return PFU_NO_CHANGE;
  PF_File* record = *file;
  int status = pfu_fflush(record);
  if (record->kind == PFU_INET_Socket) {
    if (record->descriptor >= 0) {
      w32::closesocket(static_cast<w32::SOCKET>(record->descriptor));
      w32::WSACleanup();
    }
  } else if (record->handle && !(record->access & PFU_ACCESS_NOT_OWNER)) {
    if (!w32::CloseHandle(handle_of(record)) && status == PFU_SUCCESS)
      status = pfu_map_last_error();
  }
  uncollect(record);
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
  if (size == 0) return PFU_SUCCESS;
  return read_bytes(file, buffer, size, count);
}

int pfu_fwrite(PF_File_Ptr file, int count, const char* buffer) {
  int status = usable(file, "pfu_fwrite", FOR_WRITE);
  if (status != PFU_SUCCESS) return status;
  if ((!buffer && count > 0) || count < 0) {
    dbg_crash_msg("pfu_fwrite", "bad parameter");
    return PFU_INVALID_ARG;
  }
  if (count == 0) return PFU_SUCCESS;
  // Half of the free room: text conversion can double the bytes.
  if (count > (file->buffer_size - file->count) / 2) {
    status = pfu_fflush(file);
    if (status != PFU_SUCCESS) return status;
  }
  file->last_op = PFU_OP_WRITE;
  if (file->buffer && count <= (file->buffer_size - file->count) / 2) {
    if (file->mode == PFU_TEXT) {
      file->count += to_text(buffer, count, file->buffer + file->count);
    } else {
      std::memcpy(file->buffer + file->count, buffer, static_cast<std::size_t>(count));
      file->count += count;
    }
    return PFU_SUCCESS;
  }
  int written = 0;
  if (file->mode != PFU_TEXT) return write_internal(file, buffer, count, &written);
  char scratch[SCRATCH];
  char* out = count > SCRATCH / 2 ? static_cast<char*>(getmem(2 * static_cast<std::size_t>(count)))
                                  : scratch;
  int n = to_text(buffer, count, out);
  status = write_internal(file, out, n, &written);
  if (out != scratch) rlsmem(out);
  return status;
}

int pfu_fflush(PF_File_Ptr file) {
  if (!file) {
    dbg_crash_msg("pfu_fflush", "NULL PF_File_Ptr");
    return PFU_TRAP;
  }
  if (file->last_op == PFU_OP_NONE) return PFU_SUCCESS;
  if (file->last_op == PFU_OP_WRITE) {
    int written = 0;
    int status = write_internal(file, file->buffer + file->position, file->count - file->position,
                                &written);
    file->position += written;
    if (status != PFU_SUCCESS) return status;
  } else if (file->count > 0 && file->kind == PFU_Disk_File) {
    // The bytes read ahead are dropped: the system position goes back to the logical one,
    // so that a write or a relative seek starts where the reader stands.
    int status = set_position(file, -static_cast<long long>(file->count), w32::FILE_CURRENT, nullptr);
    if (status != PFU_SUCCESS) return status;
  }
  file->last_op = PFU_OP_NONE;
  file->count = 0;
  file->position = 0;
  return PFU_SUCCESS;
}

int pfu_fseek(PF_File_Ptr file, long offset, int origin) {
  if (!file) {
    dbg_crash_msg("pfu_fseek", "NULL PF_File_Ptr");
    return PFU_TRAP;
  }
  if (file->kind != PFU_Disk_File) {
    dbg_crash_msg("pfu_fseek", "attempt to seek on pipe");
    return PFU_TRAP;
  }
  if (origin < 0 || origin > 2) return PFU_INVALID_ARG;
  int status = pfu_fflush(file);
  if (status != PFU_SUCCESS) return status;
  constexpr w32::DWORD METHOD[] = {w32::FILE_BEGIN, w32::FILE_CURRENT, w32::FILE_END};
  return set_position(file, offset, METHOD[origin], nullptr);
}

long pfu_ftell(PF_File_Ptr file) {
  if (!file || file->kind != PFU_Disk_File) {
    dbg_crash_msg("pfu_ftell", "attempt to call on pipe.");
    return -1;
  }
  long long at = 0;
  if (set_position(file, 0, w32::FILE_CURRENT, &at) != PFU_SUCCESS) return -1;
  if (file->last_op == PFU_OP_READ) return static_cast<long>(at - file->count);
  if (file->last_op == PFU_OP_WRITE) return static_cast<long>(at + file->count - file->position);
  return static_cast<long>(at);
}

int pfu_ftruncate(PF_File_Ptr file, long length) {
  if (!file) {
    dbg_crash_msg("pfu_ftruncate", "NULL PF_File_Ptr");
    return PFU_TRAP;
  }
  if (file->kind == PFU_INET_Socket || file->kind == PFU_Pipe) {
    dbg_crash_msg("pfu_ftruncate", "file must be text or binary");
    return PFU_TRAP;
  }
  if (!(file->access & PFU_ACCESS_WRITE)) {
    dbg_crash_msg("pfu_ftruncate", "file must be open for write");
    return PFU_TRAP;
  }
  if (length < 0) return PFU_INVALID_ARG;
  // Pending bytes go first, so that none lands behind the new end.
  int status = pfu_fflush(file);
  if (status != PFU_SUCCESS) return status;
  status = set_position(file, length, w32::FILE_BEGIN, nullptr);
  if (status != PFU_SUCCESS) return status;
  return w32::SetEndOfFile(handle_of(file)) ? PFU_SUCCESS : pfu_map_last_error();
}

int pfu_fgetc(PF_File_Ptr file, int* byte) {
  int status = usable(file, "pfu_fgetc", FOR_READ);
  if (status != PFU_SUCCESS) return status;
  char c = 0;
  int got = 0;
  status = read_bytes(file, &c, 1, &got);
  if (status == PFU_SUCCESS && byte) *byte = static_cast<unsigned char>(c);
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
    if (stored == size - 1 && file->kind != PFU_Disk_File && file->buffer_size < 2) {
      // A pipe or socket without a buffer cannot take a byte back: the line is cut
      // before the next byte is read.
      buffer[stored] = '\0';
      return PFU_NAME_TOO_LONG;
    }
    char c = 0;
    int got = 0;
    status = read_bytes(file, &c, 1, &got);
    if (status != PFU_SUCCESS) {
      buffer[stored] = '\0';
      return status;
    }
    if (stored == size - 1) {
      // The line goes on past the buffer; its next byte stays for the next read.
      // A byte that came from the buffer leaves position past it.
      if (file->position > 0) {
        --file->position;
        ++file->count;
      } else if (file->kind == PFU_Disk_File) {
        set_position(file, -1, w32::FILE_CURRENT, nullptr);
      }
      buffer[stored] = '\0';
      return PFU_NAME_TOO_LONG;
    }
    buffer[stored] = c;
    if (c == '\n') {
      buffer[stored + 1] = '\0';
      return PFU_SUCCESS;
    }
  }
}

int pfu_fputc(PF_File_Ptr file, int byte) {
  int status = usable(file, "pfu_fputc", FOR_WRITE);
  if (status != PFU_SUCCESS) return status;
  char c = static_cast<char>(byte);
  return pfu_fwrite(file, 1, &c);
}

int pfu_fputs(PF_File_Ptr file, const char* string) {
  int status = usable(file, "pfu_fputs", FOR_WRITE);
  if (status != PFU_SUCCESS) return status;
  if (!string) {
    dbg_crash_msg("pfu_fputs", "bad parameter");
    return PFU_INVALID_ARG;
  }
  return pfu_fwrite(file, static_cast<int>(std::strlen(string)), string);
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

int pfu_fcopy(PF_File_Ptr from, PF_File_Ptr to, long count, long* copied) {
  long total = 0;
  char chunk[CHUNK];
  int status = PFU_SUCCESS;
  while (count != 0) {
    int want = count > 0 && count < CHUNK ? static_cast<int>(count) : CHUNK;
    int got = 0;
    status = pfu_fread(from, want, &got, chunk);
    if (got > 0) {
      int written = pfu_fwrite(to, got, chunk);
      if (written != PFU_SUCCESS) {
        status = written;
        break;
      }
      total += got;
      if (count > 0) count -= got;
    }
    if (status != PFU_SUCCESS) break;
  }
  if (copied) *copied = total;
  if (status == PFU_END_OF_FILE && count < 0) return PFU_SUCCESS;
  return status;
}

int pfu_get_path(PF_File_Ptr file, char* buffer) {
  if (!file || !buffer) return PFU_INVALID_PTR;
  buffer[0] = '\0';
  if (file->kind != PFU_Disk_File || !file->name) {
    dbg_crash_msg("pfu_get_path", "Not a disk file.");
    return PFU_SUCCESS;
  }
  return copy_path(file->name, buffer);
}

int pfu_calculate_checksum(PF_File_Ptr file, long* sum) {
  int status = pfu_fseek(file, 0, 0);
  if (status != PFU_SUCCESS) return status;
  unsigned long total = 0, x = 0, n = 0;
  for (;;) {
    int byte = 0;
    status = pfu_fgetc(file, &byte);
    if (status == PFU_END_OF_FILE) break;
    if (status != PFU_SUCCESS) return status;
    total = (total + static_cast<unsigned long>(byte)) % 256;
    x ^= static_cast<unsigned long>(byte);
    n = (n + 1) % 65536;
  }
  if (sum) *sum = static_cast<long>(n * 65536 + total * 256 + x);
  return PFU_SUCCESS;
}

int pfu_calc_checksum_by_path(const char* path, long* sum) {
  PF_File_Ptr file = nullptr;
  int status = pfu_fopen(path, PFU_ACCESS_READ, PFU_BINARY, CHUNK, &file);
  if (status != PFU_SUCCESS) return status;
  status = pfu_calculate_checksum(file, sum);
  pfu_fclose(&file);
  return status;
}

int pfu_enable_dbg_collect(int on) {
  if (on && !collecting) {
    collecting = true;
  } else if (!on && collecting) {
    collecting = false;
    xar_free(&open_files);
  }
  return PFU_SUCCESS;
}

char** pfu_dbg_list_open_files() {
  if (!collecting) return nullptr;
  char** names = static_cast<char**>(xar_alloc(0, sizeof(char*), 4));
  int n = xar_count(&open_files);
  for (int i = 0; i < n; ++i) {
    char* name = make_scopy(open_files[i]->name ? open_files[i]->name : "");
    xar_append(&names, 1, &name);
  }
  return names;
}

// Paths.

int pfu_path_to_neut(char* path) {
  if (!path) return 0;
  int result = 1;
  walk_name_chars(path, [&](char* p, int n) {
    if (result == 0 || n != 1) return;
    if (*p == '\t' || *p == ' ') {
      *p = '\0';
      result = 0;
    } else if (*p == '/' || *p == '\\') {
      *p = '|';
    }
  });
  // One trailing delimiter goes, unless it is a root's ("|", "c:|"): dropping that
  // would turn the root into an empty or drive-relative path.
  std::size_t length = std::strlen(path);
  bool root = length == 1 || (length >= 2 && path[length - 2] == ':');
  if (length > 0 && path[length - 1] == '|' && !root) path[length - 1] = '\0';
  return result;
}

int pfu_neut_path_to_os(char* path, int os) {
  if (!path) return PFU_INVALID_PTR;
  if (os != PFU_OS_UNIX && os != PFU_OS_WINDOWS) return PFU_INVALID_ARG;
  char delimiter = os == PFU_OS_WINDOWS ? '\\' : '/';
  walk_name_chars(path, [&](char* p, int n) {
    if (n == 1 && *p == '|') *p = delimiter;
  });
  return PFU_SUCCESS;
}

namespace {

// The last delimiter of path ('|', '\\' or '/' as a whole character), or null.
const char* last_delimiter(const char* path) {
  const char* last = nullptr;
  walk_name_chars(const_cast<char*>(path), [&](char* p, int n) {
    if (n == 1 && (*p == '|' || *p == '\\' || *p == '/')) last = p;
  });
  return last;
}

}  // namespace

const char* pfu_path_tail(const char* path) {
  if (!path || !*path) return nullptr;
  const char* last = last_delimiter(path);
  return last ? last + 1 : path;
}

int pfu_split_path(const char* path, char* parent, char* tail) {
  char copy[PFU_PATH_SIZE];
  int status = copy_path(path, copy);
  if (status != PFU_SUCCESS) return status;
  char* last = const_cast<char*>(last_delimiter(copy));
  if (!last) {
    if (parent) parent[0] = '\0';
    if (tail) std::strcpy(tail, copy);
    return PFU_SUCCESS;
  }
  bool root = last == copy || last[-1] == ':';
  if (root && last[1] == '\0') return PFU_ROOT_NO_PARENT;
  if (tail) std::strcpy(tail, last + 1);
  last[root ? 1 : 0] = '\0';
  if (parent) std::strcpy(parent, copy);
  return PFU_SUCCESS;
}

int pfu_get_parent_path(const char* path, char* parent, char* tail) {
  char own[PFU_PATH_SIZE];
  char* out = parent ? parent : own;
  int status = pfu_split_path(path, out, tail);
  if (status == PFU_SUCCESS && out[0] == '\0') status = pfu_getwd(out);
  return status;
}

int pfu_cat_path(const char* a, const char* b, char* result) {
  if (!a || !b || !result) return 0;
  std::size_t la = std::strlen(a);
  std::size_t lb = std::strlen(b);
  if (la + lb + 1 >= PFU_PATH_SIZE) {
    dbg_error_msg("pfu_cat_path", 'A', "Overflow!");
    result[0] = '\0';
    return 0;
  }
  char joined[PFU_PATH_SIZE];
  std::memcpy(joined, a, la);
  std::size_t k = la;
  if (la > 0 && lb > 0) {
    char end = joined[la - 1];
    if (end == '|' || end == '\\' || end == '/') --k;
    joined[k++] = '|';
  }
  std::memcpy(joined + k, b, lb + 1);
  std::strcpy(result, joined);
  return 1;
}

int pfu_is_abs_path(char* path) {
  if (!path) return 0;
  pfu_path_to_neut(path);
  if (path[0] == '|') return 1;
  bool letter = (path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z');
  if (!letter || path[1] != ':') return 0;
  if (path[2] != '|')
    dbg_crash_msg("pfu_abs_path", "relative paths of the form 'd:rel_path' are not recognized.");
  return 1;
}

int pfu_path_to_abs(const char* path, char* result) {
  if (!result) return PFU_INVALID_PTR;
  char copy[PFU_PATH_SIZE];
  int status = copy_path(path, copy);
  if (status != PFU_SUCCESS) return status;
  if (pfu_is_abs_path(copy)) {
    std::strcpy(result, copy);
    return PFU_SUCCESS;
  }
  char directory[PFU_PATH_SIZE];
  status = pfu_getwd(directory);
  if (status != PFU_SUCCESS) return status;
  return pfu_cat_path(directory, copy, result) ? PFU_SUCCESS : PFU_NAME_TOO_LONG;
}

int pfu_is_parent_path(const char* child, const char* parent, char* rest) {
  if (!child || !*child) {
    dbg_crash_msg("pfu_is_parent_path", "child path cannot be empty.");
    return 0;
  }
  char c[PFU_PATH_SIZE];
  char p[PFU_PATH_SIZE];
  if (copy_path(child, c) != PFU_SUCCESS || copy_path(parent ? parent : "", p) != PFU_SUCCESS)
    return 0;
  pfu_path_to_neut(c);
  pfu_path_to_neut(p);
  std::size_t lp = std::strlen(p);
  const char* after = c;
  if (lp > 0) {
    if (std::strncmp(c, p, lp) != 0) return 0;
    // The prefix must end at a delimiter of either.
    if (c[lp] != '\0' && c[lp] != '|' && p[lp - 1] != '|') return 0;
    after = c + lp;
    if (*after == '|') ++after;
  }
  if (rest) std::strcpy(rest, after);
  return 1;
}

int pfu_getwd(char* buffer) {
  if (!buffer) return PFU_INVALID_PTR;
  buffer[0] = '\0';
  if (!w32::_getcwd(buffer, PFU_PATH_SIZE)) return pfu_map_error(errno);
  pfu_path_to_neut(buffer);
  return PFU_SUCCESS;
}

int pfu_chdir(const char* path) {
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  return w32::_chdir(windows) == 0 ? PFU_SUCCESS : pfu_map_error(errno);
}

// Directories.

struct PfuDir {
  w32::WIN32_FIND_DATAA data;
  w32::HANDLE search;
  int first_pending;
};

int pfu_opendir(const char* path, PfuDir** dir) {
  if (!dir) return PFU_INVALID_PTR;
  *dir = nullptr;
  char pattern[PFU_PATH_SIZE];
  int status = os_path(path, pattern);
  if (status != PFU_SUCCESS) return status;
  std::size_t length = std::strlen(pattern);
  if (length + 2 >= PFU_PATH_SIZE) return PFU_NAME_TOO_LONG;
  std::strcpy(pattern + length, "\\*");
  PfuDir* record = static_cast<PfuDir*>(getmem(sizeof(PfuDir)));
  record->search = w32::FindFirstFileA(pattern, &record->data);
  if (record->search == w32::INVALID_HANDLE_VALUE) {
    rlsmem(record);
    return PFU_NOT_EXIST;
  }
  record->first_pending = 1;
  *dir = record;
  return PFU_SUCCESS;
}

int pfu_readdir(PfuDir* dir, char* name) {
  if (!dir || !name) return PFU_INVALID_PTR;
  for (;;) {
    if (dir->first_pending) {
      dir->first_pending = 0;
    } else if (!w32::FindNextFileA(dir->search, &dir->data)) {
      // Only the search's own end is the end: one that broke off is a failure, so that
      // no caller takes a part of the listing for the whole.
      return w32::GetLastError() == w32::ERROR_NO_MORE_FILES ? PFU_END_OF_FILE
                                                             : pfu_map_last_error();
    }
    const char* found = dir->data.cFileName;
    if (std::strcmp(found, ".") == 0 || std::strcmp(found, "..") == 0) continue;
    return copy_path(found, name);
  }
}

int pfu_closedir(PfuDir** dir) {
  if (!dir || !*dir) return PFU_NO_CHANGE;
  w32::FindClose((*dir)->search);
  rlsmem(*dir);
  *dir = nullptr;
  return PFU_SUCCESS;
}

int pfu_next_matching(PfuDir* dir, const char* pattern, char* name) {
  for (;;) {
    int status = pfu_readdir(dir, name);
    if (status != PFU_SUCCESS) return status;
    if (!pattern || !*pattern || string_match(name, pattern)) return PFU_SUCCESS;
  }
}

int pfu_expand_pattern(const char* path, const char* pattern, char*** list) {
  if (!list) return PFU_INVALID_PTR;
  *list = nullptr;
  PfuDir* dir = nullptr;
  int status = pfu_opendir(path, &dir);
  if (status != PFU_SUCCESS) return status;
  char** names = static_cast<char**>(xar_alloc(0, sizeof(char*), 4));
  char name[PFU_PATH_SIZE];
  while ((status = pfu_next_matching(dir, pattern, name)) == PFU_SUCCESS) {
    char* copy = make_scopy(name);
    xar_append(&names, 1, &copy);
  }
  pfu_closedir(&dir);
  if (status != PFU_END_OF_FILE) {
    for (int i = 0; i < xar_count(&names); ++i) rlsmem(names[i]);
    xar_free(&names);
    return status;
  }
  *list = names;
  return PFU_SUCCESS;
}

namespace {

// The attributes of a Windows-form path, INVALID_FILE_ATTRIBUTES when it does not exist.
w32::DWORD attributes_of(const char* windows) { return w32::GetFileAttributesA(windows); }

bool is_link_attr(w32::DWORD a) {
  return a != w32::INVALID_FILE_ATTRIBUTES && (a & w32::FILE_ATTRIBUTE_REPARSE_POINT);
}
bool is_dir_attr(w32::DWORD a) {
  return a != w32::INVALID_FILE_ATTRIBUTES && (a & w32::FILE_ATTRIBUTE_DIRECTORY) &&
         !(a & w32::FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

int pfu_mkdir(const char* path) {
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  return w32::_mkdir(windows) == 0 ? PFU_SUCCESS : pfu_map_error(errno);
}

int pfu_rmdir(const char* path) {
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  w32::DWORD a = attributes_of(windows);
  if (a == w32::INVALID_FILE_ATTRIBUTES) return pfu_map_last_error();
  if (!(a & w32::FILE_ATTRIBUTE_DIRECTORY) || (a & w32::FILE_ATTRIBUTE_REPARSE_POINT))
    return PFU_NOT_DIRECTORY;
  return w32::_rmdir(windows) == 0 ? PFU_SUCCESS : pfu_map_error(errno);
}

int pfu_unlink(const char* path) {
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  return w32::DeleteFileA(windows) ? PFU_SUCCESS : pfu_map_last_error();
}

int pfu_mkdir_ext(const char* path, int make_parents, int force) {
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  w32::DWORD a = attributes_of(windows);
  if (a != w32::INVALID_FILE_ATTRIBUTES)
    return (a & w32::FILE_ATTRIBUTE_DIRECTORY) ? PFU_SUCCESS : PFU_NOT_DIRECTORY;
  if (make_parents) {
    char parent[PFU_PATH_SIZE];
    if (pfu_split_path(path, parent, nullptr) == PFU_SUCCESS && parent[0]) {
      status = pfu_mkdir_ext(parent, 1, force);
      if (status != PFU_SUCCESS) return status;
    }
  }
  status = pfu_mkdir(path);
  return status == PFU_ALREADY_EXISTS ? PFU_SUCCESS : status;
}

int pfu_rmfile_ext(const char* path, int) {
  int status = pfu_unlink(path);
  return status == PFU_NOT_EXIST ? PFU_SUCCESS : status;
}

namespace {

// Runs visit(entry, is a directory) on each entry of the directory path in turn, until
// one answers other than success. A symbolic link counts as no directory, so walks that
// recurse through this never leave the tree. Success when every entry was visited.
template <typename Visit>
int for_each_entry(const char* path, Visit visit) {
  PfuDir* dir = nullptr;
  int status = pfu_opendir(path, &dir);
  if (status != PFU_SUCCESS) return status;
  char name[PFU_PATH_SIZE];
  while ((status = pfu_readdir(dir, name)) == PFU_SUCCESS) {
    char entry[PFU_PATH_SIZE];
    if (!pfu_cat_path(path, name, entry)) {
      status = PFU_NAME_TOO_LONG;
      break;
    }
    char entry_os[PFU_PATH_SIZE];
    os_path(entry, entry_os);
    status = visit(entry, is_dir_attr(attributes_of(entry_os)));
    if (status != PFU_SUCCESS) break;
  }
  pfu_closedir(&dir);
  return status == PFU_END_OF_FILE ? PFU_SUCCESS : status;
}

}  // namespace

int pfu_rmdir_ext(const char* path, int recursive, int force) {
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  w32::DWORD a = attributes_of(windows);
  if (a == w32::INVALID_FILE_ATTRIBUTES) return PFU_SUCCESS;
  if (is_link_attr(a)) return pfu_rmfile_ext(path, force);  // the link, never its target
  if (!(a & w32::FILE_ATTRIBUTE_DIRECTORY)) return PFU_NOT_DIRECTORY;
  if (recursive) {
    status = for_each_entry(path, [force](const char* entry, bool directory) {
      return directory ? pfu_rmdir_ext(entry, 1, force) : pfu_rmfile_ext(entry, force);
    });
    if (status != PFU_SUCCESS) return status;
  }
  status = pfu_rmdir(path);
  return status == PFU_NOT_EXIST ? PFU_SUCCESS : status;
}

namespace {

// The name beside path under which a copy is written before it takes path's place.
int staging_name(const char* path, char* out) {
  int length = std::snprintf(out, PFU_PATH_SIZE, "%s.pfu~", path);
  return length < 0 || length >= PFU_PATH_SIZE ? PFU_NAME_TOO_LONG : PFU_SUCCESS;
}

}  // namespace

int pfu_copy(const char* from, const char* to) {
  char staged[PFU_PATH_SIZE];
  int status = copy_path(to, staged);
  if (status == PFU_SUCCESS) status = staging_name(to, staged);
  if (status != PFU_SUCCESS) return status;
  PF_File_Ptr source = nullptr;
  PF_File_Ptr target = nullptr;
  // A missing source is not made empty: that would replace the target with nothing.
  status = open_record(from, PFU_ACCESS_READ, PFU_BINARY, CHUNK, &source, true);
  if (status != PFU_SUCCESS) return status;
  // The copy is written beside the target and takes its place whole, so that a failure
  // leaves the target as it was and no half-written file under its name.
  status = pfu_fopen(staged, PFU_ACCESS_CREATE_WRITE, PFU_BINARY, CHUNK, &target);
  if (status != PFU_SUCCESS) {
    pfu_fclose(&source);
    return status;
  }
  status = pfu_fcopy(source, target, -1, nullptr);
  pfu_fclose(&source);
  int closed = pfu_fclose(&target);
  if (status == PFU_SUCCESS) status = closed;
  if (status == PFU_SUCCESS) status = pfu_rename(staged, to);
  if (status != PFU_SUCCESS) pfu_unlink(staged);
  return status;
}

int pfu_copy_ext(const char* from, const char* to, int force) {
  PfuStat info;
  int status = pfu_stat(from, &info);
  if (status != PFU_SUCCESS) return status;
  if (force && info.is_dir) return PFU_INVALID_ARG;
  PfuStat target;
  status = pfu_stat(to, &target);
  if (status != PFU_SUCCESS && status != PFU_NOT_EXIST) return status;
  if (force && status == PFU_SUCCESS && target.is_dir) return PFU_INVALID_ARG;
  return pfu_copy(from, to);
}

int pfu_rename(const char* from, const char* to) {
  char a[PFU_PATH_SIZE];
  char b[PFU_PATH_SIZE];
  int status = os_path(from, a);
  if (status == PFU_SUCCESS) status = os_path(to, b);
  if (status != PFU_SUCCESS) return status;
  return w32::MoveFileExA(a, b, w32::MOVEFILE_REPLACE_EXISTING) ? PFU_SUCCESS
                                                                 : pfu_map_last_error();
}

int pfu_rename_ext(const char* from, const char* to, int force) {
  char a[PFU_PATH_SIZE];
  char b[PFU_PATH_SIZE];
  int status = os_path(from, a);
  if (status == PFU_SUCCESS) status = os_path(to, b);
  if (status != PFU_SUCCESS) return status;
  if (attributes_of(a) == w32::INVALID_FILE_ATTRIBUTES) return PFU_NOT_EXIST;
  w32::DWORD target = attributes_of(b);
  bool dir_target = is_dir_attr(target);
  bool dir_source = is_dir_attr(attributes_of(a));
  if (target == w32::INVALID_FILE_ATTRIBUTES || (!dir_target && !dir_source))
    return pfu_rename(from, to);  // a file target is replaced atomically
  // A directory stands in the way (or a directory replaces a file): move the target
  // aside, rename, then delete it, or move it back when the rename fails.
  char aside[PFU_PATH_SIZE];
  int length = std::snprintf(aside, sizeof aside, "%s.pfu-aside", to);
  if (length < 0 || length >= PFU_PATH_SIZE) return PFU_NAME_TOO_LONG;
  char aside_os[PFU_PATH_SIZE];
  os_path(aside, aside_os);
  if (attributes_of(aside_os) != w32::INVALID_FILE_ATTRIBUTES) return PFU_ALREADY_EXISTS;
  status = pfu_rename(to, aside);
  if (status != PFU_SUCCESS) return status;
  status = pfu_rename(from, to);
  if (status != PFU_SUCCESS) {
    pfu_rename(aside, to);
    return status;
  }
  // The rename stands; an old target that cannot be deleted stays beside it.
  status = dir_target ? pfu_rmdir_ext(aside, 1, force) : pfu_rmfile_ext(aside, force);
  if (status != PFU_SUCCESS) dbg_crash_msg("pfu_rename_ext", "cannot delete %s", aside);
  return PFU_SUCCESS;
}

int pfu_replace_string(const char* old_text, const char* new_text, const char* from_path,
                       const char* to_path) {
  if (!old_text || !new_text) return PFU_INVALID_PTR;
  const int old_length = static_cast<int>(std::strlen(old_text));
  if (old_length >= CHUNK) {
    dbg_crash_msg("pfu_replace_string", "string is too long");
    return PFU_TRAP;
  }
  const int new_length = static_cast<int>(std::strlen(new_text));
  PF_File_Ptr source = nullptr;
  PF_File_Ptr target = nullptr;
  int status = open_record(from_path, PFU_ACCESS_READ, PFU_BINARY, CHUNK, &source, true);
  if (status != PFU_SUCCESS) return status;
  status = pfu_fopen(to_path, PFU_ACCESS_CREATE_WRITE, PFU_BINARY, CHUNK, &target);
  if (status != PFU_SUCCESS) {
    pfu_fclose(&source);
    return status;
  }
  // A window of bytes counted by length (the text may hold zero bytes): the carried-over
  // tail of the last block, then what the next read brings.
  char window[CHUNK];
  int filled = 0;
  for (;;) {
    int got = 0;
    int read = pfu_fread(source, CHUNK - 1 - filled, &got, window + filled);
    if (read != PFU_SUCCESS && read != PFU_END_OF_FILE) {
      status = read;
      break;
    }
    filled += got;
    bool end = read == PFU_END_OF_FILE;
    int start = 0;
    int i = 0;
    while (old_length > 0 && i + old_length <= filled) {
      if (std::memcmp(window + i, old_text, static_cast<std::size_t>(old_length)) == 0) {
        status = pfu_fwrite(target, i - start, window + start);
        if (status == PFU_SUCCESS) status = pfu_fwrite(target, new_length, new_text);
        if (status != PFU_SUCCESS) break;
        i += old_length;
        start = i;
      } else {
        ++i;
      }
    }
    if (status != PFU_SUCCESS) break;
    // Keep the bytes that may begin a match across blocks.
    int keep = end ? 0 : (old_length > 1 ? old_length - 1 : 0);
    if (keep > filled - start) keep = filled - start;
    status = pfu_fwrite(target, filled - start - keep, window + start);
    if (status != PFU_SUCCESS) break;
    std::memmove(window, window + filled - keep, static_cast<std::size_t>(keep));
    filled = keep;
    if (end) break;
  }
  pfu_fclose(&source);
  int closed = pfu_fclose(&target);
  return status == PFU_SUCCESS ? closed : status;
}

int pfu_stat(const char* path, PfuStat* info) {
  if (!info) return PFU_INVALID_PTR;
  std::memset(info, 0, sizeof *info);
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  w32::DWORD a = attributes_of(windows);
  w32::_stat st;
  if (a == w32::INVALID_FILE_ATTRIBUTES || w32::stat(windows, &st) != 0) {
    // A link whose target is gone is still an entry.
    if (is_link_attr(a)) {
      info->is_link = 1;
      return PFU_SUCCESS;
    }
    return a == w32::INVALID_FILE_ATTRIBUTES ? pfu_map_last_error() : pfu_map_error(errno);
  }
  info->is_dir = (a & w32::FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
  info->is_executable = info->is_readable = info->is_writable = 1;
  info->is_link = is_link_attr(a) ? 1 : 0;
  info->mtime = static_cast<unsigned int>(st.st_mtime64);
  info->size = st.st_size > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<unsigned int>(st.st_size);
  info->perm_class = st.st_uid == geteuid() ? 6 : st.st_gid == getegid() ? 3 : 0;
  return PFU_SUCCESS;
}

namespace {
int stat_field(const char* path, int PfuStat::*field) {
  PfuStat info;
  return pfu_stat(path, &info) == PFU_SUCCESS && info.*field ? 1 : 0;
}
}  // namespace

int pfu_is_dir(const char* path) { return stat_field(path, &PfuStat::is_dir); }
int pfu_is_link(const char* path) { return stat_field(path, &PfuStat::is_link); }
int pfu_is_executable(const char* path) { return stat_field(path, &PfuStat::is_executable); }
int pfu_is_readable(const char* path) { return stat_field(path, &PfuStat::is_readable); }
int pfu_is_writable(const char* path) { return stat_field(path, &PfuStat::is_writable); }

int pfu_get_file_size(const char* path, long long* size) {
  if (!size) return PFU_INVALID_PTR;
  *size = 0;
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  w32::_stat st;
  if (w32::stat(windows, &st) != 0) return pfu_map_error(errno);
  *size = st.st_size;
  return PFU_SUCCESS;
}

int pfu_readlink(const char*, char*) { return PFU_INVALID_ARG; }

int pfu_chmod(const char*, const unsigned char*) { return PFU_SUCCESS; }

int pfu_set_def_perm(const unsigned char* dir_perm, const unsigned char* file_perm) {
  if (dir_perm) std::memcpy(def_dir_perm, dir_perm, sizeof def_dir_perm);
  if (file_perm) std::memcpy(def_file_perm, file_perm, sizeof def_file_perm);
  return PFU_SUCCESS;
}

int pfu_get_def_dir_perm(unsigned char* perm) {
  if (perm) std::memcpy(perm, def_dir_perm, sizeof def_dir_perm);
  return PFU_SUCCESS;
}

int pfu_get_def_file_perm(unsigned char* perm) {
  if (perm) std::memcpy(perm, def_file_perm, sizeof def_file_perm);
  return PFU_SUCCESS;
}

int pfu_chmod_ext(const char* path, int (*change)(const char* path, void* data), void* data) {
  if (!change) return PFU_INVALID_PTR;
  char windows[PFU_PATH_SIZE];
  int status = os_path(path, windows);
  if (status != PFU_SUCCESS) return status;
  status = change(path, data);
  if (status != PFU_SUCCESS || !is_dir_attr(attributes_of(windows))) return status;
  return for_each_entry(path, [change, data](const char* entry, bool directory) {
    return directory ? pfu_chmod_ext(entry, change, data) : change(entry, data);
  });
}

void pfu_testing_reset() {
  pfu_enable_dbg_collect(0);
  const unsigned char dir_perm[4] = {0xED, 0x01, 0, 0};
  const unsigned char file_perm[4] = {0xA4, 0x01, 0, 0};
  pfu_set_def_perm(dir_perm, file_perm);
}

int pfu_get_arg_max(int* n) {
  if (n) *n = 14500;
  return PFU_SUCCESS;
}

namespace {

// Wraps the parent's end of a pipe as a pipe record (text mode).
int wrap_pipe_end(w32::HANDLE end, int access, int buffer_size, PF_File_Ptr* file) {
  return pfu_fdopen(end, PF_NULL_Descriptor, nullptr, access, PFU_Pipe, PFU_TEXT, buffer_size,
                    file);
}

int last_error_status() { return pfu_map_last_error(); }

}  // namespace

int pfu_pipe(int write_mode, int read_mode, int write_size, int read_size,
             PF_File_Ptr* write_file, PF_File_Ptr* read_file) {
  if (!write_file || !read_file) return PFU_INVALID_PTR;
  *write_file = *read_file = nullptr;
  w32::SECURITY_ATTRIBUTES inherit = {sizeof(w32::SECURITY_ATTRIBUTES), nullptr, w32::TRUE};
  w32::HANDLE read_end = nullptr;
  w32::HANDLE write_end = nullptr;
  if (!w32::CreatePipe(&read_end, &write_end, &inherit, 0)) return pfu_map_last_error();
  pfu_fdopen(write_end, PF_NULL_Descriptor, nullptr, PFU_ACCESS_WRITE, PFU_Pipe, write_mode,
             write_size, write_file);
  pfu_fdopen(read_end, PF_NULL_Descriptor, nullptr, PFU_ACCESS_READ, PFU_Pipe, read_mode,
             read_size, read_file);
  return PFU_SUCCESS;
}

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

// Processes.

namespace {

// Starts line with the given standard handles (null: the process's own), handles
// inherited, detached. The process record, or the failure's status.
int start_with_handles(const char* command, w32::HANDLE in, w32::HANDLE out, w32::HANDLE err,
                       VynProc** process) {
  if (!command || !process) return PFU_INVALID_ARG;
  *process = nullptr;
  char* copy = make_scopy(command);
  char* line = s_strip(copy);
  w32::STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = w32::STARTF_USESTDHANDLES;
  startup.hStdInput = in ? in : w32::GetStdHandle(w32::STD_INPUT_HANDLE);
  startup.hStdOutput = out ? out : w32::GetStdHandle(w32::STD_OUTPUT_HANDLE);
  startup.hStdError = err ? err : w32::GetStdHandle(w32::STD_ERROR_HANDLE);
  w32::PROCESS_INFORMATION information = {nullptr, nullptr, 0, 0};
  bool started = w32::CreateProcessA(nullptr, line, nullptr, nullptr, w32::TRUE,
                                     w32::DETACHED_PROCESS, nullptr, nullptr, &startup,
                                     &information);
  rlsmem(copy);
  if (!started) return pfu_map_last_error();
  w32::CloseHandle(information.hThread);
  *process = _WINDOWS_alloc_proc(VYN_PROC_PROCESS, information.dwProcessId, information.hProcess);
  return PFU_SUCCESS;
}

w32::HANDLE handle_or_null(PF_File_Ptr file) {
  return file && file->kind != PFU_INET_Socket ? handle_of(file) : nullptr;
}

}  // namespace

int pfu_exec(const char* command, PF_File_Ptr in, PF_File_Ptr out, PF_File_Ptr err,
             VynProc** process) {
  // What the records hold back goes first: the child writes behind it.
  if (out) pfu_fflush(out);
  if (err) pfu_fflush(err);
  return start_with_handles(command, handle_or_null(in), handle_or_null(out), handle_or_null(err),
                            process);
}

int pfu_system(const char* command, VynProc** process) {
  return start_with_handles(command, nullptr, nullptr, nullptr, process);
}

// Sockets.

struct PfuSocket {
  int socket;
  sockaddr_in address;
};

int pfu_socket(int backlog, int* port, PfuSocket** listener) {
  if (!listener || !port) return PFU_INVALID_PTR;
  *listener = nullptr;
  w32::WSADATA data;
  if (w32::WSAStartup(w32::MAKEWORD(1, 1), &data) != 0) return PFU_TRAP;
  w32::SOCKET s = w32::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address;
  std::memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<std::uint16_t>(*port));
  int length = sizeof address;
  bool ok = s != w32::INVALID_SOCKET &&
            w32::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            w32::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            w32::listen(s, backlog) == 0;
  if (!ok) {
    int status = pfu_map_last_error();
    if (s != w32::INVALID_SOCKET) w32::closesocket(s);
    w32::WSACleanup();
    return status;
  }
  if (*port == 0) *port = ntohs(address.sin_port);
  PfuSocket* record = static_cast<PfuSocket*>(getmem(sizeof(PfuSocket)));
  record->socket = static_cast<int>(s);
  record->address = address;
  *listener = record;
  return PFU_SUCCESS;
}

int pfu_socket_close(PfuSocket** listener) {
  if (!listener || !*listener) return PFU_NO_CHANGE;
  w32::closesocket(static_cast<w32::SOCKET>((*listener)->socket));
  w32::WSACleanup();
  rlsmem(*listener);
  *listener = nullptr;
  return PFU_SUCCESS;
}

int pfu_connect(const char* host, int port, int access, int mode, int buffer_size,
                PF_File_Ptr* file) {
  if (!host || !file) return PFU_INVALID_PTR;
  *file = nullptr;
  w32::WSADATA data;
  if (w32::WSAStartup(w32::MAKEWORD(1, 1), &data) != 0) return PFU_TRAP;
  int status = PFU_SUCCESS;
  w32::SOCKET s = w32::INVALID_SOCKET;
  w32::hostent* entry = w32::gethostbyname(host);
  if (!entry || !entry->h_addr_list || !entry->h_addr_list[0]) {
    status = PFU_NOT_EXIST;
  } else {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    std::memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    s = w32::socket(AF_INET, SOCK_STREAM, 0);
    if (s == w32::INVALID_SOCKET ||
        w32::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      status = pfu_map_last_error();
  }
  if (status != PFU_SUCCESS) {
    if (s != w32::INVALID_SOCKET) w32::closesocket(s);
    w32::WSACleanup();
    return status;
  }
  return pfu_fdopen(PF_NULL_Handle, static_cast<int>(s), nullptr, access, PFU_INET_Socket, mode,
                    buffer_size, file);
}

int pfu_accept(PfuSocket* listener, int access, int mode, int buffer_size, PF_File_Ptr* file) {
  if (!listener || !file) return PFU_INVALID_PTR;
  *file = nullptr;
  w32::WSADATA data;
  if (w32::WSAStartup(w32::MAKEWORD(1, 1), &data) != 0) return PFU_TRAP;
  w32::SOCKET s = w32::accept(static_cast<w32::SOCKET>(listener->socket), nullptr, nullptr);
  if (s == w32::INVALID_SOCKET) {
    int status = pfu_map_last_error();
    w32::WSACleanup();
    return status;
  }
  return pfu_fdopen(PF_NULL_Handle, static_cast<int>(s), nullptr, access, PFU_INET_Socket, mode,
                    buffer_size, file);
}

namespace {
constexpr int END_OF_TRANSMISSION = 4;
}  // namespace

int pfu_fsend(PF_File_Ptr from, PF_File_Ptr to) {
  for (;;) {
    int byte = 0;
    int status = pfu_fgetc(from, &byte);
    if (status == PFU_END_OF_FILE) break;
    if (status != PFU_SUCCESS) return status;
    if (byte == END_OF_TRANSMISSION) {
      dbg_crash_msg("pfu_fsend", "'\\^D' is not permitted in text files");
      return PFU_TRAP;
    }
    status = pfu_fputc(to, byte);
    if (status != PFU_SUCCESS) return status;
  }
  int status = pfu_fputc(to, END_OF_TRANSMISSION);
  return status == PFU_SUCCESS ? pfu_fflush(to) : status;
}

int pfu_frecieve(PF_File_Ptr from, PF_File_Ptr to) {
  for (;;) {
    int byte = 0;
    int status = pfu_fgetc(from, &byte);
    if (status != PFU_SUCCESS) return status;
    if (byte == END_OF_TRANSMISSION) return PFU_SUCCESS;
    status = pfu_fputc(to, byte);
    if (status != PFU_SUCCESS) return status;
  }
}

int pfu_send_file(const char* path, PF_File_Ptr to) {
  PF_File_Ptr file = nullptr;
  int status = open_record(path, PFU_ACCESS_READ, PFU_TEXT, CHUNK, &file, true);
  if (status != PFU_SUCCESS) return status;
  status = pfu_fsend(file, to);
  pfu_fclose(&file);
  return status;
}

int pfu_recieve_file(PF_File_Ptr from, const char* path) {
  PF_File_Ptr file = nullptr;
  int status = pfu_fopen(path, PFU_ACCESS_CREATE_WRITE, PFU_TEXT, CHUNK, &file);
  if (status != PFU_SUCCESS) return status;
  status = pfu_frecieve(from, file);
  int closed = pfu_fclose(&file);
  return status == PFU_SUCCESS ? closed : status;
}

// Names and small helpers.

namespace {

// Fills buffer by ask, or with fallback within size (emptied, with the overflow report,
// when it does not fit): 1 when ask answered.
int name_or_fallback(char* buffer, int size, w32::BOOL (*ask)(char*, w32::DWORD*),
                     const char* fallback) {
  if (!buffer || size < 1) return 0;
  w32::DWORD room = static_cast<w32::DWORD>(size);
  if (ask(buffer, &room)) return 1;
  if (strcpy_limit(fallback, size, buffer)) dbg_crash_msg("WSTRCOPY_X", "OVERFLOW.");
  return 0;
}

}  // namespace

int pfu_get_computer_name(char* buffer, int size) {
  return name_or_fallback(buffer, size, w32::GetComputerNameA, "UnknownComputer");
}

int pfu_get_user_name(char* buffer, int size) {
  return name_or_fallback(buffer, size, w32::GetUserNameA, "UnknownUser");
}

void err_syserr(const char* routine, const char* message) {
  ivek_printf("%s:  %s\n", routine ? routine : "", message ? message : "");
}

int posix_raise_signal(int signal) { return std::raise(signal) != 0 ? 3 : 0; }

int pfu_utime(const char* path, const long* times) {
  char name[PFU_PATH_SIZE];
  int status = copy_path(path, name);
  if (status != PFU_SUCCESS) return status;
  pfu_path_to_os(name, vyn_is_win95_running() ? PFU_OS_UNIX : PFU_OS_WINDOWS);
  w32::_utimbuf when;
  if (times) {
    when.actime = times[0];
    when.modtime = times[1];
  }
  return w32::_utime(name, times ? &when : nullptr) == 0 ? PFU_SUCCESS : pfu_map_error(errno);
}

// Permissions: this platform keeps none, so the changes are accepted and do nothing.

int pfu_umask(const unsigned char*) { return PFU_SUCCESS; }
int pfu_cmp_perm(const unsigned char*, const unsigned char*) { return PFU_SUCCESS; }
int pfu_add_permission(unsigned char*, int, int) { return 0; }
int pfu_del_permission(unsigned char*, int, int) { return 0; }
int pfu_test_permission(const unsigned char*, int, int) { return 0; }

int pfu_copy_perm(const unsigned char* from, unsigned char* to) {
  if (from && to) std::memcpy(to, from, 4);
  return PFU_SUCCESS;
}

int pfu_change_perm_on_disk(const char* path, int who, int what, PfuPermChange change) {
  PfuStat info;
  int status = pfu_stat(path, &info);
  if (status != PFU_SUCCESS) return status;
  if (!change || change(info.perm, who, what) == 0) return PFU_NO_CHANGE;
  if (info.perm_class != 6) return PFU_NOT_OWNER;
  return pfu_chmod(path, info.perm);
}

int pfu_add_perm_on_disk(const char* path, int who, int what) {
  return pfu_change_perm_on_disk(path, who, what, pfu_add_permission);
}

int pfu_del_perm_on_disk(const char* path, int who, int what) {
  return pfu_change_perm_on_disk(path, who, what, pfu_del_permission);
}

int pfu_temp_set_parent_perm(const char* path, int what, char* parent, unsigned char* saved,
                             int* changed) {
  if (changed) *changed = 0;
  char own[PFU_PATH_SIZE];
  int status = pfu_get_parent_path(path, parent ? parent : own, nullptr);
  if (status != PFU_SUCCESS) return status;
  PfuStat info;
  status = pfu_stat(parent ? parent : own, &info);
  if (status != PFU_SUCCESS) return status;
  if (saved) std::memcpy(saved, info.perm, 4);
  status = pfu_change_perm_on_disk(parent ? parent : own, 6, what, pfu_add_permission);
  if (status == PFU_SUCCESS && changed) *changed = 1;
  return status == PFU_NO_CHANGE ? PFU_SUCCESS : status;
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
