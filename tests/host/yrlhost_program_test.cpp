// The yrlhost program, run as a process: its report and its exit codes.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/util/text_read.h"
#include "tests/host/svg_check.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

struct ProgramRun {
  int exit_code = -1;
  std::string out;  // stdout and stderr together
};

// Runs yrlhost with args in the working directory cwd ("" for the test's own), under a
// limit of the size of the files it writes when one is given.
ProgramRun run_yrlhost(const std::vector<std::string>& args, const std::string& cwd = "",
                       rlim_t file_size_limit = RLIM_INFINITY) {
  ProgramRun run;
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[1]);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());

  std::vector<std::string> words{YRL_HOST_PROGRAM_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The child inherits the limit; the test writes nothing while it holds it.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = std::min(file_size_limit, saved.rlim_max);
  setrlimit(RLIMIT_FSIZE, &limited);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  setrlimit(RLIMIT_FSIZE, &saved);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  if (spawned == 0) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipe_ends[0], buffer, sizeof buffer)) > 0) run.out.append(buffer, n);
    int wait_status = 0;
    if (waitpid(pid, &wait_status, 0) == pid && WIFEXITED(wait_status))
      run.exit_code = WEXITSTATUS(wait_status);
  }
  close(pipe_ends[0]);
  return run;
}

TEST(YrlhostProgram, ReportsTheStartAndExitsByItsOutcome) {
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string out;
  };
  const Case cases[] = {
      {{}, 0, "status: 0\nrelease: Release 25\n"},
      {{"--build", "2002200", "--context", "3", "--lang", "6"},
       1,
       "status: -96\nrelease: Release 25\nerror: Release 25|2002360\n"},
      {{"--version", "24"}, 1, "status: -98\nrelease: Release 24\nerror: Release 25|0\n"},
  };
  // The default scenario saves its drawing and part in the working directory.
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  for (const Case& c : cases) {
    ProgramRun run = run_yrlhost(c.args, dir.string());
    EXPECT_EQ(run.exit_code, c.exit_code) << run.out;
    // A started plug-in goes on with the default scenario, whose report follows.
    if (c.exit_code == 0) {
      EXPECT_EQ(run.out.substr(0, c.out.size()), c.out);
      // The bracket road: its three solid features, no script failure, its files saved.
      for (const char* text : {"PROTRUSION", "CUT", "HOLE", "saved BRACKET_DRW to bracket.drw",
                               "\nscript failures: 0\n"})
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
      for (const char* file : {"bracket.drw", "BRACKET.prt", "BRACKET.brep"})
        EXPECT_TRUE(std::filesystem::exists(dir / file)) << file;
    } else
      EXPECT_EQ(run.out, c.out);
  }
}

// Fault: a save wrote its files in place, so that a save beyond the file-size limit cut
// the old drawing (or ended the program). Under a limit the default road's save (the
// drawing, its part and the part's solid) fails as a whole: the report says so, the exit
// code is 1, and the files of an earlier save are left as they were, with nothing else
// beside them.
TEST(YrlhostProgram, ASaveBeyondTheFileSizeLimitKeepsTheOldFiles) {
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  const std::pair<const char*, const char*> old_files[] = {
      {"bracket.drw", "the old drawing\n"}, {"BRACKET.prt", "the old part\n"}, {"BRACKET.brep", "the old solid\n"}};
  for (const auto& [name, text] : old_files) std::ofstream(dir / name) << text;
  // The part file is smaller than the limit, the drawing and the solid larger.
  ProgramRun run = run_yrlhost({}, dir.string(), 4096);
  EXPECT_EQ(run.exit_code, 1) << run.out;
  EXPECT_NE(run.out.find("cannot save BRACKET_DRW: ./BRACKET.brep: cannot be written (File too large)"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nscript failures: 0\n"), std::string::npos) << run.out;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    ++files;
    std::string text;
    ASSERT_TRUE(yrlhost::file_text_read(entry.path().string(), text));
    bool old = false;
    for (const auto& [name, old_text] : old_files)
      old = old || (entry.path().filename() == name && text == old_text);
    EXPECT_TRUE(old) << entry.path();
  }
  EXPECT_EQ(files, 3);
}

// The plug-in gets the path as given and finds its own file by it for the version walk
// (without it the error text would be "Release 25|0"); a bare file name is the file in
// the working directory, not one on the library path.
TEST(YrlhostProgram, APluginPathRelativeToTheWorkingDirectory) {
  const std::filesystem::path plugin = YRL_PLUGIN_PATH;
  const std::string expected = "status: -96\nrelease: Release 25\nerror: Release 25|2002360\n";
  ProgramRun run = run_yrlhost(
      {"--plugin", std::filesystem::relative(plugin).string(), "--build", "2002200"});
  EXPECT_EQ(run.exit_code, 1) << run.out;
  EXPECT_EQ(run.out, expected);

  run = run_yrlhost({"--plugin", plugin.filename().string(), "--build", "2002200"},
                    plugin.parent_path().string());
  EXPECT_EQ(run.exit_code, 1) << run.out;
  EXPECT_EQ(run.out, expected);
}

TEST(YrlhostProgram, BadOptionsAndAMissingPluginExitWithTwoAndSayWhy) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"--bogus"}, "yrlhost: unknown option: --bogus"},
      {{"--lang"}, "yrlhost: missing value after: --lang"},
      {{"--context", "1x"}, "yrlhost: not a whole number: 1x"},
      {{"--lang", "99999999999"}, "yrlhost: not a whole number: 99999999999"},
      {{"--plugin", "/nonexistent/libyrlform.so"},
       "yrlhost: cannot load the plug-in /nonexistent/libyrlform.so"},
      {{"--svg"}, "yrlhost: missing value after: --svg"},
      {{"--svg", ""}, "yrlhost: --svg: an empty directory name"},
      {{"--svg", "/dev/null"}, "yrlhost: --svg: /dev/null: not a directory"},
  };
  for (const Case& c : cases) {
    ProgramRun run = run_yrlhost(c.args);
    EXPECT_EQ(run.exit_code, 2) << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("status:"), std::string::npos) << run.out;
  }
}

// An empty scenario, whether an empty file or a device that gives no bytes, runs and
// does nothing; what cannot be read or parsed exits with 2 and names the file and line.
TEST(YrlhostProgram, ScenarioFilesEmptyUnreadableAndWithNulBytes) {
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  const std::filesystem::path empty = dir / "empty.txt";
  const std::filesystem::path nul = dir / "nul.txt";
  {
    std::ofstream(empty, std::ios::binary).flush();
    std::ofstream out(nul, std::ios::binary);
    out << "# first\nmenu YrlMenuBar Yrl" << '\0' << "About\n";
  }
  struct Case {
    std::string path;
    int exit_code;
    std::string says;
  };
  const Case cases[] = {
      {empty.string(), 0, "script failures: 0\n"},
      {"/dev/null", 0, "script failures: 0\n"},
      {dir.string(), 2, "yrlhost: cannot read the scenario " + dir.string() + "\n"},
      {(dir / "missing.txt").string(), 2, "yrlhost: cannot read the scenario "},
      {nul.string(), 2, "yrlhost: " + nul.string() + ": line 2: a NUL byte in the line\n"},
  };
  for (const Case& c : cases) {
    ProgramRun run = run_yrlhost({"--scenario", c.path});
    EXPECT_EQ(run.exit_code, c.exit_code) << c.path << "\n" << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << c.path << "\n" << run.out;
    if (c.exit_code == 0) {
      EXPECT_EQ(run.out.find("user:"), std::string::npos) << run.out;
    }
  }
}

TEST(YrlhostProgram, HelpListsTheOptions) {
  ProgramRun run = run_yrlhost({"--help"});
  EXPECT_EQ(run.exit_code, 0);
  for (const char* option :
       {"--plugin PATH", "--version V", "--build B", "--lang N", "--context N", "--text-dir D",
        "--scenario FILE", "--svg DIR"})
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

}  // namespace

namespace {

// A scenario in dir that opens the drawing PLATE (in millimetres) with the entity lines
// given; its path.
std::filesystem::path plate_scenario(const std::filesystem::path& dir, const std::string& entities) {
  std::filesystem::create_directories(dir);
  const std::filesystem::path scenario = dir / "scenario.txt";
  std::ofstream(scenario) << "begin drawing\n"
                             "yrlhost-model 1\ntype drawing\nname PLATE\nunits MM\n"
                          << entities << "end\nend drawing\n";
  return scenario;
}

// After the scenario, each model is reported with its content.
TEST(YrlhostProgram, TheReportShowsTheModelsWithTheirContent) {
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  const std::filesystem::path scenario = plate_scenario(
      dir, "entity 1 1 background 0 rgb 1 0 0 line 0 0 0 10 0 0\n"
           "entity 2 1 background 0 default arc 1 0 0 0 1 0 5 5 0 0 6.283185307179586 2\n");
  ProgramRun run = run_yrlhost({"--scenario", scenario.string()});
  EXPECT_EQ(run.exit_code, 0) << run.out;
  const std::string report =
      "models:\n"
      "  drawing PLATE (MM), current sheet 1\n"
      "    sheets:\n"
      "      sheet size scale transform\n"
      "      1     A    1     1 0 0 0 / 0 1 0 0 / 0 0 1 0 / 0 0 0 1\n"
      "    models and scales: none\n"
      "    views: none\n"
      "    entities:\n"
      "      id sheet view       colour    hidden curve\n"
      "      1  1     background rgb 1 0 0 no     line (0, 0, 0) (10, 0, 0)\n"
      "      2  1     background default   no     circle (5, 5, 0) radius 2\n";
  EXPECT_NE(run.out.find(report), std::string::npos) << run.out;
}

// With --svg, each window's picture is written after the scenario and listed; the
// directory is made when missing. A plug-in that refuses to start runs no scenario and
// gets no pictures; a picture that cannot be written exits with 2.
TEST(YrlhostProgram, PicturesOfTheWindowsAfterTheScenario) {
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  const std::filesystem::path scenario = plate_scenario(
      dir, "entity 1 1 background 0 rgb 1 0 0 line 0 0 0 10 0 0\n"
           "entity 2 1 background 0 type 3 arc 1 0 0 0 1 0 5 5 0 0 6.283185307179586 2\n"
           "entity 3 1 background 1 default point 20 20 0\n");
  const std::filesystem::path pictures = dir / "pictures" / "new";
  const std::string picture = (pictures / "window1.svg").string();

  ProgramRun run = run_yrlhost({"--scenario", scenario.string(), "--svg", pictures.string()});
  EXPECT_EQ(run.exit_code, 0) << run.out;
  EXPECT_NE(run.out.find("script failures: 0\npictures:\n  " + picture +
                         ": 2 drawn, 0 highlighted, 0 left out\n"),
            std::string::npos)
      << run.out;
  std::string svg;
  ASSERT_TRUE(yrlhost::file_text_read(picture, svg));
  EXPECT_EQ(yrltest::svg_problems(svg), "");
  EXPECT_NE(svg.find("<title>window 1: PLATE</title>"), std::string::npos) << svg;
  EXPECT_NE(svg.find("viewBox=\"-0.5 -7.5 11 8\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\" stroke=\"#ff0000\"/>\n"
                     "<circle cx=\"5\" cy=\"-5\" r=\"2\" stroke=\"#0000e0\"/>\n</g>"),
            std::string::npos)
      << svg;

  std::filesystem::remove(picture);
  run = run_yrlhost({"--scenario", scenario.string(), "--svg", pictures.string(), "--version", "24"});
  EXPECT_EQ(run.exit_code, 1) << run.out;
  EXPECT_EQ(run.out.find("pictures:"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(picture));

  std::filesystem::create_directories(picture);
  run = run_yrlhost({"--scenario", scenario.string(), "--svg", pictures.string()});
  EXPECT_EQ(run.exit_code, 2) << run.out;
  EXPECT_NE(run.out.find("yrlhost: " + picture + ": cannot be written\n"), std::string::npos)
      << run.out;
}

}  // namespace

namespace {

// Fault: a part file whose count runs past its lines was told as "cannot open the drawing
// of line 1: ...: level "end" is not an integer". The event names what failed (the file
// of the line, which may hold a part) and the count that runs past, with its line; a
// part that opens is told as a part.
TEST(YrlhostProgram, APartFileThatDoesNotReadIsToldWhatIsWrong) {
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  const std::string part = "yrlhost-model 1\ntype part\nname P\nfeature 1 917 0 1\ntree 3\n0 386\n";
  std::ofstream(dir / "cut.prt") << part << "sketch 0\ndatums\nend\n";
  std::ofstream(dir / "good.prt") << "yrlhost-model 1\ntype part\nname G\nend\n";
  std::ofstream(dir / "scenario.txt") << "open cut.prt\nopen good.prt\n";
  ProgramRun run = run_yrlhost({"--scenario", (dir / "scenario.txt").string()});
  EXPECT_EQ(run.exit_code, 1) << run.out;
  for (const std::string& says :
       {"  cannot open the file of line 1: " + (dir / "cut.prt").string() +
            ":5: the tree's count, 3, runs past its lines: line 7 is \"sketch 0\"\n",
        std::string("  part G is open\n")})
    EXPECT_NE(run.out.find(says), std::string::npos) << says << "\n" << run.out;
}

// A scenario opens DXF drawings: what the import does not take is told among the
// events; a file that cannot be read is an input that cannot be read (exit code 2),
// with its line, and the run goes on to its report.
TEST(YrlhostProgram, ScenariosOpenDxfDrawings) {
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  const std::string fixtures = YRL_HOST_DXF_DIR;
  {
    std::ofstream garbage(dir / "garbage.dxf", std::ios::binary);
    for (int i = 0; i < 256; ++i) garbage << static_cast<char>(i * 7);
  }
  struct Case {
    std::string scenario;
    int exit_code;
    std::vector<std::string> says;
  };
  const Case cases[] = {
      {"open " + fixtures + "/every_kind.dxf\n",
       0,
       {"events:\n  drawing every_kind is open\n",
        "  drawing every_kind (MM), current sheet 1\n",
        "      5  1     background rgb 0.2 0.4 0.6 no     circle (20, 30, 0) radius 5\n",
        "      14 1     background rgb 1 1 0 free at (5, 5, 0)  \"Part \u230010\"\n",
        "      16 1     background 9    100   (50, -10, 0) 1/1,2/1  \"100\"\n"}},
      {"open " + fixtures + "/unsupported.dxf\n",
       0,
       {"  " + fixtures + "/unsupported.dxf: entities not imported: 1 ATTRIB, 1 CIRCLE (not in the sheet plane), "
        "1 DIMENSION (ordinate), 2 HATCH, 1 LINE (paper space)\n"
        "  drawing unsupported is open\n",
        "  drawing unsupported (INCH), current sheet 1\n"}},
      {"drawing FIRST\nopen " + fixtures + "/truncated.dxf\n",
       2,
       {"  cannot open the file of line 2: " + fixtures +
            "/truncated.dxf:39: group 40 has no value: the file is cut short\n",
        "models:\n  drawing FIRST (INCH)", "script failures: 0\n"}},
      {"open garbage.dxf\n", 2, {"  cannot open the file of line 1: " + (dir / "garbage.dxf").string() + ":1: \""}},
  };
  for (const Case& c : cases) {
    const std::filesystem::path scenario = dir / "scenario.txt";
    std::ofstream(scenario) << c.scenario;
    ProgramRun run = run_yrlhost({"--scenario", scenario.string()});
    EXPECT_EQ(run.exit_code, c.exit_code) << run.out;
    for (const std::string& says : c.says) EXPECT_NE(run.out.find(says), std::string::npos) << says << "\n" << run.out;
  }
}

}  // namespace
