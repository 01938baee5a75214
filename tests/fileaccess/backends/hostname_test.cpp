// The computer's name, checked against gethostname.
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "fileaccess/backends/pfu.h"
#include "tests/fileaccess/fileaccess_test.h"

namespace {

class Hostname : public yrltest::FileaccessTest {
 protected:
  static std::string reference() {
    char name[HOST_NAME_MAX + 1] = {};
    EXPECT_EQ(gethostname(name, sizeof name), 0);
    return name;
  }
};

TEST_F(Hostname, IsTheHostNameWhenItFits) {
  std::string expected = reference();
  ASSERT_FALSE(expected.empty());
  char buffer[HOST_NAME_MAX + 1];
  EXPECT_NE(vek::vyn_get_hostname(buffer, sizeof buffer), 0);
  EXPECT_EQ(buffer, expected);
  // Exactly the room of the name and its terminator.
  std::string exact(expected.size() + 1, 'z');
  EXPECT_NE(vek::vyn_get_hostname(exact.data(), static_cast<int>(exact.size())), 0);
  EXPECT_STREQ(exact.c_str(), expected.c_str());
}

TEST_F(Hostname, FailsWithAnEmptyBufferWhenTheNameDoesNotFit) {
  std::string expected = reference();
  std::string small(expected.size() + 4, 'z');
  EXPECT_EQ(vek::vyn_get_hostname(small.data(), static_cast<int>(expected.size())), 0);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(small[expected.size()], 'z');  // nothing written past the size
  EXPECT_EQ(vek::vyn_get_hostname(nullptr, 16), 0);
  char one[1] = {'z'};
  EXPECT_EQ(vek::vyn_get_hostname(one, 0), 0);
}

}  // namespace
