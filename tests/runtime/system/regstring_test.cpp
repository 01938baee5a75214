// Registry strings, the user's search path and the Windows services by name.
#include "runtime/system/regstring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/w32/fault_testing.h"
#include "platform/w32/registry.h"
#include "runtime/system/ntservice.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::RuntimeTest;

class RegString : public RuntimeTest {
 protected:
  static std::string path_value() {
    char out[4096];
    w32::HKEY key = nullptr;
    if (w32::RegOpenKeyA(w32::HKEY_CURRENT_USER, "Environment", &key) != 0) return "<no key>";
    w32::DWORD size = sizeof out;
    w32::LONG code = w32::RegQueryValueExA(key, "Path", nullptr, nullptr,
                                           reinterpret_cast<w32::BYTE*>(out), &size);
    w32::RegCloseKey(key);
    return code == 0 ? std::string(out) : "<no value>";
  }
  static void set_path(const std::string& value) {
    ASSERT_EQ(vek::nt_set_registry_string_value(w32::HKEY_CURRENT_USER, "Environment", "Path",
                                                value.c_str()),
              1);
  }
};

TEST_F(RegString, ValuesAtTheBufferBoundary) {
  char out[vek::NT_REGISTRY_VALUE_SIZE];
  std::strcpy(out, "untouched");
  EXPECT_EQ(vek::nt_get_registry_string_value(w32::HKEY_CURRENT_USER, "Missing", "v", out), 0);
  EXPECT_STREQ(out, "untouched");
  // 1,022 characters and the terminator fit; 1,023 and the terminator do not.
  std::string fits(1022, 'a');
  std::string too_long(1023, 'b');
  ASSERT_EQ(vek::nt_set_registry_string_value(w32::HKEY_CURRENT_USER, "K", "fits", fits.c_str()),
            1);
  ASSERT_EQ(
      vek::nt_set_registry_string_value(w32::HKEY_CURRENT_USER, "K", "long", too_long.c_str()), 1);
  EXPECT_EQ(vek::nt_get_registry_string_value(w32::HKEY_CURRENT_USER, "K", "fits", out), 1);
  EXPECT_EQ(std::string(out), fits);
  EXPECT_EQ(vek::nt_get_registry_string_value(w32::HKEY_CURRENT_USER, "K", "long", out), 0);
  EXPECT_STREQ(out, "");
  // A value stored without a terminator still ends in the buffer.
  w32::HKEY key = nullptr;
  ASSERT_EQ(w32::RegOpenKeyA(w32::HKEY_CURRENT_USER, "K", &key), 0);
  ASSERT_EQ(w32::RegSetValueExA(key, "bare", 0, w32::REG_SZ,
                                reinterpret_cast<const w32::BYTE*>(too_long.data()), 1023),
            0);
  w32::RegCloseKey(key);
  EXPECT_EQ(vek::nt_get_registry_string_value(w32::HKEY_CURRENT_USER, "K", "bare", out), 1);
  EXPECT_EQ(std::strlen(out), 1023u);
}

TEST_F(RegString, SearchPathComparesWholeEntries) {
  struct Case {
    const char* what;
    const char* before;  // null: no value
    const char* directory;
    int result;
    const char* after;
  } cases[] = {
      {"missing value", nullptr, "C:\\bin", 1, "%path%;C:\\bin"},
      {"already there", "C:\\x;C:\\bin;D:\\y", "C:\\bin", 1, "C:\\x;C:\\bin;D:\\y"},
      {"case and trailing delimiter", "c:\\BIN\\", "C:\\bin", 1, "c:\\BIN\\"},
      {"only a longer name", "C:\\bin2", "C:\\bin", 1, "C:\\bin2;C:\\bin"},
      {"only a substring", "X:\\C:\\bin\\sub", "C:\\bin", 1, "X:\\C:\\bin\\sub;C:\\bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vek::nt_set_registry_string_value(w32::HKEY_CURRENT_USER, "Environment", "Other", "x");
    w32::HKEY key = nullptr;
    ASSERT_EQ(w32::RegOpenKeyA(w32::HKEY_CURRENT_USER, "Environment", &key), 0);
    w32::RegDeleteValueA(key, "Path");
    w32::RegCloseKey(key);
    if (c.before != nullptr) set_path(c.before);
    EXPECT_EQ(vek::nt_ginst_cat_path(c.directory), c.result);
    EXPECT_EQ(path_value(), c.after);
  }
}

TEST_F(RegString, LongPathIsKeptWhole) {
  // A path of 3,000 bytes: read at its full length and extended, not replaced.
  std::string path;
  while (path.size() < 3000) path += "C:\\tools\\dir" + std::to_string(path.size()) + ";";
  path.pop_back();
  set_path(path);
  EXPECT_EQ(vek::nt_ginst_cat_path("C:\\bin"), 1);
  EXPECT_EQ(path_value(), path + ";C:\\bin");
  // An entry far beyond 1,024 bytes is found.
  std::string last = path.substr(path.rfind(';') + 1);
  EXPECT_EQ(vek::nt_ginst_cat_path(last.c_str()), 1);
  EXPECT_EQ(path_value(), path + ";C:\\bin");
}

TEST_F(RegString, ReadFailureOtherThanMissingWritesNothing) {
  set_path("C:\\keep");
  // RegQueryValueExA answers through the stand-in's error for a broken store.
  setenv("YRL_W32_REGISTRY", "/nonexistent-dir/registry.txt", 1);
  EXPECT_EQ(vek::nt_ginst_cat_path("C:\\bin"), 0);
  unsetenv("YRL_W32_REGISTRY");
  EXPECT_EQ(path_value(), "C:\\keep");
}

class NtService : public RuntimeTest {};

TEST_F(NtService, ServicesByNameInMixedCase) {
  EXPECT_EQ(vek::ginst_is_service_installed("VekSvc"), 0);
  EXPECT_EQ(vek::ginst_is_service_running("VekSvc"), 0);
  // Stopping a service that does not exist counts as stopped; starting one does not.
  EXPECT_EQ(vek::ginst_stop_service("VekSvc"), 1);
  EXPECT_EQ(vek::ginst_start_service("VekSvc"), 0);
  EXPECT_EQ(vek::ginst_remove_service("VekSvc"), 0);
  int state = 9;
  EXPECT_EQ(vek::ginst_service_current_state("VekSvc", &state), 0);
  EXPECT_EQ(state, 0);
  ASSERT_EQ(vek::ginst_install_service("VekSvc", "C:\\vek\\svc.exe"), 1);
  EXPECT_EQ(vek::ginst_install_service("VEKSVC", "C:\\vek\\svc.exe"), 0);
  EXPECT_EQ(vek::ginst_is_service_installed("vEKsVC"), 1);
  EXPECT_EQ(vek::ginst_service_current_state("vekSVC", &state), 1);
  EXPECT_EQ(state, 1);  // stopped
  EXPECT_EQ(vek::ginst_start_service("VEKSVC"), 1);
  EXPECT_EQ(vek::ginst_is_service_running("veksvc"), 1);
  EXPECT_EQ(vek::ginst_start_service("VekSvc"), 0);  // runs already
  EXPECT_EQ(vek::ginst_stop_service("VekSvc"), 1);
  EXPECT_EQ(vek::ginst_is_service_running("VekSvc"), 0);
  EXPECT_EQ(vek::ginst_stop_service("VekSvc"), 0);  // not running: the control fails
  EXPECT_EQ(vek::ginst_remove_service("VekSvc"), 1);
  EXPECT_EQ(vek::ginst_is_service_installed("VekSvc"), 0);
}

TEST_F(NtService, ManagerThatCannotBeOpenedIsNoSuccess) {
  ASSERT_EQ(vek::ginst_install_service("VekSvc", "C:\\vek\\svc.exe"), 1);
  for (const char* call : {"start", "stop"}) {
    SCOPED_TRACE(call);
    ASSERT_TRUE(w32::fault_testing_fail_on_call("OpenSCManagerA", 1, 5));
    int result = std::string(call) == "start" ? vek::ginst_start_service("VekSvc")
                                              : vek::ginst_stop_service("VekSvc");
    EXPECT_EQ(result, 0);
  }
  ASSERT_TRUE(w32::fault_testing_fail_on_call("OpenServiceA", 1, 5));
  EXPECT_EQ(vek::ginst_stop_service("VekSvc"), 0);  // access denied is not "missing"
}

}  // namespace
