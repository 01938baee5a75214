// The C run-time's file calls, under their run-time names in namespace w32: every name
// goes through the path model (path.h) and so the layer's current directory, and each
// call sets errno as that run-time sets it (its table from Win32 codes: ENOENT for a
// missing file or directory, EACCES for a denied access, a read-only file or a sharing
// conflict, EEXIST, ENOTEMPTY, ENOSPC, EBADF, ENOMEM, EXDEV, else EINVAL).
//
// There is no text mode: 't' is taken and ignored, so text written has LF line ends.
// Each call consults the fault facility (fault.h) under its run-time name, with its name;
// an armed call sets errno from the armed code. Streams do their I/O through ReadFile,
// WriteFile, SetFilePointer and CloseHandle, so that a fault armed there (a full disk)
// appears at the flush or close as it would. Descriptors of _open are read, written,
// moved, cut and closed by the run-time's own calls here (_read, _write, _lseek, _chsize,
// _close), never by the C library's, so that faults reach them too.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/w32/types.h"

namespace w32 {

// The errno value that the run-time sets for a Win32 code.
int w32_errno_from_error(DWORD code);

// Opens a stream: mode is "r", "w" or "a", then any of '+', 'b', 't' (and the run-time's
// hints c, n, N, S, R, T, D, taken and ignored). "r" needs the file; "w" makes or empties
// it, "w" with 'x' only makes it (EEXIST when it exists); "a" makes it or keeps it and
// writes at its end. Files are shared for reading and
// writing with the process's other handles (fileio.h). Null with errno: EINVAL for a null
// name or a bad mode, and the code of the failing open. The stream is closed with fclose.
FILE* fopen(const char* name, const char* mode);
FILE* _wfopen(const WCHAR* name, const WCHAR* mode);

// The file handle beneath a stream of fopen or _wfopen (what the run-time gives as
// _get_osfhandle(_fileno(stream))), INVALID_HANDLE_VALUE for any other stream. The handle
// stays the stream's: it is closed by fclose, never by the caller.
HANDLE _get_stream_handle(FILE* stream);

// The run-time's flag values of _open.
constexpr int _O_RDONLY = 0x0000;
constexpr int _O_WRONLY = 0x0001;
constexpr int _O_RDWR = 0x0002;
constexpr int _O_APPEND = 0x0008;
constexpr int _O_CREAT = 0x0100;
constexpr int _O_TRUNC = 0x0200;
constexpr int _O_EXCL = 0x0400;
constexpr int _O_TEXT = 0x4000;
constexpr int _O_BINARY = 0x8000;
constexpr int _O_NOINHERIT = 0x0080;

// Permission values of _open's pmode and of _stat's st_mode.
constexpr int _S_IFMT = 0xF000;
constexpr int _S_IFDIR = 0x4000;
constexpr int _S_IFREG = 0x8000;
constexpr int _S_IREAD = 0x0100;
constexpr int _S_IWRITE = 0x0080;
constexpr int _S_IEXEC = 0x0040;

// Opens name with the run-time's flags, giving a POSIX descriptor (read, write and close
// it with the C library; it is not inherited by processes started later). A file made
// without _S_IWRITE in pmode is read-only. -1 with errno: EEXIST (_O_CREAT|_O_EXCL on an
// existing file), ENOENT, EACCES (a directory or a read-only file opened for writing),
// EINVAL for bad flags.
int _open(const char* name, int flags, int pmode = 0);
int _wopen(const WCHAR* name, int flags, int pmode = 0);

// The run-time's status record: st_mode holds _S_IFDIR or _S_IFREG and the permission
// bits it derives from the attributes (read always; write unless read-only; execute for
// directories and names ending in .exe, .com, .bat or .cmd), repeated for group and
// others. The times are named with "64" since the C library defines the plain names as
// macros.
struct _stat {
  std::uint32_t st_dev;
  std::uint16_t st_ino;
  std::uint16_t st_mode;
  std::int16_t st_nlink;
  std::int16_t st_uid;
  std::int16_t st_gid;
  std::uint32_t st_rdev;
  std::int64_t st_size;
  std::int64_t st_atime64;
  std::int64_t st_mtime64;
  std::int64_t st_ctime64;
};

// Reads up to count bytes at the descriptor's position: the bytes read, 0 at the end, -1
// with errno (EBADF for a descriptor that is not open).
int _read(int descriptor, void* buffer, unsigned count);

// Writes count bytes at the descriptor's position (its end when opened with _O_APPEND):
// count, or -1 with errno (ENOSPC for a full disk: the bytes that fitted stay written).
int _write(int descriptor, const void* buffer, unsigned count);

// Moves the descriptor's position (origin SEEK_SET, SEEK_CUR or SEEK_END): the new
// position, or -1 with errno (EINVAL for a position before the start or another origin).
long _lseek(int descriptor, long offset, int origin);

// Makes the file of the descriptor size bytes long (cut, or grown with zeros); its
// position stays. 0, or -1 with errno (EACCES when it was opened for reading only).
int _chsize(int descriptor, long size);

// Closes the descriptor: 0, or -1 with errno (EBADF when it was not open; a close that
// fails otherwise has closed all the same).
int _close(int descriptor);

// Fills *buffer for name; 0, or -1 with errno ENOENT (missing, or a name the path model
// refuses) or EINVAL (null arguments). Counted as "_stat", the run-time's own name.
int stat(const char* name, _stat* buffer);
int _wstat(const WCHAR* name, _stat* buffer);

// Deletes a file (EACCES for a read-only file or a directory); remove is the same.
int _unlink(const char* name);
int _wunlink(const WCHAR* name);
int remove(const char* name);

// Makes a directory (EEXIST when the name exists, ENOENT when its parent does not).
int _mkdir(const char* name);

// Removes an empty directory (ENOTEMPTY when it holds anything or is no directory).
int _rmdir(const char* name);

// Renames a file or directory; never replaces: EACCES when new_name exists (and when
// the file is held open without FILE_SHARE_DELETE), ENOENT when old_name is missing.
int rename(const char* old_name, const char* new_name);

// 0 when name exists and allows mode: 0 existence, 2 writing, 4 reading, 6 both. Writing
// is refused (EACCES) only for a read-only file, as the run-time decides it from the
// attributes; ENOENT when missing; EINVAL for another mode.
int _access(const char* name, int mode);
int _waccess(const WCHAR* name, int mode);

// Makes name read-only when pmode lacks _S_IWRITE and writable when it holds it, nothing
// else of its mode changing: 0, or -1 with errno (ENOENT when it is missing).
int _chmod(const char* name, int pmode);
int _wchmod(const WCHAR* name, int pmode);

// The layer's current directory into buffer (max_length bytes); with a null buffer, into
// a malloc'ed one of at least max_length bytes (free it). Null with ERANGE when it does
// not fit, ENOMEM.
char* _getcwd(char* buffer, int max_length);

// Makes name the current directory (and its drive current); ENOENT when it cannot.
int _chdir(const char* name);

// The full name of relative (GetFullPathNameA; the current directory for a null or
// empty one) into absolute (max_length bytes); with a null absolute into a malloc'ed
// buffer of MAX_PATH bytes (free it). Null with ERANGE when it does not fit, ENOENT for a
// name that does not parse.
char* _fullpath(char* absolute, const char* relative, std::size_t max_length);

// A malloc'ed name (free it) for a file that does not exist yet: prefix and a unique
// number, in the directory of TMP when that is a directory, else in directory when that
// is one, else in the current directory. Null with errno when none can be formed.
char* _tempnam(const char* directory, const char* prefix);

// Times as the run-time's _utime takes them: seconds since 1970.
struct _utimbuf {
  std::int64_t actime;
  std::int64_t modtime;
};

// Sets the access and modification times of name (now for a null times). -1 with errno:
// ENOENT, EACCES for a read-only file.
int _utime(const char* name, const _utimbuf* times);

}  // namespace w32
