// Registration of versions as file types in the registry.
#include <gtest/gtest.h>

#include <string>

#include "fileaccess/names/ntver.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/registry.h"
#include "tests/fileaccess/fileaccess_test.h"

namespace {

class NtVer : public yrltest::FileaccessTest {
 protected:
  void SetUp() override {
    FileaccessTest::SetUp();
    install("open.exe \"%1\"", "host.ico,0");
  }
  static void install(const char* command, const char* icon) {
    vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, "Software\\VEK", "mavrelmsg", 260, command);
    vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, "Software\\VEK", "vekicon", 260, icon);
  }
  // The default value of a key under the classes root, "<none>" when it is missing.
  static std::string value(const std::string& key) {
    char out[260];
    return vek::nt_get_registry_string(w32::HKEY_CLASSES_ROOT, key.c_str(), nullptr, 260, out)
               ? std::string(out)
               : std::string("<none>");
  }
};

TEST_F(NtVer, RegistersVersionsThirtyToAFileType) {
  EXPECT_EQ(vek::ntver_insure_version_registered(3), 3);
  EXPECT_EQ(value("mavrelFile1"), "Mavrel Versioned File");
  EXPECT_EQ(value("mavrelFile1\\DefaultIcon"), "host.ico,0");
  EXPECT_EQ(value("mavrelFile1\\shell"), "Open");
  EXPECT_EQ(value("mavrelFile1\\shell\\Open"), "Open with Mavrel");
  EXPECT_EQ(value("mavrelFile1\\shell\\Open\\command"), "open.exe \"%1\"");
  for (const char* key : {".1", ".2", ".3"}) EXPECT_EQ(value(key), "mavrelFile1") << key;
  EXPECT_EQ(vek::ntver_highest_registered(), 3);
  EXPECT_EQ(vek::ntver_insure_version_registered(2), 0);
  EXPECT_EQ(vek::ntver_insure_version_registered(31), 31);
  EXPECT_EQ(value(".30"), "mavrelFile1");
  EXPECT_EQ(value(".31"), "mavrelFile2");
  // A key of another program keeps its value; 123 is never registered.
  vek::nt_set_registry_string(w32::HKEY_CLASSES_ROOT, ".40", nullptr, 260, "other");
  EXPECT_EQ(vek::ntver_insure_version_registered(125), 125);
  EXPECT_EQ(value(".40"), "other");
  EXPECT_EQ(value(".123"), "<none>");
  EXPECT_EQ(value(".124"), "mavrelFile5");
  EXPECT_EQ(vek::ntver_insure_version_registered(1200), 999);
  EXPECT_EQ(vek::ntver_highest_registered(), 999);
  EXPECT_EQ(value(".1000"), "<none>");
  // The three versions that are never registered, beside their neighbours.
  for (const char* key : {".123", ".323", ".386"}) EXPECT_EQ(value(key), "<none>") << key;
  for (const char* key : {".122", ".322", ".324", ".385", ".387", ".999"})
    EXPECT_NE(value(key), "<none>") << key;
}

// A registry write that fails ends the registration at the last version written whole;
// the next call starts again after it. Each step's writes: the file type's five keys and
// one key per version.
TEST_F(NtVer, AFailedWriteStopsTheRegistrationAtTheLastGoodVersion) {
  struct Case {
    int failing_write;  // the n-th write of the call
    int registered;     // what the call answers
    int highest;        // what it stores
  };
  // Writes 1-5: the type's keys; 6, 7, 8: the keys of versions 1, 2, 3.
  const Case cases[] = {{1, 0, 0}, {5, 0, 0}, {6, 0, 0}, {7, 1, 1}, {8, 2, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing_write);
    yrltest::reset_runtime_state();
    install("open.exe \"%1\"", "host.ico,0");
    ASSERT_TRUE(w32::fault_testing_fail_on_call("RegSetValueExA", c.failing_write,
                                                w32::ERROR_ACCESS_DENIED));
    EXPECT_EQ(vek::ntver_insure_version_registered(3), c.registered);
    EXPECT_EQ(vek::ntver_highest_registered(), c.highest);
    w32::fault_testing_reset();
    for (int v = 1; v <= 3; ++v) {
      std::string key = "." + std::to_string(v);
      EXPECT_EQ(value(key) != "<none>", v <= c.highest) << key;
    }
    // The next call takes up after the last good version.
    EXPECT_EQ(vek::ntver_insure_version_registered(3), 3);
    for (const char* key : {".1", ".2", ".3"}) EXPECT_EQ(value(key), "mavrelFile1") << key;
  }
}

TEST_F(NtVer, MissingInstallationDataRegistersNothing) {
  install("", "host.ico");
  EXPECT_EQ(vek::ntver_insure_version_registered(3), 0);
  EXPECT_EQ(value(".1"), "<none>");
  EXPECT_EQ(vek::ntver_highest_registered(), 0);
}

}  // namespace
