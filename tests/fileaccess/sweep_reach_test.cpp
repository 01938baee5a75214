// The reach of the fault sweeps: every call of the swept list is failed by some sweep of
// a file-access operation. The sweeps run in a child process of this test program, each
// noting the calls it fails (fault_sweep.h, note_swept); the names that no file-access
// operation calls at all stand apart below, with why, and are reached by the fault
// facility's own test alone.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/fileaccess/fault_sweep.h"
#include "tests/fileaccess/swept_calls.h"
#include "tests/support/temp_dir.h"

namespace {

// The calls that no file-access operation makes (the run-time library below the layer
// searched too), with why: no sweep can meet them, and the fault facility's own test
// reaches them.
const std::map<std::string, std::string>& calls_no_operation_makes() {
  static const std::map<std::string, std::string> apart = {
      {"GetFileSize", "sizes come from stat, find data or a seek to the end"},
      {"CopyFileW", "copies go by narrow names or through descriptors; no wide copy is made"},
      {"MoveFileW", "wide renames go through MoveFileExW"},
      {"GetFileAttributesExA", "attributes are read through GetFileAttributes* and stat"},
      {"_wopen", "descriptors are opened by the narrow form of a name, wide or not"},
      {"_waccess", "a wide name's access is checked through its narrow form (_access)"},
      {"remove", "deletes by name go through DeleteFile* and _unlink"},
      {"_wunlink", "wide deletes go through DeleteFileW"},
      {"_chmod", "permissions are set through SetFileAttributes*"},
      {"_wchmod", "permissions are set through SetFileAttributes*"},
      {"FlushFileBuffers",
       "only the run-time pipe flush (answer 0 whatever) and the application's preferences "
       "save (swept in its own tests) flush"},
  };
  return apart;
}

// The test program's own path.
std::string self_path() {
  char path[4096];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  path[n] = '\0';
  return path;
}

// Runs the sweep tests of this program in a child process with log as the file their
// failed calls are noted in; the child's exit status, or -1 when it could not run.
int run_sweeps(const std::string& log) {
  const std::string program = self_path();
  if (program.empty()) return -1;
  pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    int quiet = ::open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
      ::dup2(quiet, 1);
      ::dup2(quiet, 2);
    }
    ::setenv(yrltest::SWEPT_CALLS_LOG, log.c_str(), 1);
    // The tests that sweep: those with Sweep in their names, and these.
    const std::string filter =
        "--gtest_filter=*Sweep*"
        ":ConvertJpFile.NothingIsLostWhateverCallFails"
        ":PfuOpsTest.*UnderFaults"
        ":FnVersionFiles.WritingTheNextVersionNeverCutsAnExistingOne"
        ":OsFiles.DeletingTheHighestVersionNeverDeletesAnotherFile"
        "-SweepReach.*";
    ::execl(program.c_str(), program.c_str(), filter.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(SweepReach, EverySweptCallIsFailedBySomeSweep) {
  if (std::getenv(yrltest::SWEPT_CALLS_LOG) != nullptr) GTEST_SKIP() << "inside the child";
  yrltest::TempDir dir;
  const std::string log = dir.file("swept.txt");
  // 0: every test passed; 1: some failed, which those tests report themselves.
  const int status = run_sweeps(log);
  ASSERT_TRUE(status == 0 || status == 1) << "the sweeps did not run: " << status;

  std::set<std::string> swept;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) swept.insert(line);

  std::set<std::string> listed;
  for (const char* call : yrltest::SWEPT_CALLS) {
    listed.insert(call);
    const auto apart = calls_no_operation_makes().find(call);
    if (apart != calls_no_operation_makes().end()) {
      EXPECT_EQ(swept.count(call), 0u)
          << call << " is failed by a sweep now, which the list of calls no operation makes "
          << "denies (" << apart->second << "): take it off that list";
    } else {
      EXPECT_EQ(swept.count(call), 1u) << "no sweep of a file-access operation fails " << call;
    }
  }
  for (const auto& [call, why] : calls_no_operation_makes())
    EXPECT_EQ(listed.count(call), 1u) << call << " is not in the swept list";
}

}  // namespace
