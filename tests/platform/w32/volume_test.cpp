// Drive types, volumes, free space, connections and the listing of hosts and shares.
#include "platform/w32/volume.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <string>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/path.h"
#include "platform/w32/volume_testing.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class VolumeTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    dir_.make_dir("d");
    dir_.make_dir("unc/alpha/data");
    dir_.make_dir("unc/alpha/tools");
    dir_.make_file("unc/alpha/file.txt");
    dir_.make_dir("unc/beta");
    ASSERT_TRUE(w32_set_drive('D', dir_.at("d").c_str()));
    ASSERT_TRUE(w32_set_unc_root(dir_.at("unc").c_str()));
  }
  // Every remote name a listing gives, with buffers of size bytes.
  static std::vector<std::string> list(NETRESOURCEA* resource, DWORD size = 4096) {
    std::vector<std::string> names;
    HANDLE listing = nullptr;
    EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, resource, &listing),
              ERROR_SUCCESS);
    std::vector<char> buffer(size);
    for (;;) {
      DWORD count = 0xFFFFFFFF;
      DWORD room = size;
      DWORD result = WNetEnumResourceA(listing, &count, buffer.data(), &room);
      if (result == ERROR_NO_MORE_ITEMS) break;
      EXPECT_EQ(result, ERROR_SUCCESS);
      if (result != ERROR_SUCCESS) break;
      auto* records = reinterpret_cast<NETRESOURCEA*>(buffer.data());
      for (DWORD i = 0; i < count; ++i) names.push_back(records[i].lpRemoteName);
    }
    EXPECT_EQ(WNetCloseEnum(listing), ERROR_SUCCESS);
    return names;
  }
  yrltest::ScratchDir dir_;
};

TEST_F(VolumeTest, DriveTypesAndLogicalDrivesFollowTheTables) {
  ASSERT_TRUE(volume_testing_set_drive('e', DRIVE_CDROM, "CDFS", "DISC", nullptr));
  ASSERT_TRUE(w32_set_drive('E', dir_.at("d").c_str()));
  struct Case {
    const char* root;
    UINT type;
  } cases[] = {
      {"C:\\", DRIVE_FIXED},   {"d:", DRIVE_FIXED},           {"D:/", DRIVE_FIXED},
      {"E:\\", DRIVE_CDROM},   {"Q:\\", DRIVE_NO_ROOT_DIR},   {"D:\\x", DRIVE_NO_ROOT_DIR},
      {"\\\\alpha\\data\\", DRIVE_REMOTE}, {"\\\\alpha\\none\\", DRIVE_NO_ROOT_DIR},
      {"\\\\ghost\\data", DRIVE_NO_ROOT_DIR}, {nullptr, DRIVE_FIXED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root != nullptr ? c.root : "(current)");
    EXPECT_EQ(GetDriveTypeA(c.root), c.type);
  }
  EXPECT_EQ(GetDriveTypeW(u"E:\\"), DRIVE_CDROM);
  EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4));
}

TEST_F(VolumeTest, VolumeInformationAndFreeSpace) {
  char label[32], file_system[32];
  DWORD serial = 0, longest = 0, flags = 0;
  ASSERT_TRUE(GetVolumeInformationA("D:\\", label, sizeof label, &serial, &longest, &flags,
                                    file_system, sizeof file_system));
  EXPECT_STREQ(label, "");
  EXPECT_STREQ(file_system, "NTFS");
  EXPECT_EQ(longest, 255u);
  EXPECT_EQ(flags, FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK | FILE_PERSISTENT_ACLS);
  ASSERT_TRUE(volume_testing_set_drive('D', DRIVE_REMOVABLE, "FAT", "STICK", nullptr));
  ASSERT_TRUE(GetVolumeInformationA("D:", label, sizeof label, nullptr, nullptr, &flags,
                                    file_system, sizeof file_system));
  EXPECT_STREQ(label, "STICK");
  EXPECT_STREQ(file_system, "FAT");
  EXPECT_EQ(flags, FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK);
  char tiny[3];
  EXPECT_FALSE(GetVolumeInformationA("D:", nullptr, 0, nullptr, nullptr, nullptr, tiny,
                                     sizeof tiny));
  EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
  EXPECT_FALSE(GetVolumeInformationA("Q:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  DWORD per_cluster = 0, sector = 0, free_clusters = 0, total = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA("D:\\", &per_cluster, &sector, &free_clusters, &total));
  struct statvfs fs;
  ASSERT_EQ(statvfs(dir_.at("d").c_str(), &fs), 0);
  unsigned long long block = fs.f_frsize;
  EXPECT_EQ(sector, 512u);
  EXPECT_EQ(per_cluster, block / 512);
  unsigned long long expected_total = fs.f_blocks > 0xFFFFFFFFull ? 0xFFFFFFFFull : fs.f_blocks;
  EXPECT_EQ(total, expected_total);
  EXPECT_LE(free_clusters, total);
  EXPECT_FALSE(GetDiskFreeSpaceA("Q:\\", &per_cluster, &sector, &free_clusters, &total));
}

TEST_F(VolumeTest, ConnectionsOfDriveLetters) {
  ASSERT_TRUE(volume_testing_set_drive('N', DRIVE_REMOTE, nullptr, nullptr, "\\\\alpha\\data"));
  char remote[64];
  DWORD length = sizeof remote;
  EXPECT_EQ(WNetGetConnectionA("n:", remote, &length), ERROR_SUCCESS);
  EXPECT_STREQ(remote, "\\\\alpha\\data");
  length = 4;
  EXPECT_EQ(WNetGetConnectionA("N:", remote, &length), ERROR_MORE_DATA);
  EXPECT_EQ(length, 13u);
  EXPECT_EQ(WNetGetConnectionA("D:", remote, &length), ERROR_NOT_CONNECTED);
  EXPECT_EQ(WNetGetConnectionA("D:\\", remote, &length), ERROR_BAD_DEVICE);
  EXPECT_EQ(WNetGetConnectionA(nullptr, remote, &length), ERROR_INVALID_PARAMETER);
}

TEST_F(VolumeTest, HostsAndSharesAreTheDirectoriesUnderTheUncRoot) {
  EXPECT_EQ(list(nullptr), (std::vector<std::string>{"\\\\alpha", "\\\\beta"}));
  char host[] = "\\\\ALPHA";
  NETRESOURCEA resource{};
  resource.lpRemoteName = host;
  EXPECT_EQ(list(&resource), (std::vector<std::string>{"\\\\ALPHA\\data", "\\\\ALPHA\\tools"}));
  // A buffer for one record at a time gives them one by one.
  EXPECT_EQ(list(&resource, sizeof(NETRESOURCEA) + 16),
            (std::vector<std::string>{"\\\\ALPHA\\data", "\\\\ALPHA\\tools"}));
  char ghost[] = "\\\\ghost";
  resource.lpRemoteName = ghost;
  HANDLE listing = nullptr;
  EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, &resource, &listing),
            ERROR_BAD_NET_NAME);
  // Too small for one record: the size one needs.
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, nullptr, &listing),
            ERROR_SUCCESS);
  char small[8];
  DWORD count = 1, size = sizeof small;
  EXPECT_EQ(WNetEnumResourceA(listing, &count, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof(NETRESOURCEA) + 8);
  EXPECT_EQ(WNetCloseEnum(listing), ERROR_SUCCESS);
  EXPECT_EQ(WNetCloseEnum(listing), ERROR_INVALID_HANDLE);
}

}  // namespace
