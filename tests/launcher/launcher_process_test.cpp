// trovask run as a process on a medium in a scratch directory, with its own registry
// file, starting the stand-in setup program; each test checks what the stand-in
// recorded (its program, command line, arguments and environment), the launcher's exit
// code and standard error, and the splash's record.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char kFailedStart[] = "Failed to start VEK.Setup. Please enter the full path to setup.exe";

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The Windows name of a POSIX path on the stand-in's default drive table (C: is "/").
std::string windows_name(const fs::path& path) {
  std::string text = "C:" + path.string();
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}

struct Outcome {
  int exit_code = -1;
  std::string err;
  std::map<std::string, std::string> record;  // empty when the stand-in did not run
  std::string ui_log;
};

class Medium : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("YRL_TEST_TMP");
    fs::path root = base != nullptr && *base != '\0' ? base : "/tmp";
    fs::create_directories(root);
    std::string pattern = (root / "trovask-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
    root_ = fs::canonical(name.data());
    medium_ = root_ / "medium";
    temp_ = root_ / "temp";
    fs::create_directories(medium_);
    fs::create_directories(temp_);
  }
  void TearDown() override {
    for (pid_t pid : stay_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // The stand-in setup program where the launcher looks for it.
  fs::path install_setup(const std::string& machine = "i486_nt") {
    fs::path dir = medium_ / "dsrc";
    if (!machine.empty()) dir /= machine;
    dir /= "obj";
    fs::create_directories(dir);
    fs::copy_file(YRL_VEKSETUP_PATH, dir / "veksetup.exe", fs::copy_options::overwrite_existing);
    return dir / "veksetup.exe";
  }

  std::string launcher_name(const std::string& file = "trovask.exe") const {
    return windows_name(medium_ / file);
  }

  // Starts program with argv0, the environment and cwd; returns its pid. The standard
  // error goes to err_path.
  pid_t spawn(const char* program, const std::map<std::string, std::string>& env,
              const fs::path& cwd, const fs::path& err_path) {
    std::vector<std::string> env_text;
    for (const auto& [name, value] : env) env_text.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& s : env_text) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string argv0 = program;
    char* argv[] = {argv0.data(), nullptr};
    pid_t pid = fork();
    if (pid == 0) {
      int fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) dup2(fd, 2);
      if (chdir(cwd.c_str()) != 0) _exit(126);
      execve(program, argv, envp.data());
      _exit(127);
    }
    return pid;
  }

  std::map<std::string, std::string> base_env() const {
    std::map<std::string, std::string> env;
    env["PATH"] = "/usr/bin:/bin";
    env["YRL_W32_REGISTRY"] = (root_ / "registry.txt").string();
    env["YRL_VEKSETUP_RECORD"] = (root_ / "record.txt").string();
    env["YRL_UI_LOG"] = (root_ / "ui.log").string();
    env["TEMP"] = windows_name(temp_);
    return env;
  }

  static int wait_for(pid_t pid) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the process did not end";
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  static std::map<std::string, std::string> parse_record(const std::string& text) {
    std::map<std::string, std::string> record;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind("env ", 0) == 0) {
        std::string rest = line.substr(4);
        std::size_t eq = rest.find('=');
        std::size_t blank = rest.find(' ');
        if (eq != std::string::npos && (blank == std::string::npos || eq < blank))
          record["env " + rest.substr(0, eq)] = rest.substr(eq + 1);
        continue;  // unset: no entry
      }
      std::size_t eq = line.find('=');
      if (eq != std::string::npos) record[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return record;
  }

  // Runs trovask with command_line as the line it was started with.
  Outcome run(const std::string& command_line, std::map<std::string, std::string> extra = {},
          const fs::path& cwd = fs::path()) {
    std::map<std::string, std::string> env = base_env();
    env["YRL_W32_COMMAND_LINE"] = command_line;
    for (const auto& [name, value] : extra) env[name] = value;
    fs::path err_path = root_ / "stderr.txt";
    pid_t pid = spawn(YRL_TROVASK_PATH, env, cwd.empty() ? root_ : cwd, err_path);
    Outcome result;
    result.exit_code = wait_for(pid);
    result.err = read_file(err_path);
    if (fs::exists(root_ / "record.txt")) result.record = parse_record(read_file(root_ / "record.txt"));
    result.ui_log = read_file(root_ / "ui.log");
    fs::remove(root_ / "record.txt");
    fs::remove(root_ / "ui.log");
    return result;
  }

  // Starts the stand-in directly, publishing value (empty: its own id) under key, and
  // staying alive; returns its pid once it has published.
  pid_t start_running_setup(const std::string& key, const char* value = nullptr) {
    std::map<std::string, std::string> env = base_env();
    env["YRL_VEKSETUP_RECORD"] = (root_ / "running.txt").string();
    env["YRL_VEKSETUP_PUBLISH_KEY"] = key;
    env["YRL_VEKSETUP_STAY"] = "1";
    if (value != nullptr) env["YRL_VEKSETUP_PUBLISH_VALUE"] = value;
    pid_t pid = spawn(YRL_VEKSETUP_PATH, env, root_, root_ / "running.err");
    stay_.push_back(pid);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(root_ / "running.txt") && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(fs::exists(root_ / "running.txt")) << read_file(root_ / "running.err");
    return pid;
  }

  static std::vector<std::string> args(const Outcome& r) {
    std::vector<std::string> out;
    int count = r.record.count("argc") != 0 ? std::stoi(r.record.at("argc")) : 0;
    for (int i = 1; i < count; ++i) out.push_back(r.record.at("arg" + std::to_string(i)));
    return out;
  }

  static std::string env_of(const Outcome& r, const std::string& name) {
    auto it = r.record.find("env " + name);
    return it == r.record.end() ? "<unset>" : it->second;
  }

  fs::path root_;
  fs::path medium_;
  fs::path temp_;
  std::vector<pid_t> stay_;
};

using Strings = std::vector<std::string>;

TEST_F(Medium, NormalStartRunsTheSetupProgramOfTheMachineType) {
  fs::path setup = install_setup();
  // The launch waits until the splash is up, so that its record is complete.
  Outcome r = run(launcher_name() + " one two", {{"YRL_UI_SCRIPT", "hold release"}});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  ASSERT_FALSE(r.record.empty()) << r.err;
  EXPECT_EQ(r.record["program"], setup.string());
  EXPECT_EQ(r.record["command_line"],
            windows_name(medium_) + "\\dsrc\\i486_nt\\obj\\veksetup.exe  one two");
  EXPECT_EQ(args(r), (Strings{"one", "two"}));
  EXPECT_EQ(env_of(r, "VYN_MACHINE_TYPE"), "i486_nt");
  EXPECT_EQ(env_of(r, "VS_HELP"), "0");
  for (const char* name : {"LANG", "VEK_CDHOME", "DVS_DIRECTORY", "VS_DIRECTORY",
                           "USE_NEW_SELECTION_TRAILING", "VEK_SETUP_REDIRECT"})
    EXPECT_EQ(env_of(r, name), "<unset>") << name;
  EXPECT_NE(r.ui_log.find("3d controls on"), std::string::npos) << r.ui_log;
  EXPECT_NE(r.ui_log.find("dialog 102 created 141x64 units"), std::string::npos) << r.ui_log;
  EXPECT_NE(r.ui_log.find("icon 128 not found"), std::string::npos);
  EXPECT_NE(r.ui_log.find("dialog 102 set big icon 0"), std::string::npos);
  EXPECT_NE(r.ui_log.find("dialog 102 set small icon 0"), std::string::npos);
  EXPECT_EQ(r.ui_log.find("dialog 102 ended"), std::string::npos);  // the worker ended it all
}

TEST_F(Medium, ArgumentsWithBlanksAndAProgramPathWithBlanksArePassedWhole) {
  medium_ = root_ / "my cd";
  fs::create_directories(medium_);
  fs::path setup = install_setup();
  Outcome r = run("\"" + launcher_name() + "\" \"two words\" \"\" plain");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  ASSERT_FALSE(r.record.empty()) << r.err;
  EXPECT_EQ(r.record["program"], setup.string());
  EXPECT_EQ(args(r), (Strings{"two words", "", "plain"}));
}

TEST_F(Medium, LangInAnyCaseSetsLangAndIsNotPassedOn) {
  install_setup();
  for (const char* spelling : {"-lang", "-LANG", "-LaNg"}) {
    Outcome r = run(launcher_name() + " one " + spelling + " de_DE two");
    ASSERT_FALSE(r.record.empty()) << r.err;
    EXPECT_EQ(env_of(r, "LANG"), "de_DE") << spelling;
    EXPECT_EQ(args(r), (Strings{"one", "two"})) << spelling;
  }
  Outcome last = run(launcher_name() + " one -Lang", {{"LANG", "C"}});
  ASSERT_FALSE(last.record.empty()) << last.err;
  EXPECT_EQ(env_of(last, "LANG"), "C");  // left as it was
  EXPECT_EQ(args(last), (Strings{"one"}));
}

TEST_F(Medium, VekutilIsUtilityModeAndKeepsTheFollowingArgument) {
  install_setup();
  write_file(medium_ / "disk_1.txt", "Disk1\n");  // not looked for in utility mode
  Outcome r = run(launcher_name() + " word -vekutil next");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  ASSERT_FALSE(r.record.empty()) << r.err;
  EXPECT_EQ(args(r), (Strings{"word", "-vekutil", "next"}));
  std::string home = windows_name(medium_);
  EXPECT_EQ(env_of(r, "VEK_CDHOME"), home + "\\");
  EXPECT_EQ(env_of(r, "DVS_DIRECTORY"), home + "\\dsrc");
  EXPECT_EQ(env_of(r, "VS_DIRECTORY"), home + "\\dsrc");
  EXPECT_EQ(env_of(r, "USE_NEW_SELECTION_TRAILING"), "0");
  EXPECT_EQ(env_of(r, "VEK_SETUP_REDIRECT"), "<unset>");
  EXPECT_TRUE(fs::is_empty(temp_));
}

TEST_F(Medium, OwnNameVeksetupIsUtilityModeAndMsiDatAddsMsiutil) {
  install_setup();
  Outcome plain = run(launcher_name("veksetup.exe") + " x");
  ASSERT_FALSE(plain.record.empty()) << plain.err;
  EXPECT_EQ(args(plain), (Strings{"x"}));
  EXPECT_EQ(env_of(plain, "USE_NEW_SELECTION_TRAILING"), "0");

  write_file(medium_ / "MSI.DAT", "");  // names are found without regard to case
  Outcome msi = run(launcher_name("veksetup.exe") + " x");
  ASSERT_FALSE(msi.record.empty()) << msi.err;
  EXPECT_EQ(args(msi), (Strings{"x", "-msiutil"}));

  Outcome upper = run(launcher_name("VEKSETUP.EXE") + " x");
  ASSERT_FALSE(upper.record.empty()) << upper.err;
  EXPECT_EQ(args(upper), (Strings{"x"}));
  EXPECT_EQ(env_of(upper, "USE_NEW_SELECTION_TRAILING"), "<unset>");
}

TEST_F(Medium, MultiCdCopiesTheSetupProgramToATemporaryName) {
  install_setup();
  write_file(medium_ / "dsrc" / "i486_nt" / "obj" / "mfc42.dll", "library");
  write_file(medium_ / "cd_1.txt", "Disk1\n");
  Outcome r = run(launcher_name() + " a");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  ASSERT_FALSE(r.record.empty()) << r.err;
  fs::path program = r.record["program"];
  EXPECT_EQ(program.parent_path(), temp_);
  EXPECT_EQ(program.filename().string().substr(0, 3), "vek");
  EXPECT_EQ(program.filename().string().substr(program.filename().string().size() - 8), "_tmp.exe");
  EXPECT_EQ(read_file(program), read_file(YRL_VEKSETUP_PATH));
  EXPECT_EQ(env_of(r, "VEK_SETUP_REDIRECT"), windows_name(program));
  EXPECT_EQ(r.record["command_line"], windows_name(program) + " a -multicd");
  EXPECT_EQ(args(r), (Strings{"a", "-multicd"}));
  std::string home = windows_name(medium_);
  EXPECT_EQ(env_of(r, "VEK_CDHOME"), home + "\\");
  EXPECT_EQ(env_of(r, "DVS_DIRECTORY"), home + "\\dsrc");
  EXPECT_EQ(env_of(r, "VS_DIRECTORY"), home + "\\dsrc");
  EXPECT_EQ(env_of(r, "USE_NEW_SELECTION_TRAILING"), "<unset>");
  EXPECT_EQ(read_file(temp_ / "mfc42.dll"), "library");
}

TEST_F(Medium, MultiCdWithoutTheSetupProgramStartsNothingAndEndsWithOne) {
  write_file(medium_ / "cd_1.txt", "Disk1\n");
  Outcome r = run(launcher_name());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("Error: Could not copy executable to temp directory\n"), std::string::npos) << r.err;
  EXPECT_TRUE(r.record.empty());
  EXPECT_TRUE(fs::is_empty(temp_));  // the temporary name was given back
}

TEST_F(Medium, MultiCdWithoutACopyableLibraryStartsNothingAndEndsWithOne) {
  install_setup();
  write_file(medium_ / "cd_1.txt", "Disk1\n");
  // First the library is missing on the medium; then its copy in the temporary
  // directory cannot be written, as a directory of that name stands there.
  for (bool on_medium : {false, true}) {
    if (on_medium) {
      write_file(medium_ / "dsrc" / "i486_nt" / "obj" / "mfc42.dll", "library");
      fs::create_directories(temp_ / "mfc42.dll");
    }
    Outcome r = run(launcher_name());
    EXPECT_EQ(r.exit_code, 1) << on_medium;
    EXPECT_EQ(r.err, "Error: Could not copy executable to temp directory\n") << on_medium;
    EXPECT_TRUE(r.record.empty()) << on_medium;
    // The temporary copy of the setup program is removed again.
    for (const auto& entry : fs::directory_iterator(temp_))
      EXPECT_EQ(entry.path().filename(), "mfc42.dll") << on_medium;
  }
}

TEST_F(Medium, RunningSetupIsNotStartedTwice) {
  install_setup();
  write_file(medium_ / "cd_1.txt", "Disk1\r\nSub\n");
  start_running_setup("SOFTWARE\\VEK\\VEK.Setup\\Disk1\\Sub");
  for (const char* toolhelp : {"", "absent"}) {
    std::map<std::string, std::string> extra;
    if (*toolhelp != '\0') extra["YRL_W32_NO_TOOLHELP"] = "1";
    Outcome r = run(launcher_name(), extra);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(r.record.empty()) << toolhelp;
    EXPECT_TRUE(fs::is_empty(temp_)) << toolhelp;
  }
}

TEST_F(Medium, EndedOrEmptyRecordedIdIsNoRunningSetup) {
  install_setup();
  write_file(medium_ / "dsrc" / "i486_nt" / "obj" / "mfc42.dll", "library");
  write_file(medium_ / "cd_1.txt", "Disk1\n");
  // A process id that no process has (above the kernel's limit), an empty one and one
  // that is no number.
  for (const char* id : {"2147483646", "", "junk"}) {
    start_running_setup("SOFTWARE\\VEK\\VEK.Setup\\Disk1", id);
    for (const char* toolhelp : {"", "absent"}) {
      std::map<std::string, std::string> extra;
      if (*toolhelp != '\0') extra["YRL_W32_NO_TOOLHELP"] = "1";
      Outcome r = run(launcher_name(), extra);
      EXPECT_EQ(r.exit_code, 0) << r.err;
      EXPECT_FALSE(r.record.empty()) << "id '" << id << "' toolhelp " << toolhelp;
    }
    fs::remove(root_ / "running.txt");
  }
}

TEST_F(Medium, RelativeStartDirectoryIsCompletedFromTheCurrentOne) {
  install_setup();
  for (const char* line : {"medium\\trovask.exe", ".\\medium\\trovask.exe"}) {
    Outcome r = run(line);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    ASSERT_FALSE(r.record.empty()) << line << r.err;
  }
  Outcome dot = run(".\\trovask.exe -vekutil", {}, medium_);
  ASSERT_FALSE(dot.record.empty()) << dot.err;
  EXPECT_EQ(env_of(dot, "VEK_CDHOME"), windows_name(medium_) + "\\");
  Outcome bare = run("trovask.exe -vekutil", {}, medium_);
  ASSERT_FALSE(bare.record.empty()) << bare.err;
  EXPECT_EQ(env_of(bare, "VEK_CDHOME"), windows_name(medium_) + "\\");
}

TEST_F(Medium, UnreadableCurrentDirectoryLeavesARelativeStartAndAMessage) {
  install_setup();
  // A current directory longer than the launcher's buffer cannot be read.
  fs::path deep = root_;
  while (deep.string().size() < 1100) deep /= std::string(100, 'd');
  fs::create_directories(deep);
  for (const char* line : {"medium\\trovask.exe", "trovask.exe"}) {
    Outcome r = run(line, {}, deep);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(r.record.empty()) << line;
    EXPECT_NE(r.err.find(kFailedStart), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Fatal Error"), std::string::npos) << r.err;
  }
}

TEST_F(Medium, VynsetupExeReplacesTheCommand) {
  write_file(medium_ / "cd_1.txt", "Disk1\n");  // multi-CD: still no copy
  std::string program = windows_name(YRL_VEKSETUP_PATH);
  Outcome r = run(launcher_name() + " a", {{"VYNSETUP_EXE", program}});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  ASSERT_FALSE(r.record.empty()) << r.err;
  EXPECT_EQ(r.record["command_line"], program + "  a -multicd");
  EXPECT_EQ(r.record["program"], fs::canonical(YRL_VEKSETUP_PATH).string());
  EXPECT_TRUE(fs::is_empty(temp_));
  EXPECT_EQ(env_of(r, "VEK_SETUP_REDIRECT"), "<unset>");
  EXPECT_EQ(env_of(r, "VEK_CDHOME"), "<unset>");
}

TEST_F(Medium, PresetVsHelpIsLeftAlone) {
  install_setup();
  Outcome r = run(launcher_name(), {{"VS_HELP", "7"}});
  ASSERT_FALSE(r.record.empty()) << r.err;
  EXPECT_EQ(env_of(r, "VS_HELP"), "7");
}

TEST_F(Medium, EscOnTheSplashBeforeTheStartStartsNothing) {
  install_setup();
  Outcome r = run(launcher_name(), {{"YRL_UI_SCRIPT", "hold esc"}});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(r.record.empty());
  EXPECT_NE(r.ui_log.find("key esc"), std::string::npos) << r.ui_log;
  EXPECT_NE(r.ui_log.find("dialog 102 ended 2"), std::string::npos) << r.ui_log;
  EXPECT_NE(r.ui_log.find("app end from InitInstance"), std::string::npos) << r.ui_log;
}

TEST_F(Medium, MinimisedSplashPaintsOnlyTheMissingIcon) {
  install_setup();
  Outcome r = run(launcher_name(), {{"YRL_UI_SCRIPT", "hold minimise restore enter"}});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(r.record.empty());
  EXPECT_NE(r.ui_log.find("dialog 102 erase icon background"), std::string::npos) << r.ui_log;
  // An empty client area: (0 - 32 + 1) / 2 in integer division.
  EXPECT_NE(r.ui_log.find("draw icon at -15,-15: no icon, nothing drawn"), std::string::npos) << r.ui_log;
  EXPECT_NE(r.ui_log.find("dialog 102 painted by default"), std::string::npos) << r.ui_log;
  EXPECT_NE(r.ui_log.find("dialog 102 ended 1"), std::string::npos) << r.ui_log;
}

TEST_F(Medium, MachineTypeFollowsThePlatformAndTheProcessor) {
  // An ia64 processor, as the registry names it.
  write_file(root_ / "registry.txt",
             "YRL-W32-REGISTRY 1\n"
             "K HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\n"
             "V 1 696136342046616d696c79203700 Identifier\n");
  fs::path ia64 = install_setup("ia64_nt");
  Outcome r = run(launcher_name());
  ASSERT_FALSE(r.record.empty()) << r.err;
  EXPECT_EQ(r.record["program"], ia64.string());
  EXPECT_EQ(env_of(r, "VYN_MACHINE_TYPE"), "ia64_nt");

  // Not Windows NT: no machine type, and the program path has an empty component.
  fs::path none = install_setup("");
  Outcome old = run(launcher_name(), {{"YRL_W32_PLATFORM", "1"}});
  ASSERT_FALSE(old.record.empty()) << old.err;
  EXPECT_EQ(old.record["program"], none.string());
  EXPECT_EQ(env_of(old, "VYN_MACHINE_TYPE"), "<unset>");  // an empty value removes it
}

}  // namespace
