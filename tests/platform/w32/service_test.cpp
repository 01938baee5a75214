// Services as a table in the registry store: the manager, making, starting, stopping,
// querying and removing services, with Win32's error codes.
#include "platform/w32/service.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/handle.h"
#include "platform/w32/registry.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class ServiceTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager_, nullptr);
  }
  void TearDown() override {
    EXPECT_TRUE(CloseServiceHandle(manager_));
    W32ProcessTest::TearDown();
  }
  SC_HANDLE create(const char* name, DWORD start = SERVICE_DEMAND_START) {
    return CreateServiceA(manager_, name, nullptr, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                          start, SERVICE_ERROR_NORMAL, "C:\\bin\\svc.exe", nullptr, nullptr,
                          nullptr, nullptr, nullptr);
  }
  static DWORD state(SC_HANDLE service) {
    SERVICE_STATUS status = {};
    EXPECT_TRUE(QueryServiceStatus(service, &status));
    return status.dwCurrentState;
  }
  SC_HANDLE manager_ = nullptr;
};

TEST_F(ServiceTest, ServiceLivesInTheRegistryAndStartsAndStops) {
  SC_HANDLE service = create("VekPortMap");
  ASSERT_NE(service, nullptr);
  // Kept where Windows keeps it, and found in any case.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "system\\currentcontrolset\\services\\VEKPORTMAP", 0,
                          KEY_READ, &key),
            0);
  char path[64];
  DWORD size = sizeof path;
  DWORD type = 0;
  ASSERT_EQ(
      RegQueryValueExA(key, "ImagePath", nullptr, &type, reinterpret_cast<BYTE*>(path), &size), 0);
  EXPECT_STREQ(path, "C:\\bin\\svc.exe");
  EXPECT_EQ(type, REG_EXPAND_SZ);
  RegCloseKey(key);
  SC_HANDLE opened = OpenServiceA(manager_, "vekportmap", SERVICE_ALL_ACCESS);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(state(opened), SERVICE_STOPPED);
  EXPECT_TRUE(StartServiceA(service, 0, nullptr));
  EXPECT_EQ(state(opened), SERVICE_RUNNING);
  EXPECT_FALSE(StartServiceA(opened, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_ALREADY_RUNNING);
  SERVICE_STATUS status = {};
  EXPECT_TRUE(ControlService(opened, SERVICE_CONTROL_INTERROGATE, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
  EXPECT_EQ(status.dwServiceType, SERVICE_WIN32_OWN_PROCESS);
  EXPECT_TRUE(ControlService(opened, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  EXPECT_FALSE(ControlService(opened, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_NOT_ACTIVE);
  EXPECT_FALSE(ControlService(opened, 77, &status));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_SERVICE_CONTROL);
  // Removed at once; the handles that remain see it marked for deletion.
  EXPECT_TRUE(DeleteService(service));
  EXPECT_FALSE(QueryServiceStatus(opened, &status));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_MARKED_FOR_DELETE);
  EXPECT_FALSE(DeleteService(opened));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_MARKED_FOR_DELETE);
  EXPECT_EQ(OpenServiceA(manager_, "VekPortMap", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_DOES_NOT_EXIST);
  EXPECT_TRUE(CloseServiceHandle(service));
  EXPECT_TRUE(CloseServiceHandle(opened));
}

TEST_F(ServiceTest, RefusalsCarryWin32Codes) {
  SC_HANDLE service = create("Once");
  ASSERT_NE(service, nullptr);
  SC_HANDLE disabled = create("Off", SERVICE_DISABLED);
  ASSERT_NE(disabled, nullptr);
  SERVICE_STATUS status = {};
  EXPECT_EQ(create("ONCE"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_EXISTS);
  EXPECT_FALSE(StartServiceA(disabled, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_DISABLED);
  EXPECT_EQ(create("a/b"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  EXPECT_EQ(OpenServiceA(service, "Once", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenServiceA(manager_, "", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  EXPECT_FALSE(QueryServiceStatus(manager_, &status));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(QueryServiceStatus(service, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(CloseServiceHandle(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenSCManagerA("\\\\elsewhere", nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), RPC_S_SERVER_UNAVAILABLE);
  EXPECT_FALSE(CloseHandle(service));  // a service handle is no kernel handle
  for (const char* function : {"OpenSCManagerA", "OpenServiceA", "CreateServiceA", "StartServiceA",
                               "ControlService", "QueryServiceStatus", "DeleteService"}) {
    SCOPED_TRACE(function);
    ASSERT_TRUE(fault_testing_fail_on_call(function, 1, ERROR_ACCESS_DENIED));
    std::string name = function;
    bool failed = name == "OpenSCManagerA"   ? OpenSCManagerA(nullptr, nullptr, 0) == nullptr
                  : name == "OpenServiceA"   ? OpenServiceA(manager_, "Once", 0) == nullptr
                  : name == "CreateServiceA" ? create("Fresh") == nullptr
                  : name == "StartServiceA"  ? !StartServiceA(service, 0, nullptr)
                  : name == "ControlService"
                      ? !ControlService(service, SERVICE_CONTROL_INTERROGATE, &status)
                  : name == "QueryServiceStatus" ? !QueryServiceStatus(service, &status)
                                                 : !DeleteService(service);
    EXPECT_TRUE(failed);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  EXPECT_TRUE(DeleteService(service));
  EXPECT_TRUE(DeleteService(disabled));
  EXPECT_TRUE(CloseServiceHandle(service));
  EXPECT_TRUE(CloseServiceHandle(disabled));
}

}  // namespace
