// Loading shared libraries, looking up functions and testing program file headers.
#include "runtime/system/dll.h"

#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/w32/library.h"
#include "platform/w32/library_testing.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::ConsoleCapture;

constexpr char kMissing[] = "/nonexistent/libyrl_missing.so";
constexpr char kVerboseEnd[] = " (ORDER_DEBUG)\n";

class Dll : public yrltest::RuntimeTest {
 protected:
  // Reports of dbg_err_syserr are printed only in verbose mode outside run mode 0.
  static void show_reports() {
    vek::set_verbose_mode(1);
    vek::set_run_mode(1);
  }
  // Something other than null, to see that a failure clears it.
  static w32::HMODULE stale_handle() { return reinterpret_cast<w32::HMODULE>(&stale_target); }
  static w32::FARPROC stale_function() { return reinterpret_cast<w32::FARPROC>(&stale_target); }
  static inline int stale_target;
};

TEST_F(Dll, FailedLoadUnderTheDebugVariablePrintsItsLineWhateverTheModes) {
  struct Case {
    const char* variable_value;
    const char* path;
    std::string line;
  };
  const Case cases[] = {
      {"1", kMissing, std::string("Mavrel: OS error 126 while loading '") + kMissing + "'\n\n"},
      {"", kMissing, std::string("Mavrel: OS error 126 while loading '") + kMissing + "'\n\n"},
      {"1", "libyrl_missing_bare.so", "Mavrel: OS error 126 while loading "
                                      "'libyrl_missing_bare.so'\n\n"},
      {"1", nullptr, "Mavrel: OS error 87 while loading ''\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path ? c.path : "<null>");
    yrltest::ScopedEnv env("VYN_TK_DBG_DLL_LOAD", c.variable_value);
    ConsoleCapture capture;
    w32::HMODULE handle = stale_handle();
    EXPECT_EQ(vek::dll_load(c.path, &handle), 0);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(capture.out(), c.line);
  }
}

TEST_F(Dll, FailedLoadWithoutTheDebugVariableIsAVerboseReport) {
  yrltest::ScopedEnv env("VYN_TK_DBG_DLL_LOAD", nullptr);
  ConsoleCapture capture;
  w32::HMODULE handle = stale_handle();
  EXPECT_EQ(vek::dll_load(kMissing, &handle, 1), 0);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(capture.out(), "");  // silent as shipped

  show_reports();
  EXPECT_EQ(vek::dll_load(kMissing, &handle), 0);
  std::string loader_text = w32::w32_last_loader_error();
  EXPECT_NE(loader_text, "");
  EXPECT_EQ(capture.out(), std::string("dll_load:  OS error 126 while loading '") + kMissing +
                               "': " + loader_text + kVerboseEnd);

  EXPECT_EQ(vek::dll_load(kMissing, nullptr), 0);  // no place for the handle
}

double call_cos(w32::FARPROC function, double x) {
  // Through the generic function pointer type, which the compiler accepts for any cast.
  auto generic = reinterpret_cast<void (*)()>(function);
  return reinterpret_cast<double (*)(double)>(generic)(x);
}

TEST_F(Dll, LoadsLooksUpAndReleasesARealLibrary) {
  w32::HMODULE libm = nullptr;
  ASSERT_EQ(vek::dll_load("libm.so.6", &libm), 1);
  ASSERT_NE(libm, nullptr);
  w32::FARPROC cosine = nullptr;
  ASSERT_EQ(vek::dll_get_func_ptr(libm, u"libm.so.6", "cos", &cosine), 1);
  ASSERT_NE(cosine, nullptr);
  for (double x : {0.0, 0.5, -1.25, 3.0}) EXPECT_EQ(call_cos(cosine, x), std::cos(x)) << x;
  w32::FARPROC quiet = nullptr;
  EXPECT_EQ(vek::dll_get_func_ptr__no_msg(libm, nullptr, "cos", &quiet), 1);
  EXPECT_EQ(quiet, cosine);
  EXPECT_EQ(vek::dll_export_function(), 1);

  ConsoleCapture capture;
  show_reports();
  EXPECT_EQ(vek::dll_unload(libm, u"libm.so.6"), 1);
  EXPECT_EQ(capture.out(), "");
  // Released as often as loaded: the handle is refused from now on.
  EXPECT_EQ(vek::dll_unload(libm, u"libm.so.6"), 0);
  EXPECT_EQ(vek::dll_unload(nullptr, nullptr), 0);
  EXPECT_EQ(capture.out(),
            std::string("dll_unload:  OS error 6 while unloading 'libm.so.6'") + kVerboseEnd +
                "dll_unload:  OS error 6 while unloading ''" + kVerboseEnd);
}

TEST_F(Dll, MissedLookupsLeaveANullPointerAndReportOnlyWhenAsked) {
  w32::HMODULE libm = nullptr;
  ASSERT_EQ(vek::dll_load("libm.so.6", &libm), 1);
  show_reports();
  struct Case {
    bool null_handle;
    const char* name;
    const VynWchar* library;
    std::string report;  // of dll_get_func_ptr; the quiet form prints nothing
  };
  const Case cases[] = {
      {false, "yrl_no_such_function", u"libm.so.6",
       "dll_getfunc:  OS error 127 while getting ptr to 'yrl_no_such_function' in "
       "'libm.so.6'"},
      {false, "yrl_no_such_function", nullptr,
       "dll_getfunc:  OS error 127 while getting ptr to 'yrl_no_such_function' in ''"},
      {true, "cos", u"libm.so.6",
       "dll_getfunc:  OS error 6 while getting ptr to 'cos' in 'libm.so.6'"},
      {false, nullptr, u"libm.so.6",
       "dll_getfunc:  OS error 87 while getting ptr to '' in 'libm.so.6'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    w32::HMODULE handle = c.null_handle ? nullptr : libm;
    ConsoleCapture capture;
    w32::FARPROC function = stale_function();
    EXPECT_EQ(vek::dll_get_func_ptr__no_msg(handle, c.library, c.name, &function), 0);
    EXPECT_EQ(function, nullptr);
    EXPECT_EQ(capture.out(), "");

    function = stale_function();
    EXPECT_EQ(vek::dll_get_func_ptr(handle, c.library, c.name, &function), 0);
    EXPECT_EQ(function, nullptr);
    EXPECT_EQ(capture.out(), c.report + kVerboseEnd);
  }
  EXPECT_EQ(vek::dll_get_func_ptr(libm, u"libm.so.6", "cos", nullptr), 0);
  EXPECT_EQ(vek::dll_unload(libm, u"libm.so.6"), 1);
}

// The first bytes of a file, at most limit.
std::vector<unsigned char> file_bytes(const std::string& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes(limit);
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  return std::vector<unsigned char>(bytes.begin(), bytes.begin() + in.gcount());
}

// What the system's own ELF definitions say of a file: {is a shared object or a
// position-independent program, is a program}.
std::pair<int, int> elf_reference(const std::string& path) {
  std::vector<unsigned char> bytes = file_bytes(path, sizeof(Elf64_Ehdr));
  if (bytes.size() < sizeof(Elf64_Ehdr) || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0 ||
      bytes[EI_CLASS] != ELFCLASS64 || bytes[EI_DATA] != ELFDATA2LSB) {
    ADD_FAILURE() << path << " is no 64-bit little-endian ELF file";
    return {-1, -1};
  }
  Elf64_Ehdr header;
  std::memcpy(&header, bytes.data(), sizeof header);
  return {header.e_type == ET_DYN, header.e_type == ET_DYN || header.e_type == ET_EXEC};
}

// The file that holds libm's cos, as the loader says.
std::string libm_path() {
  w32::HMODULE libm = nullptr;
  w32::FARPROC cosine = nullptr;
  if (!vek::dll_load("libm.so.6", &libm) ||
      !vek::dll_get_func_ptr(libm, u"libm.so.6", "cos", &cosine)) {
    return "";
  }
  Dl_info info;
  std::string path = dladdr(reinterpret_cast<void*>(cosine), &info) ? info.dli_fname : "";
  vek::dll_unload(libm, u"libm.so.6");
  return path;
}

TEST_F(Dll, HeaderTestsOfRealProgramFiles) {
  const std::string self = "/proc/self/exe";
  const std::string library = libm_path();
  ASSERT_NE(library, "");
  for (const std::string& path : {self, library}) {
    SCOPED_TRACE(path);
    std::pair<int, int> expected = elf_reference(path);
    EXPECT_EQ(vek::vyndevtest_is_dll(path.c_str()), expected.first);
    EXPECT_EQ(vek::vyndevtest_is_exec(path.c_str()), expected.second);

    const unsigned char* header = nullptr;
    int count = 0;
    ASSERT_EQ(vek::vyndevtest_get_header(path.c_str(), &header, &count), 1);
    ASSERT_EQ(count, vek::VYNDEVTEST_HEADER_SIZE);
    EXPECT_EQ(std::vector<unsigned char>(header, header + count),
              file_bytes(path, vek::VYNDEVTEST_HEADER_SIZE));
  }
  EXPECT_EQ(vek::vyndevtest_is_dll(library.c_str()), 1);
}

// An ELF identification and type field: class, byte order and the two type bytes as
// they stand in the file, padded with zeros to size bytes.
std::string elf_file(int elf_class, int data, int type0, int type1, std::size_t size) {
  std::string bytes(size, '\0');
  const char start[] = {0x7f, 'E', 'L', 'F', static_cast<char>(elf_class),
                        static_cast<char>(data), 1};
  bytes.replace(0, std::min(size, sizeof start), start, std::min(size, sizeof start));
  if (size > 17) {
    bytes[16] = static_cast<char>(type0);
    bytes[17] = static_cast<char>(type1);
  }
  return bytes;
}

TEST_F(Dll, HeaderTestsReadTheTypeInTheFilesByteOrder) {
  yrltest::TempDir dir;
  struct Case {
    const char* what;
    std::string content;
    int is_dll;
    int is_exec;
  };
  const Case cases[] = {
      {"64-bit LE shared", elf_file(2, 1, 3, 0, 64), 1, 1},
      {"64-bit LE program", elf_file(2, 1, 2, 0, 64), 0, 1},
      {"64-bit LE relocatable", elf_file(2, 1, 1, 0, 64), 0, 0},
      {"64-bit LE core", elf_file(2, 1, 4, 0, 100), 0, 0},
      {"64-bit BE shared", elf_file(2, 2, 0, 3, 64), 1, 1},
      {"64-bit BE program", elf_file(2, 2, 0, 2, 64), 0, 1},
      {"64-bit BE, LE bytes", elf_file(2, 2, 3, 0, 64), 0, 0},
      {"64-bit LE, BE bytes", elf_file(2, 1, 0, 3, 64), 0, 0},
      {"32-bit LE program", elf_file(1, 1, 2, 0, 52), 0, 1},
      {"32-bit BE shared", elf_file(1, 2, 0, 3, 52), 1, 1},
      {"32-bit header cut", elf_file(1, 1, 3, 0, 51), 0, 0},
      {"64-bit header cut", elf_file(2, 1, 3, 0, 63), 0, 0},
      {"magic only", elf_file(2, 1, 3, 0, 4), 0, 0},
      {"no class", elf_file(0, 1, 3, 0, 64), 0, 0},
      {"unknown class", elf_file(3, 1, 3, 0, 64), 0, 0},
      {"no byte order", elf_file(2, 0, 3, 0, 64), 0, 0},
      {"bad magic", "\x7f" "ELG" + elf_file(2, 1, 3, 0, 64).substr(4), 0, 0},
      {"text", "#!/bin/sh\necho this is no program file at all, only text\n", 0, 0},
      {"three bytes", "\x7f" "EL", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = dir.file("probe.bin");
    yrltest::write_file(path, c.content);
    EXPECT_EQ(vek::vyndevtest_is_dll(path.c_str()), c.is_dll);
    EXPECT_EQ(vek::vyndevtest_is_exec(path.c_str()), c.is_exec);
  }
}

TEST_F(Dll, HeaderOfShortEmptyAndMissingFiles) {
  yrltest::TempDir dir;
  const std::string short_file = dir.file("three.bin");
  yrltest::write_file(short_file, "abc");
  const unsigned char* header = nullptr;
  int count = 0;
  ASSERT_EQ(vek::vyndevtest_get_header(short_file.c_str(), &header, &count), 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(header), count), "abc");

  const std::string empty_file = dir.file("empty.bin");
  yrltest::write_file(empty_file, "");
  const std::string missing = dir.file("missing.bin");
  for (const std::string& path : {empty_file, missing}) {
    SCOPED_TRACE(path);
    header = reinterpret_cast<const unsigned char*>("stale");
    count = 7;
    EXPECT_EQ(vek::vyndevtest_get_header(path.c_str(), &header, &count), 0);
    EXPECT_EQ(header, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(vek::vyndevtest_is_dll(path.c_str()), 0);
    EXPECT_EQ(vek::vyndevtest_is_exec(path.c_str()), 0);
  }
  EXPECT_EQ(vek::vyndevtest_get_header(nullptr, &header, &count), 0);
  EXPECT_EQ(vek::vyndevtest_is_exec(nullptr), 0);
  EXPECT_EQ(vek::vyndevtest_get_header(short_file.c_str(), nullptr, nullptr), 1);
}

int open_descriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

// A handle left behind holds its memory and, when a step failed after the open, its
// stream; the sanitizer build also reports any record that is never freed.
TEST_F(Dll, HeaderReadReleasesItsFileHandleOnEveryPath) {
  yrltest::TempDir dir;
  const std::string short_file = dir.file("three.bin");
  yrltest::write_file(short_file, "abc");
  const std::string empty_file = dir.file("empty.bin");  // fails after the open
  yrltest::write_file(empty_file, "");
  const std::string missing = dir.file("missing.bin");
  for (const std::string& path : {short_file, empty_file, missing}) {
    SCOPED_TRACE(path);
    vek::vyndevtest_get_header(path.c_str(), nullptr, nullptr);  // pools made on first use
    int blocks = yrltest::live_blocks();
    int descriptors = open_descriptors();
    // More handles than one pool clump holds: a leak would need new memory.
    for (int i = 0; i < 400; ++i) vek::vyndevtest_get_header(path.c_str(), nullptr, nullptr);
    EXPECT_EQ(yrltest::live_blocks(), blocks);
    EXPECT_EQ(open_descriptors(), descriptors);
  }
}

}  // namespace
