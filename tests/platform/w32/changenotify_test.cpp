// Change notifications: signalled for the changes their filter names in the directory
// itself, never for a change inside a subdirectory; many at once on one instance.
#include "platform/w32/changenotify.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/process.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class ChangeNotifyTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    dir_.make_dir("w/sub");
    dir_.make_file("w/old.txt", "old");
    dir_.make_file("w/sub/inner.txt", "in");
    ASSERT_TRUE(w32_set_drive('D', dir_.path().c_str()));
  }
  yrltest::ScratchDir dir_;
};

TEST_F(ChangeNotifyTest, EachChangeSignalsTheWatchesWhoseFilterNamesIt) {
  constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
  struct Case {
    const char* what;
    DWORD filter;
    std::function<void(yrltest::ScratchDir&)> change;
    bool signalled;
  } cases[] = {
      {"create", kNames, [](yrltest::ScratchDir& d) { d.make_file("w/new.txt"); }, true},
      {"delete", kNames, [](yrltest::ScratchDir& d) { std::remove(d.at("w/old.txt").c_str()); },
       true},
      {"rename", kNames,
       [](yrltest::ScratchDir& d) {
         std::rename(d.at("w/old.txt").c_str(), d.at("w/renamed.txt").c_str());
       },
       true},
      {"directory made, watched for file names only", FILE_NOTIFY_CHANGE_FILE_NAME,
       [](yrltest::ScratchDir& d) { d.make_dir("w/newdir"); }, false},
      {"directory made", FILE_NOTIFY_CHANGE_DIR_NAME,
       [](yrltest::ScratchDir& d) { d.make_dir("w/newdir"); }, true},
      {"attributes", FILE_NOTIFY_CHANGE_ATTRIBUTES,
       [](yrltest::ScratchDir& d) { chmod(d.at("w/old.txt").c_str(), 0444); }, true},
      {"write", FILE_NOTIFY_CHANGE_LAST_WRITE,
       [](yrltest::ScratchDir& d) { d.make_file("w/old.txt", "changed"); }, true},
      {"write, watched for names", kNames,
       [](yrltest::ScratchDir& d) { d.make_file("w/old.txt", "changed"); }, false},
      {"inside a subdirectory", kNames | FILE_NOTIFY_CHANGE_LAST_WRITE,
       [](yrltest::ScratchDir& d) {
         d.make_file("w/sub/made.txt");
         d.make_file("w/sub/inner.txt", "changed");
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir_.make_file("w/old.txt", "old");
    chmod(dir_.at("w/old.txt").c_str(), 0644);
    std::remove(dir_.at("w/new.txt").c_str());
    std::remove(dir_.at("w/renamed.txt").c_str());
    std::remove(dir_.at("w/sub/made.txt").c_str());
    rmdir(dir_.at("w/newdir").c_str());
    HANDLE watch = FindFirstChangeNotificationA("D:\\w", FALSE, c.filter);
    ASSERT_NE(watch, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_TIMEOUT);
    c.change(dir_);
    EXPECT_EQ(WaitForSingleObject(watch, c.signalled ? 2000 : 50),
              c.signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
    // Signalled until re-armed.
    if (c.signalled) {
      EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0);
    }
    EXPECT_TRUE(FindNextChangeNotification(watch));
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(FindCloseChangeNotification(watch));
  }
}

TEST_F(ChangeNotifyTest, TwoHundredWatchesAtOnce) {
  std::vector<HANDLE> watches;
  for (int i = 0; i < 200; ++i) {
    std::string name = "many/d" + std::to_string(i);
    dir_.make_dir(name);
    std::string number = std::to_string(i);
    std::u16string wide = u"D:\\many\\d" + std::u16string(number.begin(), number.end());
    HANDLE watch = FindFirstChangeNotificationW(wide.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(watch, INVALID_HANDLE_VALUE) << i << " " << GetLastError();
    watches.push_back(watch);
  }
  // Two handles on one directory share its watch; closing one keeps the other.
  HANDLE twin = FindFirstChangeNotificationA("D:\\many\\d7", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  ASSERT_NE(twin, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FindCloseChangeNotification(watches[7]));
  dir_.make_file("many/d7/x");
  dir_.make_file("many/d150/x");
  EXPECT_EQ(WaitForSingleObject(twin, 2000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(watches[150], 2000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(watches[151], 0), WAIT_TIMEOUT);
  EXPECT_TRUE(FindCloseChangeNotification(twin));
  for (int i = 0; i < 200; ++i)
    if (i != 7) {
      EXPECT_TRUE(FindCloseChangeNotification(watches[i]));
    }
}

TEST_F(ChangeNotifyTest, RefusedWatches) {
  struct Case {
    const char* name;
    BOOL subtree;
    DWORD filter;
    DWORD error;
  } cases[] = {
      {"D:\\w", TRUE, FILE_NOTIFY_CHANGE_FILE_NAME, ERROR_NOT_SUPPORTED},
      {"D:\\w", FALSE, 0x80, ERROR_INVALID_PARAMETER},
      {"D:\\w\\old.txt", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, ERROR_PATH_NOT_FOUND},
      {"D:\\missing", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, ERROR_PATH_NOT_FOUND},
      {nullptr, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name != nullptr ? c.name : "(null)");
    EXPECT_EQ(FindFirstChangeNotificationA(c.name, c.subtree, c.filter), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_FALSE(FindCloseChangeNotification(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(FindNextChangeNotification(nullptr));
}

}  // namespace
