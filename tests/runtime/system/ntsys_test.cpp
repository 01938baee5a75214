// Win32 replacements of Unix services.
#include "runtime/system/ntsys.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "tests/support/runtime_test.h"

namespace {

class NtSys : public yrltest::RuntimeTest {};

TEST_F(NtSys, HostNameIsTheSystemsHostName) {
  char reference[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(reference, sizeof reference), 0);
  const int length = static_cast<int>(std::strlen(reference));
  ASSERT_GT(length, 0);

  struct Case {
    int size;
    int expected;  // nonzero: the name was given
  };
  const Case cases[] = {
      {256, 1}, {length + 1, 1}, {length, 0}, {1, 0}, {0, 0}, {-5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char buffer[300];
    std::memset(buffer, 'x', sizeof buffer);
    int result = vek::NT_gethostname(buffer, c.size);
    if (c.expected) {
      EXPECT_NE(result, 0);
      EXPECT_STREQ(buffer, reference);
    } else {
      EXPECT_EQ(result, 0);
      // A buffer that has room gets an empty name; no room, nothing written.
      EXPECT_EQ(buffer[0], c.size >= 1 ? '\0' : 'x');
    }
  }
  EXPECT_EQ(vek::NT_gethostname(nullptr, 256), 0);
}

}  // namespace
