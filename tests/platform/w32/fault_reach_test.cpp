// The reach of the fault facility: every call that the sweeps list, and the registry and
// drive calls, is counted under its own name and fails when armed; closes armed to fail
// close all the same; a write armed to stop part-way leaves what fitted.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/w32/crt.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/file.h"
#include "platform/w32/fileio.h"
#include "platform/w32/findfile.h"
#include "platform/w32/handle.h"
#include "platform/w32/registry.h"
#include "platform/w32/volume.h"
#include "platform/w32/winpath.h"
#include "tests/fileaccess/swept_calls.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using namespace w32;

// What a row's calls work on: a file "f.txt" holding "hello", a directory "d", and the
// handles a preparation opened.
struct Scene {
  std::string dir;
  std::string file;      // Windows name of f.txt
  std::u16string wfile;  // the same in UTF-16
  std::string other;     // Windows name of a free name g.txt
  std::u16string wother;
  std::string pattern;   // Windows name of dir\*
  std::u16string wpattern;
  HANDLE handle = INVALID_HANDLE_VALUE;
  int descriptor = -1;
  HKEY key = nullptr;
};

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string windows(const std::string& posix) {
  char out[1024];
  EXPECT_TRUE(w32_windows_path_from_posix(posix.c_str(), out, sizeof out)) << posix;
  return out;
}

struct Row {
  const char* name;
  std::function<void(Scene&)> prepare;  // may call the stand-in; not counted against the row
  std::function<bool(Scene&)> call;     // the call itself: true when it worked
};

void open_for_read(Scene& s) {
  s.handle = CreateFileA(s.file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
}
void open_descriptor(Scene& s) { s.descriptor = _open(s.file.c_str(), _O_RDWR); }
void nothing(Scene&) {}

std::vector<Row> rows() {
  return {
      {"CreateFileA", nothing,
       [](Scene& s) {
         s.handle = CreateFileA(s.file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
         return s.handle != INVALID_HANDLE_VALUE;
       }},
      {"CreateFileW", nothing,
       [](Scene& s) {
         s.handle = CreateFileW(s.wfile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
         return s.handle != INVALID_HANDLE_VALUE;
       }},
      {"ReadFile", open_for_read,
       [](Scene& s) {
         char buffer[8];
         DWORD got = 0;
         return ReadFile(s.handle, buffer, sizeof buffer, &got, nullptr) != FALSE;
       }},
      {"WriteFile", open_for_read,
       [](Scene& s) {
         DWORD put = 0;
         return WriteFile(s.handle, "x", 1, &put, nullptr) != FALSE;
       }},
      {"FlushFileBuffers", open_for_read, [](Scene& s) { return FlushFileBuffers(s.handle) != FALSE; }},
      {"SetFilePointer", open_for_read,
       [](Scene& s) { return SetFilePointer(s.handle, 1, nullptr, FILE_BEGIN) == 1; }},
      {"SetEndOfFile", open_for_read, [](Scene& s) { return SetEndOfFile(s.handle) != FALSE; }},
      {"GetFileSize", open_for_read,
       [](Scene& s) { return GetFileSize(s.handle, nullptr) == 5; }},
      {"CloseHandle", open_for_read,
       [](Scene& s) {
         HANDLE handle = s.handle;
         s.handle = INVALID_HANDLE_VALUE;
         return CloseHandle(handle) != FALSE;
       }},
      {"CopyFileA", nothing,
       [](Scene& s) { return CopyFileA(s.file.c_str(), s.other.c_str(), TRUE) != FALSE; }},
      {"CopyFileW", nothing,
       [](Scene& s) { return CopyFileW(s.wfile.c_str(), s.wother.c_str(), TRUE) != FALSE; }},
      {"MoveFileA", nothing,
       [](Scene& s) { return MoveFileA(s.file.c_str(), s.other.c_str()) != FALSE; }},
      {"MoveFileW", nothing,
       [](Scene& s) { return MoveFileW(s.wfile.c_str(), s.wother.c_str()) != FALSE; }},
      {"MoveFileExA", nothing,
       [](Scene& s) { return MoveFileExA(s.file.c_str(), s.other.c_str(), 0) != FALSE; }},
      {"MoveFileExW", nothing,
       [](Scene& s) { return MoveFileExW(s.wfile.c_str(), s.wother.c_str(), 0) != FALSE; }},
      {"DeleteFileA", nothing, [](Scene& s) { return DeleteFileA(s.file.c_str()) != FALSE; }},
      {"DeleteFileW", nothing, [](Scene& s) { return DeleteFileW(s.wfile.c_str()) != FALSE; }},
      {"GetFileAttributesA", nothing,
       [](Scene& s) { return GetFileAttributesA(s.file.c_str()) != INVALID_FILE_ATTRIBUTES; }},
      {"GetFileAttributesW", nothing,
       [](Scene& s) { return GetFileAttributesW(s.wfile.c_str()) != INVALID_FILE_ATTRIBUTES; }},
      {"GetFileAttributesExA", nothing,
       [](Scene& s) {
         WIN32_FILE_ATTRIBUTE_DATA data{};
         return GetFileAttributesExA(s.file.c_str(), GetFileExInfoStandard, &data) &&
                data.nFileSizeLow == 5 && (data.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE);
       }},
      {"FindFirstFileA", nothing,
       [](Scene& s) {
         WIN32_FIND_DATAA data;
         s.handle = FindFirstFileA(s.pattern.c_str(), &data);
         return s.handle != INVALID_HANDLE_VALUE;
       }},
      {"FindFirstFileW", nothing,
       [](Scene& s) {
         WIN32_FIND_DATAW data;
         s.handle = FindFirstFileW(s.wpattern.c_str(), &data);
         return s.handle != INVALID_HANDLE_VALUE;
       }},
      {"FindNextFileA",
       [](Scene& s) {
         WIN32_FIND_DATAA data;
         s.handle = FindFirstFileA(s.pattern.c_str(), &data);
       },
       [](Scene& s) {
         WIN32_FIND_DATAA data;
         return FindNextFileA(s.handle, &data) != FALSE;
       }},
      {"FindNextFileW",
       [](Scene& s) {
         WIN32_FIND_DATAW data;
         s.handle = FindFirstFileW(s.wpattern.c_str(), &data);
       },
       [](Scene& s) {
         WIN32_FIND_DATAW data;
         return FindNextFileW(s.handle, &data) != FALSE;
       }},
      {"FindClose",
       [](Scene& s) {
         WIN32_FIND_DATAA data;
         s.handle = FindFirstFileA(s.pattern.c_str(), &data);
       },
       [](Scene& s) {
         HANDLE search = s.handle;
         s.handle = INVALID_HANDLE_VALUE;
         return FindClose(search) != FALSE;
       }},
      {"fopen", nothing,
       [](Scene& s) {
         FILE* stream = w32::fopen(s.file.c_str(), "r");
         return stream != nullptr && std::fclose(stream) == 0;
       }},
      {"_wfopen", nothing,
       [](Scene& s) {
         FILE* stream = _wfopen(s.wfile.c_str(), u"r");
         return stream != nullptr && std::fclose(stream) == 0;
       }},
      {"_open", nothing,
       [](Scene& s) {
         s.descriptor = _open(s.file.c_str(), _O_RDONLY);
         return s.descriptor >= 0;
       }},
      {"_wopen", nothing,
       [](Scene& s) {
         s.descriptor = _wopen(s.wfile.c_str(), _O_RDONLY);
         return s.descriptor >= 0;
       }},
      {"_read", open_descriptor,
       [](Scene& s) {
         char buffer[8];
         return _read(s.descriptor, buffer, sizeof buffer) == 5;
       }},
      {"_write", open_descriptor, [](Scene& s) { return _write(s.descriptor, "ab", 2) == 2; }},
      {"_lseek", open_descriptor, [](Scene& s) { return _lseek(s.descriptor, 2, SEEK_SET) == 2; }},
      {"_chsize", open_descriptor, [](Scene& s) { return _chsize(s.descriptor, 2) == 0; }},
      {"_close", open_descriptor,
       [](Scene& s) {
         int descriptor = s.descriptor;
         s.descriptor = -1;
         return _close(descriptor) == 0;
       }},
      {"_access", nothing, [](Scene& s) { return _access(s.file.c_str(), 6) == 0; }},
      {"_waccess", nothing, [](Scene& s) { return _waccess(s.wfile.c_str(), 6) == 0; }},
      {"rename", nothing,
       [](Scene& s) { return w32::rename(s.file.c_str(), s.other.c_str()) == 0; }},
      {"remove", nothing, [](Scene& s) { return w32::remove(s.file.c_str()) == 0; }},
      {"_unlink", nothing, [](Scene& s) { return _unlink(s.file.c_str()) == 0; }},
      {"_wunlink", nothing, [](Scene& s) { return _wunlink(s.wfile.c_str()) == 0; }},
      {"_stat", nothing,
       [](Scene& s) {
         _stat record;
         return w32::stat(s.file.c_str(), &record) == 0 && record.st_size == 5;
       }},
      {"_wstat", nothing,
       [](Scene& s) {
         _stat record;
         return _wstat(s.wfile.c_str(), &record) == 0 && record.st_size == 5;
       }},
      {"_chmod", nothing, [](Scene& s) { return _chmod(s.file.c_str(), _S_IREAD) == 0; }},
      {"_wchmod", nothing, [](Scene& s) { return _wchmod(s.wfile.c_str(), _S_IREAD) == 0; }},
      // The registry and the drives.
      {"RegCreateKeyExA", nothing,
       [](Scene& s) {
         return RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\T", 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &s.key, nullptr) == 0;
       }},
      {"RegOpenKeyExA",
       [](Scene& s) { RegCreateKeyA(HKEY_CURRENT_USER, "Software\\T", &s.key); },
       [](Scene&) {
         HKEY key = nullptr;
         bool opened = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\T", 0, KEY_READ, &key) == 0;
         if (opened) RegCloseKey(key);
         return opened;
       }},
      {"RegSetValueExA",
       [](Scene& s) { RegCreateKeyA(HKEY_CURRENT_USER, "Software\\T", &s.key); },
       [](Scene& s) {
         DWORD value = 7;
         return RegSetValueExA(s.key, "v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof value) == 0;
       }},
      {"RegQueryValueExA",
       [](Scene& s) {
         RegCreateKeyA(HKEY_CURRENT_USER, "Software\\T", &s.key);
         DWORD value = 7;
         RegSetValueExA(s.key, "v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value);
       },
       [](Scene& s) {
         DWORD value = 0, size = sizeof value;
         return RegQueryValueExA(s.key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                                 &size) == 0 &&
                value == 7;
       }},
      {"RegCloseKey",
       [](Scene& s) { RegCreateKeyA(HKEY_CURRENT_USER, "Software\\T", &s.key); },
       [](Scene& s) {
         HKEY key = s.key;
         s.key = nullptr;
         return RegCloseKey(key) == 0;
       }},
      {"GetLogicalDrives", nothing, [](Scene&) { return GetLogicalDrives() != 0; }},
      {"GetDriveTypeA", nothing, [](Scene&) { return GetDriveTypeA("C:\\") == DRIVE_FIXED; }},
      {"GetDriveTypeW", nothing, [](Scene&) { return GetDriveTypeW(u"C:\\") == DRIVE_FIXED; }},
      {"GetVolumeInformationA", nothing,
       [](Scene&) {
         char system[16];
         return GetVolumeInformationA("C:\\", nullptr, 0, nullptr, nullptr, nullptr, system,
                                      sizeof system) != FALSE;
       }},
      {"GetDiskFreeSpaceA", nothing,
       [](Scene&) {
         DWORD a, b, c, d;
         return GetDiskFreeSpaceA("C:\\", &a, &b, &c, &d) != FALSE;
       }},
  };
}

class FaultReach : public yrltest::W32Test {
 protected:
  // A fresh scene: the file, the directory, no handles.
  Scene scene() {
    dir_ = std::make_unique<yrltest::ScratchDir>();
    dir_->make_file("f.txt", "hello");
    dir_->make_dir("d");
    dir_->make_file("d/a.txt");
    dir_->make_file("d/b.txt");
    Scene s;
    s.dir = dir_->path();
    s.file = windows(dir_->at("f.txt"));
    s.wfile = wide(s.file);
    s.other = windows(dir_->at("g.txt"));
    s.wother = wide(s.other);
    s.pattern = windows(dir_->at("d")) + "\\*";
    s.wpattern = wide(s.pattern);
    return s;
  }
  void release(Scene& s) {
    if (s.handle != INVALID_HANDLE_VALUE && !CloseHandle(s.handle)) FindClose(s.handle);
    if (s.descriptor >= 0) _close(s.descriptor);
    if (s.key) RegCloseKey(s.key);
    s = Scene{};
  }
  std::unique_ptr<yrltest::ScratchDir> dir_;
};

TEST_F(FaultReach, EverySweptCallIsCountedAndFailsWhenArmed) {
  std::set<std::string> seen;
  for (const Row& row : rows()) {
    SCOPED_TRACE(row.name);
    // Once as it is: counted exactly once, and it works.
    Scene s = scene();
    row.prepare(s);
    fault_testing_reset();
    EXPECT_TRUE(row.call(s));
    EXPECT_EQ(fault_testing_calls(row.name), 1);
    release(s);
    // Armed: it fails with the armed code, and the fault is spent.
    s = scene();
    row.prepare(s);
    fault_testing_reset();
    ASSERT_TRUE(fault_testing_fail_on_call(row.name, 1, ERROR_ACCESS_DENIED));
    SetLastError(0);
    errno = 0;
    EXPECT_FALSE(row.call(s));
    EXPECT_TRUE(GetLastError() == ERROR_ACCESS_DENIED || errno == EACCES ||
                std::string(row.name).rfind("Reg", 0) == 0 ||
                std::string(row.name).rfind("GetDriveType", 0) == 0)
        << GetLastError() << " " << errno;
    EXPECT_EQ(fault_testing_armed(), 0);
    release(s);
    if (fault_testing_calls(row.name) > 0) seen.insert(row.name);
  }
  // A listed name that no row reaches is a sweep row that never runs.
  for (const char* name : yrltest::SWEPT_CALLS)
    EXPECT_TRUE(seen.count(name)) << name << " is listed for the sweeps but never counted";
}

// An armed close closes all the same: the handle, descriptor or key is gone after it.
TEST_F(FaultReach, ClosesArmedToFailStillClose) {
  Scene s = scene();
  open_for_read(s);
  ASSERT_NE(s.handle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(fault_testing_fail_on_call("CloseHandle", 1, ERROR_DISK_FULL));
  EXPECT_FALSE(CloseHandle(s.handle));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_FALSE(CloseHandle(s.handle));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  int descriptor = _open(s.file.c_str(), _O_RDONLY);
  ASSERT_GE(descriptor, 0);
  ASSERT_TRUE(fault_testing_fail_on_call("_close", 1, ERROR_DISK_FULL));
  errno = 0;
  EXPECT_EQ(_close(descriptor), -1);
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(fcntl(descriptor, F_GETFD), -1);

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\T", &key), 0);
  ASSERT_TRUE(fault_testing_fail_on_call("RegCloseKey", 1, ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegCloseKey(key), static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegCloseKey(key), static_cast<LONG>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(registry_testing_open_handles(), 0);
  s = Scene{};
}

// A descriptor write cut short keeps the bytes that fitted and fails; the registry's
// armed calls leave the last error alone.
TEST_F(FaultReach, ShortWritesAndCodeReturningCalls) {
  Scene s = scene();
  const std::string name_of_file = s.file;
  open_descriptor(s);
  ASSERT_GE(s.descriptor, 0);
  EXPECT_TRUE(fault_testing_is_writing_call("_write"));
  EXPECT_TRUE(fault_testing_is_writing_call("WriteFile"));
  EXPECT_FALSE(fault_testing_is_writing_call("_read"));
  ASSERT_TRUE(fault_testing_short_write("_write", 1, 2));
  errno = 0;
  EXPECT_EQ(_write(s.descriptor, "WXYZ", 4), -1);
  EXPECT_EQ(errno, ENOSPC);
  release(s);
  std::FILE* file = std::fopen(dir_->at("f.txt").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  char text[8] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof text, file), 5u);
  std::fclose(file);
  EXPECT_STREQ(text, "WXllo");

  SetLastError(1234);
  ASSERT_TRUE(fault_testing_fail_on_call("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED));
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key),
            static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetLastError(), 1234u);
  EXPECT_EQ(w32_fault_code("nothing armed"), ERROR_SUCCESS);

  // The counted calls come back in the order first made.
  fault_testing_reset();
  GetFileAttributesA(name_of_file.c_str());
  GetLogicalDrives();
  GetFileAttributesA(name_of_file.c_str());
  const char* name = nullptr;
  long calls = 0;
  ASSERT_TRUE(fault_testing_counted(0, &name, &calls));
  EXPECT_STREQ(name, "GetFileAttributesA");
  EXPECT_EQ(calls, 2);
  ASSERT_TRUE(fault_testing_counted(1, &name, &calls));
  EXPECT_STREQ(name, "GetLogicalDrives");
  EXPECT_FALSE(fault_testing_counted(2, &name, &calls));
  EXPECT_FALSE(fault_testing_counted(-1, &name, &calls));
}

// A stream whose write failed hands the C library no negative count: the library would
// take it for bytes written and put bytes from beyond the caller's data into the file.
// Whatever the stream writes after a failure lands in order behind what went before.
TEST_F(FaultReach, AStreamWritesNothingItWasNotGiven) {
  Scene s = scene();
  for (bool cut : {false, true}) {
    SCOPED_TRACE(cut ? "cut short" : "refused");
    FILE* stream = w32::fopen(s.file.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(cut ? fault_testing_short_write("WriteFile", 1, 10)
                    : fault_testing_fail_on_call("WriteFile", 1, ERROR_DISK_FULL));
    const std::string a(9000, 'a'), b(9000, 'b');
    EXPECT_NE(std::fwrite(a.data(), a.size(), 1, stream), 1u);
    EXPECT_NE(std::ferror(stream), 0);
    std::clearerr(stream);
    EXPECT_EQ(std::fwrite(b.data(), b.size(), 1, stream), 1u);
    EXPECT_EQ(std::fclose(stream), 0);
    std::FILE* file = std::fopen(dir_->at("f.txt").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::string text(40000, '?');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_EQ(text, (cut ? std::string(10, 'a') : std::string()) + b);
    fault_testing_reset();
  }
}

}  // namespace
