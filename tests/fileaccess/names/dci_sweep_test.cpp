// The calls that refresh the directory cache after they change a name (rename, move,
// unlink), swept: whatever call fails, the file is under one of its names and whole, a
// success is true of the disk, and a listing through the cache afterwards shows what is
// on disk.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/dci.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfascan.h"
#include "platform/w32/file.h"
#include "tests/fileaccess/disk_test.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class DciSweep : public yrltest::FileaccessTest {
 protected:
  // a.txt (and, when asked, an old b.txt) in a directory written some time ago, listed
  // once through the cache so that a missed refresh leaves a stale listing.
  void fresh(bool old_target) {
    for (const auto& e : fs::directory_iterator(dir_.path())) fs::remove_all(e.path());
    yrltest::write_file(dir_.file("a.txt"), kBytes);
    if (old_target) yrltest::write_file(dir_.file("b.txt"), "old");
    fs::last_write_time(dir_.path(), fs::file_time_type::clock::now() - std::chrono::seconds(30));
    listed();
  }
  std::string name(const std::string& file) const {
    return yrltest::windows_name(dir_.file(file));
  }
  std::set<std::string> on_disk() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) names.insert(e.path().filename());
    return names;
  }
  // The files a listing through the layer (and its cache) gives.
  std::set<std::string> listed() const {
    vek::VynFile* dir = vek::pfa_alloc_dir((yrltest::windows_name(dir_.path()) + "\\").c_str());
    int count = 0;
    vek::VynFile** list = nullptr;
    std::set<std::string> names;
    EXPECT_EQ(vek::pfa_scandir_simple(dir, vek::PFA_SCAN_FILES, nullptr, &count, &list, 2), 0);
    for (int i = 0; i < count; ++i) {
      char entry[vek::PFA_NAME_SIZE];
      vek::pfa_get_file_name(list[i], 56, entry);
      names.insert(entry);
    }
    vek::pfa_free_vyn_file(&dir);
    return names;
  }
  std::string bytes_of(const std::string& file) const {
    return yrltest::on_disk(dir_.file(file)) ? yrltest::read_file(dir_.file(file)) : "(none)";
  }

  const std::string kBytes = std::string(4000, 'x') + "end";
  yrltest::TempDir dir_;
};

TEST_F(DciSweep, RenamesMovesAndDeletesLoseNothingAndKeepTheListingTrue) {
  struct Row {
    const char* label;
    bool old_target;  // b.txt stands first
    std::function<bool(const std::string& a, const std::string& b)> run;  // true: done
    bool deletes;     // a.txt is to go, with nothing in its place
  };
  const Row rows[] = {
      {"rename", false,
       [](const std::string& a, const std::string& b) {
         return vek::dci_rename(a.c_str(), b.c_str()) == 0;
       },
       false},
      {"move", false,
       [](const std::string& a, const std::string& b) {
         return vek::dci_MoveFile(a.c_str(), b.c_str()) != 0;
       },
       false},
      {"move over a file", true,
       [](const std::string& a, const std::string& b) {
         return vek::dci_MoveFileEx(a.c_str(), b.c_str(), w32::MOVEFILE_REPLACE_EXISTING) != 0;
       },
       false},
      {"unlink", true,
       [](const std::string& a, const std::string&) { return vek::dci_unlink(a.c_str()) == 0; },
       true},
  };
  for (const Row& row : rows) {
    yrltest::SweepOp op;
    op.label = row.label;
    op.setup = [&] { fresh(row.old_target); };
    op.run = [&] { return row.run(name("a.txt"), name("b.txt")) ? 0 : 1; };
    op.vanishing = [&] { return dir_.file("a.txt"); };
    op.check = [&](const yrltest::SweepRun& run) {
      const bool vanished = run.fault == yrltest::SweepFault::vanished;
      const std::string a = bytes_of("a.txt");
      const std::string b = bytes_of("b.txt");
      if (row.deletes) {
        EXPECT_EQ(b, "old") << run.why << ": another file went";
        if (run.result == 0) {
          EXPECT_EQ(a, "(none)") << run.why << ": reported deleted, still there";
        } else if (!vanished) {
          EXPECT_TRUE(a == kBytes) << run.why << ": a failed delete cost the file";
        }
      } else if (run.result == 0) {
        EXPECT_TRUE(a == "(none)" && b == kBytes) << run.why << ": reported done, not so";
      } else {
        // Nothing moved: the source where it was (unless it vanished), the target as it was.
        if (!vanished) {
          EXPECT_TRUE(a == kBytes) << run.why << ": a failed move lost its source";
        }
        EXPECT_EQ(b, row.old_target ? "old" : "(none)") << run.why << ": target changed";
      }
      EXPECT_EQ(listed(), on_disk()) << run.why << ": the listing is stale";
    };
    std::vector<std::pair<std::string, long>> calls = yrltest::sweep_faults(op);
    EXPECT_FALSE(calls.empty()) << row.label;
  }
}

// The access checks by name: an answer of "there and allowed" is the truth; any failure
// of the calls behind them is an answer of "no", never a yes.
TEST_F(DciSweep, AccessChecksNeverAnswerYesOverAFailure) {
  struct Row {
    const char* label;
    std::function<int()> run;  // 0: the check said yes
    bool of_the_file;          // else of the directory
  };
  const Row rows[] = {
      {"check access, read", [&] { return vek::vyn_check_access(name("a.txt").c_str(), 4); }, true},
      {"check access, write", [&] { return vek::vyn_check_access(name("a.txt").c_str(), 2); }, true},
      {"directory writable",
       [&] {
         const std::u16string wide(dir_.path().begin(), dir_.path().end());
         return vek::dir_has_write_access(wide.c_str()) == 1 ? 0 : 1;
       },
       false},
  };
  for (const Row& row : rows) {
    yrltest::SweepOp op;
    op.label = row.label;
    op.setup = [&] { fresh(false); };
    op.run = row.run;
    if (row.of_the_file) op.vanishing = [&] { return dir_.file("a.txt"); };
    op.check = [&](const yrltest::SweepRun& run) {
      if (!run.call.empty()) {
        EXPECT_NE(run.result, 0) << run.why << ": a failed check answered yes";
      }
      // A question changes nothing.
      if (run.fault != yrltest::SweepFault::vanished) {
        EXPECT_TRUE(bytes_of("a.txt") == kBytes) << run.why;
        EXPECT_EQ(on_disk(), std::set<std::string>{"a.txt"}) << run.why;
      }
    };
    yrltest::sweep_faults(op);
  }
}

}  // namespace
