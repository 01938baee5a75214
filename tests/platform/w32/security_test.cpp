// File security: answers equal what stat, the user and group databases and access(2) say
// for the test's own files.
#include "platform/w32/security.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/volume.h"
#include "platform/w32/volume_testing.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class SecurityTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    ASSERT_TRUE(w32_set_drive('D', dir_.path().c_str()));
  }
  // The descriptor of name by the two-call protocol.
  static std::vector<char> descriptor(const char* name) {
    DWORD needed = 0;
    EXPECT_FALSE(GetFileSecurityA(name, OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                            DACL_SECURITY_INFORMATION,
                                  nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    std::vector<char> buffer(needed);
    EXPECT_TRUE(GetFileSecurityA(name, 7, buffer.data(), needed, &needed));
    return buffer;
  }
  static std::string account(PSID sid, SID_NAME_USE expected_use) {
    char name[256], domain[256];
    DWORD name_size = sizeof name, domain_size = sizeof domain;
    SID_NAME_USE use{};
    EXPECT_TRUE(LookupAccountSidA(nullptr, sid, name, &name_size, domain, &domain_size, &use));
    EXPECT_EQ(use, expected_use);
    return name;
  }
  yrltest::ScratchDir dir_;
};

TEST_F(SecurityTest, OwnerGroupAndAccessAgreeWithTheSystem) {
  ASSERT_TRUE(ImpersonateSelf(2));
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenThreadToken(nullptr, TOKEN_ALL_ACCESS, TRUE, &token));
  for (mode_t mode : {mode_t{0600}, mode_t{0400}, mode_t{0700}, mode_t{0200}, mode_t{0}}) {
    SCOPED_TRACE(mode);
    dir_.make_file("f", "x");
    chmod(dir_.at("f").c_str(), mode);
    std::vector<char> sd = descriptor("D:\\f");
    struct stat st;
    ASSERT_EQ(stat(dir_.at("f").c_str(), &st), 0);
    PSID owner = nullptr, group = nullptr;
    BOOL defaulted = TRUE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(sd.data(), &owner, &defaulted));
    ASSERT_TRUE(GetSecurityDescriptorGroup(sd.data(), &group, &defaulted));
    EXPECT_EQ(account(owner, SidTypeUser), getpwuid(st.st_uid)->pw_name);
    EXPECT_EQ(account(group, SidTypeGroup), getgrgid(st.st_gid)->gr_name);
    struct Right {
      DWORD desired;
      int mode;
    } rights[] = {{FILE_READ_DATA, R_OK}, {FILE_WRITE_DATA, W_OK}, {FILE_EXECUTE, X_OK},
                  {GENERIC_READ | GENERIC_WRITE, R_OK | W_OK}};
    for (const Right& r : rights) {
      DWORD granted = 99;
      BOOL status = FALSE;
      char privileges[20];
      DWORD privileges_length = sizeof privileges;
      ASSERT_TRUE(AccessCheck(sd.data(), token, r.desired, nullptr, privileges,
                              &privileges_length, &granted, &status));
      bool expected = faccessat(AT_FDCWD, dir_.at("f").c_str(), r.mode, AT_EACCESS) == 0;
      EXPECT_EQ(status != FALSE, expected) << r.desired;
      EXPECT_EQ(granted, expected ? r.desired : 0u);
    }
    chmod(dir_.at("f").c_str(), 0600);
  }
  EXPECT_TRUE(CloseHandle(token));
  EXPECT_TRUE(RevertToSelf());
  EXPECT_FALSE(OpenThreadToken(nullptr, TOKEN_ALL_ACCESS, TRUE, &token));
  EXPECT_EQ(GetLastError(), ERROR_NO_TOKEN);
}

TEST_F(SecurityTest, AccountsLookUpBothWays) {
  passwd* me = getpwuid(geteuid());
  ASSERT_NE(me, nullptr);
  char sid[8];
  DWORD sid_size = 0;
  char domain[256];
  DWORD domain_size = 0;
  SID_NAME_USE use{};
  EXPECT_FALSE(LookupAccountNameA(nullptr, me->pw_name, nullptr, &sid_size, nullptr, &domain_size,
                                  &use));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(sid_size, 8u);
  domain_size = sizeof domain;
  ASSERT_TRUE(LookupAccountNameA(nullptr, me->pw_name, sid, &sid_size, domain, &domain_size, &use));
  EXPECT_EQ(use, SidTypeUser);
  EXPECT_EQ(account(sid, SidTypeUser), me->pw_name);
  char small[1];
  DWORD small_size = sizeof small;
  domain_size = sizeof domain;
  EXPECT_FALSE(LookupAccountSidA(nullptr, sid, small, &small_size, domain, &domain_size, &use));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(small_size, std::string(me->pw_name).size() + 1);
  domain_size = sizeof domain;
  EXPECT_FALSE(LookupAccountNameA(nullptr, "no-such-account-yrl", sid, &sid_size, domain,
                                  &domain_size, &use));
  EXPECT_EQ(GetLastError(), ERROR_NONE_MAPPED);
}

TEST_F(SecurityTest, SettingOwnerAndModeAndRefusals) {
  dir_.make_file("f", "x");
  std::vector<char> sd = descriptor("D:\\f");
  // The file's own owner and group set back: allowed for its owner.
  EXPECT_TRUE(SetFileSecurityA("D:\\f", OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION,
                               sd.data()));
  EXPECT_TRUE(SetFileSecurityW(u"D:\\f", GROUP_SECURITY_INFORMATION, sd.data()));
  if (geteuid() != 0) {
    // Giving the file away is not allowed to an ordinary user.
    char root_sid[8];
    DWORD sid_size = sizeof root_sid;
    char domain[256];
    DWORD domain_size = sizeof domain;
    SID_NAME_USE use{};
    ASSERT_TRUE(LookupAccountNameA(nullptr, "root", root_sid, &sid_size, domain, &domain_size, &use));
    ASSERT_TRUE(SetSecurityDescriptorOwner(sd.data(), root_sid, FALSE));
    EXPECT_FALSE(SetFileSecurityA("D:\\f", OWNER_SECURITY_INFORMATION, sd.data()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  // A FAT volume keeps no security.
  ASSERT_TRUE(volume_testing_set_drive('D', DRIVE_REMOVABLE, "FAT", nullptr, nullptr));
  DWORD needed = 0;
  EXPECT_FALSE(GetFileSecurityA("D:\\f", 7, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_FALSE(GetFileSecurityA("D:\\missing", 7, nullptr, 0, &needed));
  char junk[64] = {};
  EXPECT_FALSE(SetFileSecurityA("C:\\", OWNER_SECURITY_INFORMATION, junk));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
