// The application starts in the stand-in host.
#include "tests/app/app_test.h"

#include <gtest/gtest.h>

namespace {

class AppStart : public yrltest::AppTest {};

TEST_F(AppStart, ThePluginStartsWithTheApplication) { EXPECT_EQ(start_app(), 0) << error(); }

}  // namespace
