// The test-call report: run modes from the environment, the regression log and its
// formats, the crash mode's stop, the statistics table, the trail name and the tests'
// file names.
#include "toolkit/testreport/testreport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/plugin/call_log.h"
#include "tests/support/console_capture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "tests/toolkit/util/util_host_rows.h"
#include "toolkit/testreport/testreport_testing.h"

namespace {

using yrltest::ConsoleCapture;
using yrltest::ScopedEnv;
using yrltest::TempDir;

// Text padded with blanks to width columns.
std::string pad(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// The header the log starts with, up to the start time, and from the line after it.
const char kHeadTop[] =
    "# Vynkit Regression Test Log\n"
    "#--------------------------------\n"
    "# Mavrel version : 25\n"
    "# Mavrel build   : 2003100\n"
    "# Started at           : ";
const char kHeadBottom[] =
    "#\n"
    "# Vynkit Function         Called From                   Status\n"
    "#\n";

class TestReportTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    testreport_testing_reset();
    env.set("R_VYNDEV_REGRESS", nullptr);
    env.set("VYNTOOL_DEBUG", nullptr);
    env.set("VYNTOOL_LOG_DIR", dir.path().c_str());
    table_options.extra = utiltest::input_rows();
    bind_table();
  }
  void TearDown() override {
    testreport_testing_reset();
    ToolkitTest::TearDown();
  }

  // Decides the run mode from VYNTOOL_DEBUG, its banner kept out of the test's output.
  void use_mode(const char* debug) {
    env.set("VYNTOOL_DEBUG", debug);
    ConsoleCapture quiet;
    VynTestRunmodeGet();
  }
  void open_log(const char* name = "run") {
    ConsoleCapture quiet;
    VynTestErrlogOpen(name, "25", "2003100");
  }
  std::string log(const char* name = "run.log") const { return yrltest::read_file(dir.file(name)); }
  // The log without its header, which must be there in full.
  std::string body(const char* name = "run.log") const {
    std::string text = log(name);
    EXPECT_EQ(text.compare(0, sizeof kHeadTop - 1, kHeadTop), 0) << text;
    std::size_t at = text.find(kHeadBottom);
    EXPECT_NE(at, std::string::npos) << text;
    return at == std::string::npos ? text : text.substr(at + sizeof kHeadBottom - 1);
  }

  TempDir dir;
  ScopedEnv env;
};

// ---- Run modes

TEST_F(TestReportTest, RunModeFromEveryEnvironmentCase) {
  struct Case {
    const char* regress;
    const char* debug;
    int mode;
    const char* banner;
  } cases[] = {
      {nullptr, nullptr, VYN_TEST_RUNMODE_SILENT, "SILENT"},
      {nullptr, "silent", VYN_TEST_RUNMODE_SILENT, "SILENT"},
      {nullptr, "SiLeNt", VYN_TEST_RUNMODE_SILENT, "SILENT"},
      {nullptr, "crash", VYN_TEST_RUNMODE_CRASH, "CRASH"},
      {nullptr, "CRASH", VYN_TEST_RUNMODE_CRASH, "CRASH"},
      {nullptr, "stat", VYN_TEST_RUNMODE_STATISTIC, "STATISTIC"},
      {nullptr, "crash_rep", VYN_TEST_RUNMODE_CRASH_REPORT, "CRASH_REPORT"},
      {nullptr, "Crash_Rep", VYN_TEST_RUNMODE_CRASH_REPORT, "CRASH_REPORT"},
      {nullptr, "verbose", VYN_TEST_RUNMODE_REPORT, "REPORT"},
      {nullptr, "", VYN_TEST_RUNMODE_REPORT, "REPORT"},
      {nullptr, "crash ", VYN_TEST_RUNMODE_REPORT, "REPORT"},
      {"no_crash", nullptr, VYN_TEST_RUNMODE_REPORT, nullptr},
      {"NO_CRASH", nullptr, VYN_TEST_RUNMODE_CRASH, nullptr},
      {"", nullptr, VYN_TEST_RUNMODE_CRASH, nullptr},
      {"yes", "silent", VYN_TEST_RUNMODE_CRASH, nullptr},
      {"no_crash", "stat", VYN_TEST_RUNMODE_REPORT, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.regress ? c.regress : "(unset)") << " / "
                                    << (c.debug ? c.debug : "(unset)"));
    testreport_testing_reset();
    env.set("R_VYNDEV_REGRESS", c.regress);
    env.set("VYNTOOL_DEBUG", c.debug);
    ConsoleCapture console;
    EXPECT_EQ(VynTestRunmodeGet(), c.mode);
    std::string banner = c.banner ? std::string("\n   Vynkit Run Mode ") + c.banner + "\n\n" : "";
    EXPECT_EQ(console.out(), banner);
  }
}

TEST_F(TestReportTest, ModeIsDecidedOnceAndSilentReportsDoNothing) {
  ConsoleCapture console;
  VynTestErrlogOpen("run", "25", "2003100");  // the silent mode opens no log
  VynTestCallReport("VynSelect()", "Caller()", -1, 1);
  VynTestCallReport("VynSelect()", "Caller()", 0, 0);
  env.set("VYNTOOL_DEBUG", "crash");
  EXPECT_EQ(VynTestRunmodeGet(), VYN_TEST_RUNMODE_SILENT);
  EXPECT_EQ(console.out(), "\n   Vynkit Run Mode SILENT\n\n");
  EXPECT_FALSE(yrltest::read_file(dir.file("run.log")).size());
  EXPECT_TRUE(yrlhost::call_log_of("MavrelAbort_v").empty());
}

// ---- The regression log

TEST_F(TestReportTest, ReportModeWritesEveryCallUnderTheHeader) {
  use_mode("report");
  char argv0[] = "host", argv1[] = "-x+trail:trl1.txt", argv2[] = "a+trail:dir:t.txt";
  char* argv[] = {argv0, argv1, argv2};
  VynUtilCommandLineParse(3, argv);
  open_log();
  VynTestCallReport("VynPntTrfEval()", "VynUtilPointTrans()", 0, 0);
  VynTestCallReport("VynSelect()", "AVeryLongCallingFunctionNameOfFortyOneCh()", -14, 1);
  VynTestCallReport("VynMdlCurrentGet()", "X()", 5, 1);
  std::string text = log();
  EXPECT_NE(text.find("# Trail file name      : dir:t.txt\n#\n"), std::string::npos) << text;
  // The start time as ctime writes it: "Www Mmm dd hh:mm:ss yyyy\n".
  std::size_t time_at = sizeof kHeadTop - 1;
  ASSERT_GT(text.size(), time_at + 25);
  EXPECT_EQ(text[time_at + 24], '\n');
  EXPECT_EQ(body(),
            pad("VynPntTrfEval()", 37) + " " + pad("VynUtilPointTrans()", 37) + " 0\n" +
                pad("VynSelect()", 37) + " " + "AVeryLongCallingFunctionNameOfFortyOn" +
                "-14\n" + pad("VynMdlCurrentGet()", 37) + " " + pad("X()", 37) + " 5\n");
}

TEST_F(TestReportTest, LogNameIsCutAtItsFirstDotInACopy) {
  use_mode("report");
  char name[] = "tests.v1.txt";
  {
    ConsoleCapture console;
    VynTestErrlogOpen(name, "25", "2003100");
    EXPECT_EQ(console.out(), "   Logfile dir : " + dir.path() + "/\n");
  }
  EXPECT_STREQ(name, "tests.v1.txt");
  VynTestErrlogWrite("line\n");
  EXPECT_EQ(body("tests.log"), "line\n");

  // A directory that already ends in "/" gets no second one; no name gives "regtest".
  testreport_testing_reset();
  use_mode("report");
  env.set("VYNTOOL_LOG_DIR", (dir.path() + "/").c_str());
  {
    ConsoleCapture console;
    VynTestErrlogOpen(nullptr, "25", "2003100");
    EXPECT_EQ(console.out(), "   Logfile dir : " + dir.path() + "/\n");
  }
  VynTestErrlogWrite("again\n");
  EXPECT_EQ(body("regtest.log"), "again\n");

  // Without a log directory the log goes to the current directory.
  testreport_testing_reset();
  use_mode("report");
  env.set("VYNTOOL_LOG_DIR", nullptr);
  yrltest::InTempDir here;
  {
    ConsoleCapture console;
    VynTestErrlogOpen("here.log", "25", "2003100");
    EXPECT_EQ(console.out(), "   Logfile dir : \n");
  }
  VynTestErrlogWrite("x\n");
  VynTestErrlogClose();
  EXPECT_NE(yrltest::read_file(here.path() + "/here.log").find(kHeadBottom), std::string::npos);
}

TEST_F(TestReportTest, EveryLineReachesTheFileAndCloseEndsTheLog) {
  use_mode("report");
  open_log();
  VynTestErrlogWrite("one\n");
  EXPECT_EQ(body(), "one\n");  // on disk before the log is closed
  VynTestErrlogClose();
  VynTestErrlogWrite("dropped\n");
  VynTestCallReport("VynA()", "B()", 0, 0);
  EXPECT_EQ(body(), "one\n");
  VynTestErrlogReopen();
  VynTestErrlogWrite("two\n");
  EXPECT_EQ(body(), "one\ntwo\n");
  // Opening again appends a second header.
  VynTestErrlogClose();
  open_log();
  std::string text = log();
  EXPECT_NE(text.find("two\n# Vynkit Regression Test Log\n"), std::string::npos) << text;
}

TEST_F(TestReportTest, OverlongTextsAreBounded) {
  use_mode("report");
  // A log path beyond the kept length opens no log.
  std::string deep = dir.path() + "/" + std::string(VYN_TEST_PATH_SIZE, 'd');
  env.set("VYNTOOL_LOG_DIR", deep.c_str());
  open_log();
  VynTestCallReport("VynA()", "B()", 0, 0);  // dropped, no crash

  // A trail name is cut to its buffer; a function text too long for the line is cut
  // and the line still ends in a newline.
  testreport_testing_reset();
  use_mode("report");
  env.set("VYNTOOL_LOG_DIR", dir.path().c_str());
  std::string trail = "+trail:" + std::string(2 * VYN_TEST_PATH_SIZE, 't');
  char argv0[] = "host";
  char* argv[] = {argv0, trail.data()};
  VynUtilCommandLineParse(2, argv);
  open_log();
  std::string text = log();
  EXPECT_NE(text.find("# Trail file name      : " + std::string(VYN_TEST_PATH_SIZE - 1, 't') + "\n#\n"),
            std::string::npos);
  std::string function(150, 'f');
  VynTestCallReport(function.c_str(), "B()", -1, 1);
  EXPECT_EQ(body(), std::string(VYN_TEST_LINE_SIZE - 2, 'f') + "\n");
}

TEST_F(TestReportTest, CommandLineTakesTheLastTrailArgument) {
  use_mode("report");
  char a0[] = "+trail:ignored-as-argv0", a1[] = "+trail:first", a2[] = "plain",
       a3[] = "x+trail:last:one", a4[] = "+trail";
  char* argv[] = {a0, a1, a2, a3, a4};
  EXPECT_EQ(VynUtilCommandLineParse(5, argv), 0);
  open_log();
  EXPECT_NE(log().find("# Trail file name      : last:one\n"), std::string::npos);
  EXPECT_EQ(VynUtilCommandLineParse(0, nullptr), 0);
}

// ---- Crash modes

TEST_F(TestReportTest, CrashModeStopsTheHostOnlyOnUnexpectedFailures) {
  use_mode("crash");
  open_log();
  ConsoleCapture console;
  VynTestCallReport("VynSelect()", "Pick()", -3, 1);             // permitted
  VynTestCallReport("VynModelitemNameGet()", "Name()", -4, 1);  // permitted
  VynTestCallReport("VynSelect()", "Pick()", -1, 0);             // flag clear
  EXPECT_TRUE(yrlhost::call_log_of("MavrelAbort_v").empty());
  EXPECT_EQ(console.out(), "");

  VynTestCallReport("VynSelect()", "Pick()", -1, 1);
  EXPECT_EQ(yrlhost::call_log_of("MavrelAbort_v").size(), 1u);
  EXPECT_EQ(console.out(),
            "\n*** CRASHING Vynkit TEST ***\n"
            "    Function         : VynSelect()\n"
            "    Calling function : Pick()\n"
            "    Status           : -1\n");
  std::string line = pad("VynSelect()", 37) + " " + pad("Pick()", 37);
  std::string name_line = pad("VynModelitemNameGet()", 37) + " " + pad("Name()", 37) + "-4\n";
  EXPECT_EQ(body(), line + "-3\n" + name_line + line + "-1\n" + line + "-1\n" + "** CRASHED **\n");
  // The log is closed: nothing more reaches it.
  VynTestErrlogWrite("after\n");
  EXPECT_EQ(body().find("after"), std::string::npos);
}

TEST_F(TestReportTest, CrashWithoutALogStillStops) {
  use_mode("CRASH");
  ConsoleCapture console;
  VynTestCallReport("VynGraphicsColorSet()", "Paint()", -12, 1);  // permitted
  VynTestCallReport("VynGraphicsColorSet()", "Paint()", -11, 1);
  EXPECT_EQ(yrlhost::call_log_of("MavrelAbort_v").size(), 1u);
  EXPECT_NE(console.out().find("*** CRASHING Vynkit TEST ***"), std::string::npos);
}

TEST_F(TestReportTest, CrashReportModeWritesOnlyFailuresThatStayFlagged) {
  use_mode("crash_rep");
  open_log();
  VynTestCallReport("VynA()", "B()", 0, 0);
  VynTestCallReport("VynLinestyleSet()", "B()", -12, 1);  // permitted
  VynTestCallReport("VynA()", "B()", -4, 0);               // expected by the caller
  VynTestCallReport("VynA()", "B()", -2, 1);
  EXPECT_EQ(body(), pad("VynA()", 37) + " " + pad("B()", 37) + "-2\n");
  EXPECT_TRUE(yrlhost::call_log_of("MavrelAbort_v").empty());
}

// ---- Statistics

// The row the close writes for a statistics row.
std::string stat_row(const std::string& name, const std::string& status,
                     const std::string& count) {
  return pad(name, 37) + pad("internal()", 20) + pad(status, 6) + pad(count, 6) + "\n";
}

TEST_F(TestReportTest, StatisticsCountCallsByNameAndStatus) {
  use_mode("stat");
  EXPECT_EQ(VynTestStatisticWrite("VynA()", "B()", 0), 0);  // no log yet
  open_log();
  EXPECT_EQ(yrlhost::call_log_of("VynArrayAlloc_v").size(), 1u);
  // 39 and 38 characters: both kept as their first 34 followed by "..".
  const std::string long1 = "VynAVeryLongFunctionNameThatGoesOnAnd()";
  const std::string long2 = "VynAVeryLongFunctionNameThatGoesOn()..";
  ASSERT_EQ(long2.size(), 38u);
  VynTestCallReport("VynMdlCurrentGet()", "Any()", 0, 0);
  VynTestCallReport("VynA()", "B()", -1, 1);
  VynTestCallReport(long1.c_str(), "B()", 0, 0);
  VynTestCallReport("VynA()", "C()", 0, 0);
  VynTestCallReport("VynA()", "B()", -1, 1);
  VynTestErrlogWrite("# mid\n");  // the close-and-reopen of a write keeps the table
  VynTestCallReport(long1.c_str(), "D()", 0, 0);
  VynTestCallReport("VynMdlCurrentGet()", "Any()", 0, 0);
  EXPECT_EQ(VynTestStatisticWrite("VynA()", "ignored", -1), 1);
  VynTestCallReport("VynA()", "B()", 3, 1);
  VynTestCallReport("VynA()", "B()", -5, 1);
  VynTestCallReport(long2.c_str(), "B()", 0, 0);
  VynTestErrlogClose();
  std::string kept = long1.substr(0, 34) + "..";
  EXPECT_EQ(body(), "# mid\n" + stat_row("VynA()", "-5", " 1") + stat_row("VynA()", "-1", " 3") +
                        stat_row("VynA()", " 0", " 1") + stat_row("VynA()", " 3", " 1") +
                        stat_row(kept, " 0", " 3") + stat_row("VynMdlCurrentGet()", " 0", " 2"));
  EXPECT_EQ(yrlhost::call_log_of("VynArrayFree_v").size(), 1u);
  // Closed: nothing more is counted.
  EXPECT_EQ(VynTestStatisticWrite("VynA()", "B()", 0), 0);
}

TEST_F(TestReportTest, StatisticOrder) {
  VynTestStatisticRow a{1, 0, "VynA()"};
  VynTestStatisticRow b{9, -1, "VynB()"};
  VynTestStatisticRow a_neg{1, -3, "VynA()"};
  EXPECT_LT(VynTestStatisticCmp(&a, &b), 0);
  EXPECT_GT(VynTestStatisticCmp(&b, &a), 0);
  EXPECT_LT(VynTestStatisticCmp(&a_neg, &a), 0);
  EXPECT_GT(VynTestStatisticCmp(&a, &a_neg), 0);
  EXPECT_EQ(VynTestStatisticCmp(&a, &a), 0);
  // Names differing only beyond their kept characters compare equal.
  VynTestStatisticRow x{1, 0, {}};
  VynTestStatisticRow y{1, 0, {}};
  std::string same(VYN_TEST_NAME_KEEP, 'n');
  std::memcpy(x.name, (same + "x").c_str(), VYN_TEST_NAME_KEEP + 2);
  std::memcpy(y.name, (same + "y").c_str(), VYN_TEST_NAME_KEEP + 2);
  EXPECT_EQ(VynTestStatisticCmp(&x, &y), 0);
}

// ---- Test file names

TEST_F(TestReportTest, QcrNameFromTheModelOrNomodel) {
  use_mode("silent");
  char out[64];
  EXPECT_EQ(VynTestQcrName(nullptr, ".dat", out, sizeof out), out);
  EXPECT_STREQ(out, "nomodel.dat");
  EXPECT_EQ(utiltest::script().data_asked_for.size(), 0u);

  utiltest::script().name = u"BRACKET";
  utiltest::script().type = u"PRT";
  VynMdl model = reinterpret_cast<VynMdl>(0x1234);
  EXPECT_EQ(VynTestQcrName(model, "_t.txt", out, sizeof out), out);
  EXPECT_STREQ(out, "bracket_t.txt");
  EXPECT_EQ(utiltest::script().data_asked_for, std::vector<VynMdl>({model}));

  utiltest::script().data_status = -1;
  VynTestQcrName(model, nullptr, out, sizeof out);
  EXPECT_STREQ(out, "nomodel");

  char small[6];
  EXPECT_EQ(VynTestQcrName(nullptr, ".dat", small, sizeof small), small);
  EXPECT_STREQ(small, "nomod");
  EXPECT_EQ(VynTestQcrName(nullptr, ".dat", nullptr, 10), nullptr);
  EXPECT_EQ(VynTestQcrName(nullptr, ".dat", small, 0), nullptr);
}

}  // namespace
