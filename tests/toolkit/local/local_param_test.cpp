// The local string functions of the toolkit API.
#include <gtest/gtest.h>

#include "runtime/text/lang.h"
#include "runtime/text/wstring.h"
#include "tests/support/console_capture.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/local/local_param.h"

namespace {

class LocalParamTest : public yrltest::ToolkitTest {};

TEST_F(LocalParamTest, StringToWstringConvertsByTheCurrentLanguage) {
  VynWchar target[32];
  EXPECT_EQ(VynStringToWstring(target, "yrlform_msg.txt"), target);
  EXPECT_EQ(vek::wscmp(target, u"yrlform_msg.txt"), 0);
  // English: byte 128 is the euro sign, other bytes the character of the same code.
  EXPECT_EQ(VynStringToWstring(target, "a\x80\xe9"), target);
  EXPECT_EQ(vek::wscmp(target, u"a\u20ac\u00e9"), 0);
  EXPECT_EQ(VynStringToWstring(target, ""), target);
  EXPECT_EQ(target[0], 0);
}

TEST_F(LocalParamTest, StringToWstringWithANullTargetConvertsNothing) {
  yrltest::ConsoleCapture console;
  EXPECT_EQ(VynStringToWstring(nullptr, "text"), nullptr);
  EXPECT_EQ(VynStringToWstring(nullptr, nullptr), nullptr);
  EXPECT_EQ(console.out() + console.err(), "");
}

TEST_F(LocalParamTest, StringToWstringOfANullSourceIsReportedAndEmpty) {
  yrltest::ConsoleCapture console;
  VynWchar target[4] = {u'x', u'y', 0, 0};
  EXPECT_EQ(VynStringToWstring(target, nullptr), target);
  EXPECT_EQ(target[0], 0);
  EXPECT_NE((console.out() + console.err()).find("Illegal NULL pointer"), std::string::npos);
}

}  // namespace
