#include "platform/w32/toolhelp.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/builtin_module_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/library.h"
#include "platform/w32/process.h"
#include "platform/w32/psapi.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

using ToolhelpTest = yrltest::W32ProcessTest;

// The name this test program runs under, as the process list gives it.
std::string own_name() {
  char path[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", path, sizeof path - 1), 0);
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

typedef HANDLE (*SnapshotFn)(DWORD, DWORD);
typedef BOOL (*WalkFn)(HANDLE, PROCESSENTRY32*);
typedef BOOL (*EnumFn)(DWORD*, DWORD, DWORD*);
typedef DWORD (*BaseNameFn)(HANDLE, HMODULE, char*, DWORD);

TEST_F(ToolhelpTest, SnapshotListsThisProcessByIdAndName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  PROCESSENTRY32 entry;
  std::memset(&entry, 0, sizeof entry);
  entry.dwSize = sizeof entry;
  ASSERT_TRUE(Process32First(snapshot, &entry));
  EXPECT_EQ(entry.th32ProcessID, 0u);
  EXPECT_STREQ(entry.szExeFile, "[System Process]");
  bool found = false;
  DWORD previous = 0;
  int count = 1;
  while (Process32Next(snapshot, &entry)) {
    EXPECT_GT(entry.th32ProcessID, previous) << "by rising id";
    previous = entry.th32ProcessID;
    ++count;
    if (entry.th32ProcessID == static_cast<DWORD>(getpid())) {
      found = true;
      EXPECT_EQ(entry.szExeFile, own_name());
      EXPECT_EQ(entry.th32ParentProcessID, static_cast<DWORD>(getppid()));
      EXPECT_GE(entry.cntThreads, 1u);
    }
  }
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(found);
  EXPECT_GT(count, 2);
  // Walking again starts over.
  ASSERT_TRUE(Process32First(snapshot, &entry));
  EXPECT_EQ(entry.th32ProcessID, 0u);
  // A record that is too small is refused.
  entry.dwSize = 296;
  EXPECT_FALSE(Process32Next(snapshot, &entry));
  EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
  EXPECT_TRUE(CloseHandle(snapshot));
  entry.dwSize = sizeof entry;
  EXPECT_FALSE(Process32First(snapshot, &entry));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ToolhelpTest, EnumProcessesListsThisProcessAndFitsTheBuffer) {
  std::vector<DWORD> ids(65536);
  DWORD bytes = 0;
  ASSERT_TRUE(EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes));
  ASSERT_EQ(bytes % sizeof(DWORD), 0u);
  ids.resize(bytes / sizeof(DWORD));
  ASSERT_FALSE(ids.empty());
  EXPECT_EQ(ids[0], 0u);
  bool found = false;
  for (DWORD id : ids) found = found || id == static_cast<DWORD>(getpid());
  EXPECT_TRUE(found);

  DWORD two[2] = {99, 99};
  ASSERT_TRUE(EnumProcesses(two, 2 * sizeof(DWORD) + 3, &bytes));
  EXPECT_EQ(bytes, 2 * sizeof(DWORD));
  EXPECT_EQ(two[0], 0u);
  EXPECT_FALSE(EnumProcesses(nullptr, 0, &bytes));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// The launcher's way: both libraries by name, the functions by name.
TEST_F(ToolhelpTest, LibrariesByNameFindTheFunctionsUnlessToolhelpIsAbsent) {
  HMODULE kernel = LoadLibraryA("KERNEL32.DLL");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(LoadLibraryA("kernel32"), kernel);
  auto snapshot = reinterpret_cast<SnapshotFn>(GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
  auto first = reinterpret_cast<WalkFn>(GetProcAddress(kernel, "Process32First"));
  auto next = reinterpret_cast<WalkFn>(GetProcAddress(kernel, "Process32Next"));
  ASSERT_TRUE(snapshot != nullptr && first != nullptr && next != nullptr);
  EXPECT_EQ(GetProcAddress(kernel, "NoSuchFunction"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  char id[32];
  std::snprintf(id, sizeof id, "%d", static_cast<int>(getpid()));
  HANDLE list = snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(list, INVALID_HANDLE_VALUE);
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = first(list, &entry); more && !found; more = next(list, &entry)) {
    char text[32];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(entry.th32ProcessID));
    found = std::strcmp(text, id) == 0;
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(CloseHandle(list));

  // Made absent, by a test or by the variable: the tool-help names are not there.
  builtin_module_testing_set_toolhelp_absent(true);
  EXPECT_EQ(GetProcAddress(kernel, "CreateToolhelp32Snapshot"), nullptr);
  builtin_module_testing_reset();
  EXPECT_TRUE(LoadLibraryA("KERNEL32.DLL") != nullptr && LoadLibraryA("kernel32") != nullptr);
  setenv("YRL_W32_NO_TOOLHELP", "1", 1);
  EXPECT_EQ(GetProcAddress(kernel, "Process32First"), nullptr);
  setenv("YRL_W32_NO_TOOLHELP", "0", 1);
  EXPECT_NE(GetProcAddress(kernel, "Process32First"), nullptr);
  EXPECT_TRUE(FreeLibrary(kernel));
  EXPECT_TRUE(FreeLibrary(kernel));
  EXPECT_FALSE(FreeLibrary(kernel)) << "released as often as loaded";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetProcAddress(kernel, "Process32First"), nullptr);

  HMODULE psapi = LoadLibraryA("psapi.dll");
  ASSERT_NE(psapi, nullptr);
  auto enumerate = reinterpret_cast<EnumFn>(GetProcAddress(psapi, "EnumProcesses"));
  auto base_name = reinterpret_cast<BaseNameFn>(GetProcAddress(psapi, "GetModuleBaseNameA"));
  ASSERT_TRUE(enumerate != nullptr && base_name != nullptr);
  std::vector<DWORD> ids(65536);
  DWORD bytes = 0;
  ASSERT_TRUE(enumerate(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes));
  found = false;
  for (DWORD i = 0; i < bytes / sizeof(DWORD) && !found; ++i)
    found = ids[i] == static_cast<DWORD>(std::atoi(id));
  EXPECT_TRUE(found);
  HANDLE self =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
  ASSERT_NE(self, nullptr);
  char name[MAX_PATH] = {};
  EXPECT_EQ(base_name(self, nullptr, name, sizeof name), own_name().size());
  EXPECT_EQ(name, own_name());
  char cut[4] = {};
  EXPECT_EQ(base_name(self, nullptr, cut, sizeof cut), 3u);
  EXPECT_EQ(std::string(cut), own_name().substr(0, 3));
  EXPECT_TRUE(CloseHandle(self));
  EXPECT_TRUE(FreeLibrary(psapi));

  // A name with a directory is never a built-in library.
  EXPECT_EQ(LoadLibraryA("C:\\no-such-dir\\KERNEL32.DLL"), nullptr);
  EXPECT_EQ(builtin_module_testing_loaded_count(), 0);
}

}  // namespace
