#include "platform/w32/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/w32/message_box_testing.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

using MessageBoxTest = yrltest::W32ProcessTest;

TEST_F(MessageBoxTest, BoxesAreLoggedWrittenAsOneLineAndAnsweredWithTheDefault) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(
      MessageBoxA(nullptr, "Failed to start VEK.Setup. Please enter the full path to setup.exe",
                  "Fatal Error", MB_ICONERROR),
      IDOK);
  EXPECT_EQ(
      MessageBoxA(nullptr, "two\nlines \"quoted\" C:\\x\x01", nullptr, MB_YESNO | MB_DEFBUTTON2),
      IDNO);
  std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out,
            "MessageBoxA caption=\"Fatal Error\" type=0x00000010 text=\"Failed to start VEK.Setup. "
            "Please enter the full path to setup.exe\"\n"
            "MessageBoxA caption=\"\" type=0x00000104 text=\"two\\nlines \\\"quoted\\\" "
            "C:\\\\x\\x01\"\n");
  ASSERT_EQ(message_box_testing_count(), 2);
  MessageBoxRecord first = message_box_testing_entry(0);
  EXPECT_EQ(first.text, "Failed to start VEK.Setup. Please enter the full path to setup.exe");
  EXPECT_EQ(first.caption, "Fatal Error");
  EXPECT_EQ(first.type, MB_ICONERROR);
  EXPECT_EQ(message_box_testing_entry(1).text, "two\nlines \"quoted\" C:\\x\x01");
  EXPECT_EQ(message_box_testing_entry(2).type, 0u);

  struct Case {
    UINT type;
    int answer;
  };
  testing::internal::CaptureStderr();
  for (Case c : {Case{MB_OKCANCEL, IDOK}, Case{MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
                 Case{MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}, Case{MB_RETRYCANCEL, IDRETRY}})
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", c.type), c.answer) << c.type;
  testing::internal::GetCapturedStderr();
  message_box_testing_reset();
  EXPECT_EQ(message_box_testing_count(), 0);
}

}  // namespace
