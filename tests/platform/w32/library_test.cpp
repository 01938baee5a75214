#include "platform/w32/library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/w32/builtin_module.h"
#include "platform/w32/error.h"
#include "platform/w32/library_testing.h"
#include "platform/w32/path.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using namespace w32;

constexpr const char kLibm[] = "libm.so.6";

double call_cos(FARPROC function, double x) {
  return reinterpret_cast<double (*)(double)>(function)(x);
}

// The file the loader takes for libm, asked of the loader itself.
std::string libm_file() {
  void* handle = dlopen(kLibm, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return "";
  link_map* map = nullptr;
  std::string file;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) file = map->l_name;
  dlclose(handle);
  return file;
}

using LibraryTest = yrltest::W32Test;

TEST_F(LibraryTest, LoadsABareNameLooksUpAndReleases) {
  HMODULE libm = LoadLibraryA(kLibm);
  ASSERT_NE(libm, nullptr) << w32_last_loader_error();
  EXPECT_EQ(library_testing_loaded_count(), 1);

  FARPROC cosine = GetProcAddress(libm, "cos");
  ASSERT_NE(cosine, nullptr);
  EXPECT_EQ(call_cos(cosine, 0.5), std::cos(0.5));
  EXPECT_EQ(reinterpret_cast<void*>(cosine), dlsym(RTLD_DEFAULT, "cos"));

  SetLastError(0);
  EXPECT_EQ(GetProcAddress(libm, "no_such_function_here"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_NE(std::string(w32_last_loader_error()).find("no_such_function_here"), std::string::npos);

  SetLastError(0);
  EXPECT_EQ(GetProcAddress(libm, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // A "name" below 0x10000 is an ordinal on Win32; there are none here.
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(libm, reinterpret_cast<const char*>(std::uintptr_t{7})), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  EXPECT_TRUE(FreeLibrary(libm));
  EXPECT_EQ(library_testing_loaded_count(), 0);
}

TEST_F(LibraryTest, HandlesNotOutAreRefusedBeforeTheLoaderSeesThem) {
  HMODULE libm = LoadLibraryA(kLibm);
  ASSERT_NE(libm, nullptr);
  ASSERT_TRUE(FreeLibrary(libm));

  HMODULE bogus = reinterpret_cast<HMODULE>(std::uintptr_t{0x1234});
  for (HMODULE module : {HMODULE{nullptr}, libm, bogus}) {
    SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(module));
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "cos"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
}

TEST_F(LibraryTest, FailedLoads) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  yrltest::ScratchDir dir;
  dir.make_file("not-a-library.so", "plain text");
  ASSERT_TRUE(w32_set_drive('D', dir.path().c_str()));
  for (const char* path : {"", "libyrl-no-such-library.so", "D:\\missing.so", "D:\\Nowhere\\x.so",
                           "Q:\\x.so", "D:\\not-a-library.so", "D:\\bad*name.so"}) {
    SCOPED_TRACE(path);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(path), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_STRNE(w32_last_loader_error(), "");
  }
  EXPECT_EQ(library_testing_loaded_count(), 0);
}

TEST_F(LibraryTest, APathGoesThroughThePathModelAndLoadsCountLikeTheLoader) {
  std::string file = libm_file();
  ASSERT_FALSE(file.empty());
  yrltest::ScratchDir dir;
  ASSERT_EQ(symlink(file.c_str(), dir.at("MathLib.so").c_str()), 0);
  ASSERT_TRUE(w32_set_drive('D', dir.path().c_str()));

  HMODULE bare = LoadLibraryA(kLibm);
  HMODULE by_path = LoadLibraryA("D:\\mathlib.SO");
  ASSERT_NE(bare, nullptr);
  ASSERT_NE(by_path, nullptr) << w32_last_loader_error();
  // The same file: the loader hands out the same handle, loaded twice.
  EXPECT_EQ(by_path, bare);
  EXPECT_EQ(library_testing_loaded_count(), 1);
  EXPECT_NE(GetProcAddress(by_path, "sin"), nullptr);

  EXPECT_TRUE(FreeLibrary(bare));
  EXPECT_NE(GetProcAddress(by_path, "sin"), nullptr);
  EXPECT_TRUE(FreeLibrary(by_path));
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(by_path));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(LibraryTest, ResetReleasesWhatTestsLeftLoaded) {
  ASSERT_NE(LoadLibraryA(kLibm), nullptr);
  ASSERT_NE(LoadLibraryA(kLibm), nullptr);
  EXPECT_EQ(library_testing_loaded_count(), 1);
  library_testing_reset();
  EXPECT_EQ(library_testing_loaded_count(), 0);
  EXPECT_STREQ(w32_last_loader_error(), "");
}

TEST_F(LibraryTest, ModuleHandlesOnlyForLoadedBuiltInLibraries) {
  for (const char* name : {"psapi.dll", "PSAPI", "kernel32.dll", "other.dll", "C:\\psapi.dll"}) {
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << name;
  }
  HMODULE loaded = LoadLibraryA("psapi.dll");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(GetModuleHandleA("PSAPI"), loaded);
  EXPECT_EQ(GetModuleHandleA("kernel32.dll"), nullptr);
  EXPECT_TRUE(FreeLibrary(loaded));
  EXPECT_EQ(GetModuleHandleA("psapi.dll"), nullptr);  // not counted as a load
  EXPECT_EQ(GetModuleHandleA(nullptr), nullptr);
}

}  // namespace
