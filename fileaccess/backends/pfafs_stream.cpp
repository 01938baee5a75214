#include "fileaccess/backends/pfafs_stream.h"

#include <stdio_ext.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/backends/pfafs_dir.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/crt.h"
#include "platform/w32/file.h"
#include "platform/w32/fileio.h"
#include "platform/w32/volume.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/system/dates.h"
#include "runtime/text/vsprintf.h"

namespace vek {

namespace {

PfaFsStream* record_of(void** slot) { return slot ? static_cast<PfaFsStream*>(*slot) : nullptr; }

std::FILE* stream_in(void** slot) {
  PfaFsStream* record = record_of(slot);
  return record ? record->stream : nullptr;
}

// The name that a method of type 1 works on: without the host (mask 62), or the full
// name for the UNC forms.
int name_of(const VynFile* file, bool full, char* buffer) {
  return full ? pfa_get_full_name(file, buffer) : pfa_get_file_name(file, 62, buffer);
}

// The name with a one-character version suffix cut ("a.prt.1" -> "a.prt"): true when
// there was one.
bool cut_one_char_suffix(char* name) {
  std::size_t n = std::strlen(name);
  if (n < 3 || name[n - 2] != '.' || name[n - 1] == '\\' || name[n - 1] == '/') return false;
  name[n - 2] = '\0';
  return true;
}

// The shared tail of both opens: too many descriptors is reported, a missing versioned
// name read as version 1 is retried without its suffix.
template <typename Open>
int open_low(VynFile* file, void** slot, char* name, bool full, bool read_only, int version,
             const char* routine, Open open) {
  if (!slot) return PFA_E_INVALID_INPUT;
  if (name_of(file, full, name) != PFA_E_NO_ERROR) return PFA_E_INVALID_NAME;
  PfaFsStream opened{-1, nullptr, 0};
  if (!open(name, &opened)) {
    if (errno == EMFILE) {
      dbg_err_crash(routine, "try 'unlimit descriptors'; too many fds in use");
      return PFA_E_TOO_MANY_OPEN;
    }
    // An exclusive create that found the file: the caller tries the next version.
    if (errno == EEXIST) return PFA_E_EXIST;
    if (errno != ENOENT || version != 1 || !read_only || file->object_type == PFA_TYPE_UNKNOWN ||
        !cut_one_char_suffix(name) || !open(name, &opened))
      return PFA_E_ERROR;
    file->version = 0;
  }
  if (*slot == nullptr) pfafs_alloc_stream(slot);
  *record_of(slot) = opened;
  return PFA_E_NO_ERROR;
}

int open_descriptor(VynFile* file, void** slot, void* name_buffer, int flags, int permission,
                    int version, bool full) {
  if (!name_buffer) return PFA_E_INVALID_INPUT;
  return open_low(file, slot, static_cast<char*>(name_buffer), full, (flags & 3) == 0, version,
                  "pfafs_open_low", [&](const char* name, PfaFsStream* out) {
                    out->descriptor = ntlangwrap_open(name, flags, permission);
                    return out->descriptor >= 0;
                  });
}

int open_stream(VynFile* file, void** slot, void* name_buffer, void* mode_word, int version,
                bool full) {
  const char* mode = static_cast<const char*>(mode_word);
  if (!name_buffer || !mode) return PFA_E_INVALID_INPUT;
  int result = open_low(file, slot, static_cast<char*>(name_buffer), full,
                        std::strchr(mode, 'w') == nullptr, version, "pfafs_fopen_low",
                        [&](const char* name, PfaFsStream* out) {
                          out->stream = ntlangwrap_fopen(name, mode);
                          return out->stream != nullptr;
                        });
  if (result == PFA_E_NO_ERROR) std::clearerr(record_of(slot)->stream);
  return result;
}

int pfafs_fgetc(VynFile* file, void** slot) {
  std::FILE* stream = stream_in(slot);
  if (!stream || file->object_type == PFA_TYPE_DIRECTORY) return -1;
  return std::getc(stream);
}

int pfafs_ungetc(VynFile* file, void** slot, int c) {
  std::FILE* stream = stream_in(slot);
  if (!stream || file->object_type == PFA_TYPE_DIRECTORY) return -1;
  return std::ungetc(c, stream);
}

int pfafs_dbg_show_stream(VynFile*, void** slot) {
  PfaFsStream* record = record_of(slot);
  if (!record) return PFA_E_INVALID_INPUT;
  vyn_printf("       fid:  %d\n", record->descriptor);
  vyn_printf("    stream:  %lx\n", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(
                                        record->stream)));
  return PFA_E_NO_ERROR;
}

int pfafs_open_method(VynFile* file, void** slot, void* name_buffer, int flags, int permission,
                      int version) {
  return open_descriptor(file, slot, name_buffer, flags, permission, version, false);
}

// A stream whose error flag is set, or that lost bytes, fails its close: what it holds is
// not what was written to it.
int pfafs_close_file(VynFile*, void** slot) {
  PfaFsStream* record = record_of(slot);
  if (!record) return PFA_E_INVALID_INPUT;
  int failed = record->damaged;
  if (record->stream) {
    failed |= std::ferror(record->stream) != 0;
    // What a damaged stream still holds belongs after the bytes it lost: written now it
    // would stand behind a gap.
    if (record->damaged) __fpurge(record->stream);
    failed |= std::fclose(record->stream) != 0;
  } else if (record->descriptor >= 0) {
    failed |= w32::_close(record->descriptor) != 0;
  }
  relmem(slot);
  *slot = nullptr;
  return failed ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

int pfafs_setbuf(VynFile*, void** slot, void* buffer) {
  std::FILE* stream = stream_in(slot);
  if (!stream) return PFA_E_INVALID_INPUT;
  std::setbuf(stream, static_cast<char*>(buffer));
  return PFA_E_NO_ERROR;
}

int pfafs_get_file_position(VynFile*, void** slot, void* out) {
  PfaFsStream* record = record_of(slot);
  if (!record || !out) return PFA_E_INVALID_INPUT;
  long position = record->stream ? std::ftell(record->stream)
                                 : w32::_lseek(record->descriptor, 0, SEEK_CUR);
  if (position < 0) return PFA_E_ERROR;
  *static_cast<long*>(out) = position;
  return PFA_E_NO_ERROR;
}

namespace {

// Moves a stream. The output it holds is flushed first; when that flush fails (the error
// flag tells it from a bad position) bytes are lost and the record is damaged.
int seek_stream(PfaFsStream* record, long offset, int whence) {
  std::clearerr(record->stream);
  if (std::fseek(record->stream, offset, whence) == 0) return PFA_E_NO_ERROR;
  if (std::ferror(record->stream)) record->damaged = 1;
  return PFA_E_ERROR;
}

}  // namespace

// Seeks far positions relative to where the stream is when that is nearer than the
// start.
int pfafs_set_file_position(VynFile*, void** slot, void* in) {
  PfaFsStream* record = record_of(slot);
  if (!record || !in) return PFA_E_INVALID_INPUT;
  long target = *static_cast<long*>(in);
  if (!record->stream)
    return w32::_lseek(record->descriptor, target, SEEK_SET) < 0 ? PFA_E_ERROR : PFA_E_NO_ERROR;
  if (target > 5000000) {
    long current = std::ftell(record->stream);
    if (current == target) return PFA_E_NO_ERROR;
    long distance = current > target ? current - target : target - current;
    if (current >= 0 && distance < target)
      return seek_stream(record, target - current, SEEK_CUR);
  }
  return seek_stream(record, target, SEEK_SET);
}

int pfafs_rewind_file(VynFile*, void** slot) {
  PfaFsStream* record = record_of(slot);
  if (!record) return PFA_E_INVALID_INPUT;
  // A rewind that could not write what the stream held is no rewind: the caller would
  // read or copy from a file that lacks it.
  if (record->stream) return seek_stream(record, 0, SEEK_SET);
  return w32::_lseek(record->descriptor, 0, SEEK_SET) < 0 ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

int pfafs_unwind_file(VynFile*, void** slot) {
  PfaFsStream* record = record_of(slot);
  if (!record) return PFA_E_INVALID_INPUT;
  if (record->stream) return seek_stream(record, 0, SEEK_END);
  return w32::_lseek(record->descriptor, 0, SEEK_END) < 0 ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

// A stream read tells a read error (1) from the end (5): a copy that stopped at an error
// must not believe it reached the end.
int pfafs_read_file(VynFile*, void** slot, void* buffer, void* count_out, int size) {
  PfaFsStream* record = record_of(slot);
  auto* count = static_cast<int*>(count_out);
  if (!record || !buffer || size < 0) return PFA_E_INVALID_INPUT;
  if (count) *count = 0;
  if (record->stream) {
    std::clearerr(record->stream);
    std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(size), record->stream);
    if (count) *count = static_cast<int>(got);
    if (got > 0) return PFA_E_NO_ERROR;
    return std::ferror(record->stream) ? PFA_E_ERROR : PFA_E_QUIT;
  }
  int got = w32::_read(record->descriptor, buffer, static_cast<unsigned>(size));
  if (got < 0) return PFA_E_ERROR;
  if (count) *count = static_cast<int>(got);
  return got == 0 ? PFA_E_QUIT : PFA_E_NO_ERROR;
}

// Reads one block of size bytes from position: 1 when the seek fails or on a read error,
// 5 when the end came before the block was whole.
int pfafs_fseek(VynFile*, void** slot, void* buffer, int, int position, int size) {
  std::FILE* stream = stream_in(slot);
  if (!stream) {
    dbg_err_crash("pfafs_fseek", "NULL fp");
    return PFA_E_ERROR;
  }
  if (size < 0 || (size > 0 && !buffer)) return PFA_E_INVALID_INPUT;
  if (seek_stream(record_of(slot), position, SEEK_SET) != PFA_E_NO_ERROR) return PFA_E_ERROR;
  if (size == 0) return PFA_E_NO_ERROR;
  std::clearerr(stream);
  std::size_t got = std::fread(buffer, static_cast<std::size_t>(size), 1, stream);
  if (got == 1) return PFA_E_NO_ERROR;
  return std::ferror(stream) ? PFA_E_ERROR : PFA_E_QUIT;
}

// One line of at most size - 1 bytes. A descriptor is read ahead and moved back to just
// after the line feed.
int pfafs_fgets(VynFile*, void** slot, void* buffer_word, void* count_out, int size) {
  PfaFsStream* record = record_of(slot);
  auto* buffer = static_cast<char*>(buffer_word);
  auto* count = static_cast<int*>(count_out);
  if (!record || !buffer || size < 1) return PFA_E_INVALID_INPUT;
  if (count) *count = 0;
  buffer[0] = '\0';
  if (record->stream) {
    std::clearerr(record->stream);
    if (!std::fgets(buffer, size, record->stream)) {
      buffer[0] = '\0';
      return std::ferror(record->stream) ? PFA_E_ERROR : PFA_E_QUIT;
    }
    if (count) *count = static_cast<int>(std::strlen(buffer));
    return PFA_E_NO_ERROR;
  }
  // A limit of 1 leaves room for the terminator alone: nothing is read, as fgets does.
  if (size == 1) return PFA_E_NO_ERROR;
  int got = w32::_read(record->descriptor, buffer, static_cast<unsigned>(size - 1));
  if (got < 0) return PFA_E_ERROR;
  if (got == 0) return PFA_E_QUIT;
  auto* feed = static_cast<char*>(std::memchr(buffer, '\n', static_cast<std::size_t>(got)));
  int length = feed ? static_cast<int>(feed - buffer) + 1 : got;
  if (length < got && w32::_lseek(record->descriptor, length - got, SEEK_CUR) < 0)
    return PFA_E_ERROR;
  buffer[length] = '\0';
  if (count) *count = static_cast<int>(length);
  return PFA_E_NO_ERROR;
}

namespace {

// Writes size bytes; false marks the record damaged. A stream may take the bytes and fail
// in the flush beneath the write, dropping what it held: only its error flag tells, and it
// is cleared first so that an earlier read's error does not count.
bool write_bytes(PfaFsStream* record, const void* buffer, int size) {
  if (record->damaged) return false;
  bool written = true;
  if (record->stream) {
    std::clearerr(record->stream);
    written = std::fwrite(buffer, static_cast<std::size_t>(size), 1, record->stream) == 1 &&
              !std::ferror(record->stream);
  } else {
    const char* at = static_cast<const char*>(buffer);
    for (int left = size; written && left > 0;) {
      int put = w32::_write(record->descriptor, at, static_cast<unsigned>(left));
      written = put > 0;
      at += put;
      left -= put;
    }
  }
  if (!written) record->damaged = 1;
  return written;
}

}  // namespace

int pfafs_write_file(VynFile*, void** slot, void* buffer, int size, int) {
  PfaFsStream* record = record_of(slot);
  if (!record || size < 0 || (size > 0 && !buffer)) return PFA_E_INVALID_INPUT;
  if (size == 0) return record->damaged ? PFA_E_ERROR : PFA_E_NO_ERROR;
  return write_bytes(record, buffer, size) ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

int pfafs_fputs(VynFile*, void** slot, void* text) {
  PfaFsStream* record = record_of(slot);
  if (!record || !text) return PFA_E_INVALID_INPUT;
  std::size_t n = std::strlen(static_cast<const char*>(text));
  if (n > INT_MAX) return PFA_E_INVALID_INPUT;
  // A stream answers 13, a descriptor the 1 of its byte write.
  int failure = record->stream ? PFA_E_CANT_WRITE : PFA_E_ERROR;
  if (n == 0) return record->damaged ? failure : PFA_E_NO_ERROR;
  return write_bytes(record, text, static_cast<int>(n)) ? PFA_E_NO_ERROR : failure;
}

namespace {

// The copy itself; the caller marks a target whose writes failed.
int copy_through(std::FILE* from, std::FILE* to, const unsigned char* marker, int* end) {
  std::clearerr(from);
  int previous = std::getc(from);
  int result = PFA_E_NO_ERROR;
  while (previous != EOF) {
    int next = std::getc(from);
    if (next == EOF) {
      if (std::ferror(from)) return PFA_E_ERROR;
      std::putc(previous, to);
      if (end) *end = 1;
      result = PFA_E_NOT_FOUND;
      break;
    }
    if (previous == marker[0] && next == marker[1]) break;
    if (next == 0) break;
    std::putc(previous, to);
    previous = next;
  }
  if (previous == EOF) {
    if (std::ferror(from)) return PFA_E_ERROR;
    if (end) *end = 1;
    result = PFA_E_NOT_FOUND;
  }
  return std::ferror(to) ? PFA_E_ERROR : result;
}

}  // namespace

// Copies bytes up to a two-byte marker, which is consumed and not written; a 0 byte ends
// the copy too. At the end of the file the last byte is written and *end set (2).
int pfafs_copy_thru_cookie(VynFile*, void** from_slot, VynFile*, void** to_slot, void* marker_word,
                           void* end_out) {
  std::FILE* from = stream_in(from_slot);
  std::FILE* to = stream_in(to_slot);
  auto* end = static_cast<int*>(end_out);
  const auto* marker = static_cast<const unsigned char*>(marker_word);
  if (end) *end = 0;
  if (!from || !to || !marker) return PFA_E_INVALID_INPUT;
  if (record_of(to_slot)->damaged) return PFA_E_ERROR;
  int result = copy_through(from, to, marker, end);
  if (std::ferror(to)) record_of(to_slot)->damaged = 1;
  return result;
}

int pfafs_flush_file(VynFile*, void** slot) {
  PfaFsStream* record = record_of(slot);
  if (!record) return PFA_E_INVALID_INPUT;
  if (record->damaged) return PFA_E_ERROR;
  if (!record->stream) return PFA_E_NO_ERROR;
  if (std::fflush(record->stream) == 0) return PFA_E_NO_ERROR;
  record->damaged = 1;
  return PFA_E_ERROR;
}


template <bool Full>
int delete_file(VynFile* file) {
  char name[PFA_NAME_SIZE];
  if (name_of(file, Full, name) != PFA_E_NO_ERROR) return PFA_E_INVALID_NAME;
  return ntlangwrap_DeleteFile(name) ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

int pfafs_make_dir(VynFile* file) {
  char name[PFA_NAME_SIZE];
  if (pfa_get_full_name(file, name) != PFA_E_NO_ERROR) return PFA_E_INVALID_NAME;
  w32::SECURITY_ATTRIBUTES security{12, nullptr, 1};
  return ntlangwrap_make_dir(name, &security) ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

int pfafs_remove_dir(VynFile* file) {
  char name[PFA_NAME_SIZE];
  if (int failed = pfa_get_full_name(file, name)) return failed;
  if (!name[0]) return PFA_E_NO_ERROR;
  return ntlangwrap_remove_dir(name) ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

// The directory's name without its trailing delimiter.
int dir_name_of(const VynFile* file, bool full, char* buffer) {
  int failed = full ? pfa_get_full_name(file, buffer) : pfa_get_file_name(file, 6, buffer);
  if (failed) return failed;
  std::size_t n = std::strlen(buffer);
  if (n) buffer[n - 1] = '\0';
  return PFA_E_NO_ERROR;
}

template <bool Full>
int move_dir(VynFile* from, VynFile* to) {
  char old_name[PFA_NAME_SIZE], new_name[PFA_NAME_SIZE];
  if (dir_name_of(from, Full, old_name) || dir_name_of(to, Full, new_name))
    return PFA_E_INVALID_NAME;
  return ntlangwrap_move_file(old_name, new_name, 0) ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

// Name failures of the file questions: 11 for the UNC forms, 11 for the time too.
template <bool Full>
int get_file_time(VynFile* file, void* access, void* modification, void* change) {
  char name[PFA_NAME_SIZE];
  if (name_of(file, Full, name) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
  w32::_stat record;
  if (ntlangwrap_stat(name, &record) != 0) return PFA_E_ERROR;
  if (access) mavrel_gmtime(static_cast<ptime*>(access), static_cast<time_t>(record.st_atime64));
  if (modification)
    mavrel_gmtime(static_cast<ptime*>(modification), static_cast<time_t>(record.st_mtime64));
  if (change) mavrel_gmtime(static_cast<ptime*>(change), static_cast<time_t>(record.st_ctime64));
  return PFA_E_NO_ERROR;
}

// The size as a 64-bit count: a file of 4 GB or more keeps its size.
template <bool Full>
int get_file_size(VynFile* file, void* out) {
  char name[PFA_NAME_SIZE];
  if (!out) return PFA_E_INVALID_INPUT;
  if (name_of(file, Full, name) != PFA_E_NO_ERROR) return Full ? PFA_E_NOT_VALID : PFA_E_NO_ACCESS;
  w32::_stat record;
  if (ntlangwrap_stat(name, &record) != 0) return PFA_E_NO_ACCESS;
  *static_cast<long long*>(out) = record.st_size;
  return PFA_E_NO_ERROR;
}

template <bool Full>
int get_mode(VynFile* file, void* out) {
  char name[PFA_NAME_SIZE];
  if (!out) return PFA_E_INVALID_INPUT;
  if (name_of(file, Full, name) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
  return pfafs_get_mode_low(file, name, static_cast<int*>(out));
}

template <bool Full>
int chmod_file(VynFile* file, int mode) {
  char name[PFA_NAME_SIZE];
  if (name_of(file, Full, name) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
  w32::DWORD attributes =
      (mode & 0222) ? w32::FILE_ATTRIBUTE_NORMAL : w32::FILE_ATTRIBUTE_READONLY;
  return ntlangwrap_SetFileAttributes(name, attributes) ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

int pfafs_get_avail_blocks(VynFile* file, void* blocks_out, void* size_out) {
  if (pfa_is_local(file) != 1) return PFA_E_NOT_ALLOWED;
  char device[32] = "";
  if (pfa_get_device(file, device) != PFA_E_NO_ERROR || !device[0]) {
    char current[PFA_NAME_SIZE];
    if (!ntlangwrap_GetCurrentDirectory(current)) return PFA_E_ERROR;
    device[0] = current[0];
    device[1] = '\0';
  }
  char root[40];
  std::snprintf(root, sizeof root, "%s:\\", device);
  w32::DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
  if (!w32::GetDiskFreeSpaceA(root, &sectors, &bytes, &free_clusters, &clusters))
    return PFA_E_ERROR;
  if (blocks_out) *static_cast<long*>(blocks_out) = static_cast<long>(free_clusters);
  if (size_out) *static_cast<long*>(size_out) = static_cast<long>(bytes) * sectors;
  return PFA_E_NO_ERROR;
}

int pfafs_make_hidden(VynFile* file) {
  if (pfa_is_local(file) != 1) return PFA_E_NOT_ALLOWED;
  char name[PFA_NAME_SIZE];
  if (pfa_get_file_name(file, 62, name) != PFA_E_NO_ERROR) return PFA_E_INVALID_INPUT;
  w32::DWORD attributes = ntlangwrap_GetFileAttributes(name);
  if (attributes == w32::INVALID_FILE_ATTRIBUTES) {
    dbg_print_info("pfa_make_file_hidden", "Could not find attributes, %d",
                   static_cast<int>(w32::GetLastError()));
    return PFA_E_ERROR;
  }
  if (attributes & w32::FILE_ATTRIBUTE_HIDDEN) return PFA_E_NO_ERROR;
  return ntlangwrap_SetFileAttributes(name, attributes | w32::FILE_ATTRIBUTE_HIDDEN)
             ? PFA_E_NO_ERROR
             : PFA_E_ERROR;
}

int pfafs_rename_file(VynFile*, void* old_name, void* new_name) {
  if (!old_name || !new_name) return PFA_E_INVALID_INPUT;
  return ntlangwrap_move_file(static_cast<const char*>(old_name),
                              static_cast<const char*>(new_name), w32::MOVEFILE_REPLACE_EXISTING)
             ? PFA_E_ERROR
             : PFA_E_NO_ERROR;
}

int pfafs_fopen_method(VynFile* file, void** slot, void* name_buffer, void* mode, int version,
                       void*, int, int) {
  return open_stream(file, slot, name_buffer, mode, version, false);
}

}  // namespace

int pfafs_alloc_stream(void** slot) {
  if (!slot) return PFA_E_INVALID_INPUT;
  auto* record = static_cast<PfaFsStream*>(getmem(sizeof(PfaFsStream)));
  record->descriptor = -1;
  record->stream = nullptr;
  record->damaged = 0;
  *slot = record;
  return PFA_E_NO_ERROR;
}

PfaFsStream* pfafs_stream_of(void* const* slot) {
  return slot ? static_cast<PfaFsStream*>(*slot) : nullptr;
}

int pfafs_open(VynFile* file, void** slot, void* name_buffer, int flags, int permission,
               int version) {
  return open_descriptor(file, slot, name_buffer, flags, permission, version, false);
}

int pfafs_open_full(VynFile* file, void** slot, void* name_buffer, int flags, int permission,
                    int version) {
  return open_descriptor(file, slot, name_buffer, flags, permission, version, true);
}

int pfafs_fopen(VynFile* file, void** slot, void* name_buffer, void* mode, int version, void*,
                int, int) {
  return open_stream(file, slot, name_buffer, mode, version, false);
}

int pfafs_fopen_full(VynFile* file, void** slot, void* name_buffer, void* mode, int version,
                     void*, int, int) {
  return open_stream(file, slot, name_buffer, mode, version, true);
}

// The stream is flushed and cut through its own file handle, then put back where it
// was: no close and reopen, so a failure cannot leave the handle without its stream.
int pfafs_truncate_file_low(VynFile*, void** slot, void* length_word) {
  PfaFsStream* record = record_of(slot);
  if (!record || !length_word) return PFA_E_INVALID_INPUT;
  long length = *static_cast<long*>(length_word);
  if (length < 0) return PFA_E_INVALID_INPUT;
  if (!record->stream)
    return w32::_chsize(record->descriptor, length) != 0 ? PFA_E_ERROR : PFA_E_NO_ERROR;
  std::FILE* stream = record->stream;
  long position = std::ftell(stream);
  if (position < 0) return PFA_E_ERROR;
  if (std::fflush(stream) != 0) {
    record->damaged = 1;
    return PFA_E_ERROR;
  }
  w32::HANDLE handle = w32::_get_stream_handle(stream);
  if (handle == w32::INVALID_HANDLE_VALUE) {
    int descriptor = fileno(stream);
    if (descriptor < 0 || ::ftruncate(descriptor, length) != 0) return PFA_E_ERROR;
    return std::fseek(stream, position, SEEK_SET) != 0 ? PFA_E_ERROR : PFA_E_NO_ERROR;
  }
  w32::LONG high = static_cast<w32::LONG>(length >> 32);
  w32::SetLastError(0);
  bool set = !(w32::SetFilePointer(handle, static_cast<w32::LONG>(length & 0xFFFFFFFF), &high,
                                   w32::FILE_BEGIN) == w32::INVALID_SET_FILE_POINTER &&
               w32::GetLastError() != 0) &&
             w32::SetEndOfFile(handle);
  // The stream's position is put back in every case; it moves its handle with it.
  bool back = std::fseek(stream, position, SEEK_SET) == 0;
  return set && back ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

int pfafs_discouraged_get_stream(VynFile*, void** slot, std::FILE** stream) {
  PfaFsStream* record = record_of(slot);
  if (stream) *stream = nullptr;
  if (!record) return PFA_E_CANT_OPEN;
  if (stream) *stream = record->stream;
  return PFA_E_NO_ERROR;
}

int pfafs_discouraged_put_stream(VynFile*, std::FILE* stream, void** slot) {
  if (!slot) return PFA_E_INVALID_INPUT;
  if (!*slot) pfafs_alloc_stream(slot);
  record_of(slot)->descriptor = -1;
  record_of(slot)->stream = stream;
  record_of(slot)->damaged = 0;
  return PFA_E_NO_ERROR;
}

void pfafs_register_stream_methods(int type) {
  pfa_loc_method_register(type, PfaFgetc, PLM_CALL_FL, as_method(&pfafs_fgetc));
  pfa_loc_method_register(type, PfaUngetc, PLM_CALL_FLI, as_method(&pfafs_ungetc));
  pfa_loc_method_register(type, PfaDbgShowStream, PLM_CALL_FL, as_method(&pfafs_dbg_show_stream));
  pfa_loc_method_register(type, PfaOpen, PLM_CALL_FLPIII, as_method(&pfafs_open_method));
  pfa_loc_method_register(type, PfaFopen, PLM_CALL_FLPPIPII, as_method(&pfafs_fopen_method));
  pfa_loc_method_register(type, PfaCloseFile, PLM_CALL_FL, as_method(&pfafs_close_file));
  pfa_loc_method_register(type, PfaSetbuf, PLM_CALL_FLP, as_method(&pfafs_setbuf));
  pfa_loc_method_register(type, PfaGetFilePosition, PLM_CALL_FLP,
                          as_method(&pfafs_get_file_position));
  pfa_loc_method_register(type, PfaSetFilePosition, PLM_CALL_FLP,
                          as_method(&pfafs_set_file_position));
  pfa_loc_method_register(type, PfaRewindFile, PLM_CALL_FL, as_method(&pfafs_rewind_file));
  pfa_loc_method_register(type, PfaUnwindFile, PLM_CALL_FL, as_method(&pfafs_unwind_file));
  pfa_loc_method_register(type, PfaReadFile, PLM_CALL_FLPPI, as_method(&pfafs_read_file));
  pfa_loc_method_register(type, PfaFseek, PLM_CALL_FLPIII, as_method(&pfafs_fseek));
  pfa_loc_method_register(type, PfaFgets, PLM_CALL_FLPPI, as_method(&pfafs_fgets));
  pfa_loc_method_register(type, PfaWriteFile, PLM_CALL_FLPII, as_method(&pfafs_write_file));
  pfa_loc_method_register(type, PfaFputs, PLM_CALL_FLP, as_method(&pfafs_fputs));
  pfa_loc_method_register(type, PfaCopyThruCookie, PLM_CALL_FLFLPP,
                          as_method(&pfafs_copy_thru_cookie));
  pfa_loc_method_register(type, PfaFlushFile, PLM_CALL_FL, as_method(&pfafs_flush_file));
  pfa_loc_method_register(type, PfaDeleteFile, PLM_CALL_F, as_method(&delete_file<false>));
  pfa_loc_method_register(type, PfaTruncateFile, PLM_CALL_FLP,
                          as_method(&pfafs_truncate_file_low));
  pfa_loc_method_register(type, PfaMakeDir, PLM_CALL_F, as_method(&pfafs_make_dir));
  pfa_loc_method_register(type, PfaRemoveDir, PLM_CALL_F, as_method(&pfafs_remove_dir));
  pfa_loc_method_register(type, PfaMoveDir, PLM_CALL_FF, as_method(&move_dir<false>));
  pfa_loc_method_register(type, PfaGetFileTime, PLM_CALL_FPPP, as_method(&get_file_time<false>));
  pfa_loc_method_register(type, PfaGetMode, PLM_CALL_FP, as_method(&get_mode<false>));
  pfa_loc_method_register(type, PfaGetFileSize, PLM_CALL_FP, as_method(&get_file_size<false>));
  pfa_loc_method_register(type, PfaChmod, PLM_CALL_FI, as_method(&chmod_file<false>));
  pfa_loc_method_register(type, PfaGetAvailBlocks, PLM_CALL_FPP, as_method(&pfafs_get_avail_blocks));
  pfa_loc_method_register(type, PfaMakeHidden, PLM_CALL_F, as_method(&pfafs_make_hidden));
  pfa_loc_method_register(type, PfaRenameFile, PLM_CALL_FPP, as_method(&pfafs_rename_file));
}

void pfafs_register_unc_stream_methods(int type) {
  pfa_loc_method_register(type, PfaFopen, PLM_CALL_FLPPIPII, as_method(&pfafs_fopen_full));
  pfa_loc_method_register(type, PfaOpen, PLM_CALL_FLPIII, as_method(&pfafs_open_full));
  pfa_loc_method_register(type, PfaDeleteFile, PLM_CALL_F, as_method(&delete_file<true>));
  pfa_loc_method_register(type, PfaGetFileTime, PLM_CALL_FPPP, as_method(&get_file_time<true>));
  pfa_loc_method_register(type, PfaGetMode, PLM_CALL_FP, as_method(&get_mode<true>));
  pfa_loc_method_register(type, PfaGetFileSize, PLM_CALL_FP, as_method(&get_file_size<true>));
  pfa_loc_method_register(type, PfaChmod, PLM_CALL_FI, as_method(&chmod_file<true>));
  pfa_loc_method_register(type, PfaMoveDir, PLM_CALL_FF, as_method(&move_dir<true>));
}

}  // namespace vek
