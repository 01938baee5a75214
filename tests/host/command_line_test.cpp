// yrlhost's command line, read without starting anything.
#include "host/program/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool parse(std::vector<const char*> args, yrlhost::HostCommandLine& line, std::string& error) {
  args.insert(args.begin(), "yrlhost");
  return yrlhost::host_command_line_parse(static_cast<int>(args.size()), args.data(), line, error);
}

TEST(HostCommandLine, EveryOptionSetsItsPartOfTheSession) {
  yrlhost::HostCommandLine line;
  std::string error;
  ASSERT_TRUE(parse({"--plugin", "p.so", "--version", "24", "--build", "2002200", "--lang", " +6",
                     "--context", "-3", "--text-dir", "text", "--scenario", "s.txt", "--lang", "1",
                     "--svg", "pictures"},
                    line, error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(line.options.plugin_path, "p.so");
  EXPECT_EQ(line.options.version, "24");
  EXPECT_EQ(line.options.build, "2002200");
  EXPECT_EQ(line.options.language, 1) << "the last one given counts";
  EXPECT_EQ(line.options.context, -3);
  EXPECT_EQ(line.options.text_dir, "text");
  EXPECT_EQ(line.scenario_path, "s.txt");
  EXPECT_TRUE(line.pictures);
  EXPECT_EQ(line.svg_dir, "pictures");
  EXPECT_FALSE(line.help);
  EXPECT_EQ(line.options.args.size(), 19u);
  EXPECT_EQ(line.options.args.front(), "yrlhost");

  // Nothing given: the session defaults and the embedded scenario.
  ASSERT_TRUE(parse({}, line, error));
  const yrlhost::SessionOptions defaults = yrlhost::session_defaults();
  EXPECT_EQ(line.options.plugin_path, defaults.plugin_path);
  EXPECT_EQ(line.options.text_dir, defaults.text_dir);
  EXPECT_EQ(line.scenario_path, "");
  EXPECT_FALSE(line.pictures);
}

TEST(HostCommandLine, HelpEndsTheReadingAndBadArgumentsAreNamed) {
  struct Case {
    std::vector<const char*> args;
    bool read;
    bool help;
    const char* error;
  } cases[] = {
      {{"--lang", "2", "--help", "--bogus"}, true, true, ""},
      {{"--plugin", "--help"}, true, false, ""},  // a value, not the option
      {{"--bogus", "--help"}, false, false, "unknown option: --bogus"},
      {{"-h"}, false, false, "unknown option: -h"},
      {{"--context"}, false, false, "missing value after: --context"},
      {{"--lang", "x1"}, false, false, "not a whole number: x1"},
      {{"--lang", "2147483648"}, false, false, "not a whole number: 2147483648"},
      {{"--context", ""}, false, false, "not a whole number: "},
  };
  for (const Case& c : cases) {
    yrlhost::HostCommandLine line;
    std::string error;
    EXPECT_EQ(parse(c.args, line, error), c.read) << c.error;
    EXPECT_EQ(line.help, c.help) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
