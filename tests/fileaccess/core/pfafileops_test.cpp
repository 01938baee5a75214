// Whole-file operations on a temporary drive: their edge cases, and fault sweeps that
// fail every call of the stand-in each operation makes, one at a time, and check that
// nothing is lost.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfafile.h"
#include "fileaccess/core/pfaname.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/fileio.h"
#include "platform/w32/path.h"
#include "platform/w32/winpath.h"
#include "tests/fileaccess/disk_test.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/fileaccess/swept_calls.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

bool exists(const std::string& path) { return yrltest::on_disk(path); }
unsigned mode_of(const std::string& path) { return yrltest::mode_on_disk(path); }
std::string windows(const std::string& posix) { return yrltest::windows_name(posix); }

// Bytes that show a cut or a shifted block: no two 4096-byte blocks alike, carriage
// returns among them.
std::string pattern(std::size_t size, int seed) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    text[i] = static_cast<char>((i * 131 + i / 4096 * 7 + static_cast<std::size_t>(seed)) % 251);
  return text;
}

class PfaFileOps : public yrltest::FileaccessTest {
 protected:
  vek::VynFile* handle(const std::string& posix) {
    vek::VynFile* file = vek::pfa_alloc_file(windows(posix).c_str());
    EXPECT_NE(file, nullptr) << posix;
    return file;
  }
};

TEST_F(PfaFileOps, RemovingCarriageReturns) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"", ""}, {"\r", ""}, {"a\r\nb\r\n", "a\nb\n"}, {"\r\r\rx", "x"}, {std::string("a\0\rb", 4), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    std::vector<char> out(c.in.size() + 1, '#');
    int count = -1;
    EXPECT_EQ(vek::rem_cr_from_str(c.in.data(), static_cast<int>(c.in.size()), out.data(), &count), 1);
    EXPECT_EQ(std::string(out.data(), static_cast<std::size_t>(count)), c.out);
    // In place, as copy_pfa_contents filters its block.
    std::string same = c.in;
    vek::rem_cr_from_str(same.data(), static_cast<int>(same.size()), same.data(), &count);
    EXPECT_EQ(same.substr(0, static_cast<std::size_t>(count)), c.out);
  }
}

TEST_F(PfaFileOps, EdgeCasesOnATemporaryDrive) {
  yrltest::TempDir dir;
  const std::string body = pattern(10000, 1);
  yrltest::write_file(dir.file("src.txt"), body);
  yrltest::write_file(dir.file("ro.txt"), "keep");
  ::chmod(dir.file("ro.txt").c_str(), 0444);

  vek::VynFile* src = handle(dir.file("src.txt"));
  vek::VynFile* ro = handle(dir.file("ro.txt"));
  vek::VynFile* missing = handle(dir.file("missing.txt"));
  vek::VynFile* out = handle(dir.file("out.txt"));
  // Copying onto a read-only file gives 12 and leaves it; a missing source gives 2.
  EXPECT_EQ(vek::pfa_copy_file(src, 0, ro, 0), vek::PFA_E_EXIST);
  EXPECT_EQ(yrltest::read_file(dir.file("ro.txt")), "keep");
  EXPECT_EQ(vek::pfa_copy_file(missing, 0, out, 0), vek::PFA_E_NOT_FOUND);
  EXPECT_FALSE(exists(dir.file("out.txt")));
  EXPECT_EQ(vek::pfa_copy_file(src, 2, out, 0), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_copy_file(src, 0, out, 3), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_copy_file(src, 0, out, 0), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir.file("out.txt")), body);
  {
    yrltest::ConsoleCapture capture;
    ASSERT_EQ(vek::pfa_fopen(src, vek::PFA_RULE_AS_NAMED, "r"), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(vek::pfa_copy_file(src, 0, out, 0), vek::PFA_E_NOT_ALLOWED);
    ASSERT_EQ(vek::pfa_close(src), vek::PFA_E_NO_ERROR);
  }

  // Truncating needs an open handle.
  EXPECT_EQ(vek::pfa_truncate_file(out, 10), vek::PFA_E_ERROR);
  ASSERT_EQ(vek::pfa_fopen(out, vek::PFA_RULE_AS_NAMED, "r+"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_truncate_file(out, 10), vek::PFA_E_NO_ERROR);
  ASSERT_EQ(vek::pfa_close(out), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir.file("out.txt")), body.substr(0, 10));
  EXPECT_EQ(vek::pfa_truncate_file(nullptr, 0), vek::PFA_E_NOT_VALID);

  // Appending with a filter-free copy, then a copy that drops carriage returns.
  ASSERT_EQ(vek::pfa_fopen(src, vek::PFA_RULE_AS_NAMED, "rb"), vek::PFA_E_NO_ERROR);
  ASSERT_EQ(vek::pfa_fopen(out, vek::PFA_RULE_AS_NAMED, "ab"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_append_file(src, out), vek::PFA_E_NO_ERROR);
  EXPECT_FALSE(vek::pfa_file_is_open(src));
  ASSERT_EQ(vek::pfa_close(out), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir.file("out.txt")), body.substr(0, 10) + body);
  EXPECT_EQ(vek::pfa_append_file(src, out), vek::PFA_E_NOT_VALID);
  ASSERT_EQ(vek::pfa_fopen(src, vek::PFA_RULE_AS_NAMED, "rb"), vek::PFA_E_NO_ERROR);
  ASSERT_EQ(vek::pfa_fopen(out, vek::PFA_RULE_AS_NAMED, "wb"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::copy_pfa_contents(src, out, vek::rem_cr_from_str), vek::PFA_E_NO_ERROR);
  ASSERT_EQ(vek::pfa_close(out), vek::PFA_E_NO_ERROR);
  std::string no_cr;
  for (char c : body)
    if (c != '\r') no_cr += c;
  EXPECT_EQ(yrltest::read_file(dir.file("out.txt")), no_cr);

  // An open file is shared without delete access, as on Windows, so it cannot be
  // renamed, and the copy refuses an open source: the file stays, open, where it was.
  vek::VynFile* moved = handle(dir.file("moved.txt"));
  ASSERT_EQ(vek::pfa_fopen(out, vek::PFA_RULE_AS_NAMED, "rb"), vek::PFA_E_NO_ERROR);
  {
    yrltest::ConsoleCapture capture;
    EXPECT_EQ(vek::pfa_move_file(out, moved), vek::PFA_E_NOT_ALLOWED);
  }
  EXPECT_TRUE(vek::pfa_file_is_open(out));
  EXPECT_FALSE(exists(dir.file("moved.txt")));
  ASSERT_EQ(vek::pfa_close(out), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_move_file(out, moved), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir.file("moved.txt")), no_cr);
  EXPECT_FALSE(exists(dir.file("out.txt")));
  EXPECT_EQ(vek::pfa_move_file(out, moved), vek::PFA_E_NOT_FOUND);

  for (vek::VynFile* f : {src, ro, missing, out, moved}) vek::pfa_free_vyn_file(&f);
}

// Standard output sent, for the length of a scope, to a file or to a device that takes
// nothing (/dev/full: every write fails with a full disk).
class StdoutTo {
 public:
  explicit StdoutTo(const std::string& path) {
    std::fflush(stdout);
    saved_ = ::dup(1);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0) << path;
    ::dup2(fd, 1);
    ::close(fd);
  }
  ~StdoutTo() {
    // What a failed flush kept must not come out behind the test's own output.
    __fpurge(stdout);
    std::clearerr(stdout);
    ::dup2(saved_, 1);
    ::close(saved_);
  }
  StdoutTo(const StdoutTo&) = delete;
  StdoutTo& operator=(const StdoutTo&) = delete;

 private:
  int saved_;
};

// A standard stream holds no file: a copy or a move there writes straight into it, is
// done when every byte went out, and fails, keeping the source, when the stream cannot
// take them, its flush at the close included (a short file stays in the stream's buffer
// until then).
TEST_F(PfaFileOps, CopyingAndMovingToStandardOutput) {
  yrltest::TempDir dir;
  const std::string body = pattern(100, 5);
  const std::string out = dir.file("stdout.bin");
  for (bool moves : {false, true}) {
    for (bool full : {false, true}) {
      const std::string why = std::string(moves ? "move" : "copy") + (full ? ", output full" : "");
      yrltest::write_file(dir.file("a.txt"), body);
      vek::VynFile* from = handle(dir.file("a.txt"));
      vek::VynFile* to = vek::pfa_alloc_file("stdio://out");
      ASSERT_NE(to, nullptr);
      int result;
      {
        StdoutTo redirected(full ? std::string("/dev/full") : out);
        result = moves ? vek::pfa_move_file(from, to) : vek::pfa_copy_file(from, 0, to, 0);
        std::fflush(stdout);
      }
      if (full) {
        EXPECT_NE(result, vek::PFA_E_NO_ERROR) << why;
        EXPECT_TRUE(yrltest::read_file(dir.file("a.txt")) == body) << why << ": source lost";
      } else {
        EXPECT_EQ(result, vek::PFA_E_NO_ERROR) << why;
        EXPECT_TRUE(yrltest::read_file(out) == body) << why << ": not all went out";
        EXPECT_EQ(exists(dir.file("a.txt")), !moves) << why;
      }
      EXPECT_FALSE(vek::pfa_file_is_open(to)) << why;
      vek::pfa_free_vyn_file(&from);
      vek::pfa_free_vyn_file(&to);
    }
  }
  // A source that cannot go is refused before anything is written.
  yrltest::write_file(dir.file("ro.txt"), body);
  ::chmod(dir.file("ro.txt").c_str(), 0444);
  vek::VynFile* from = handle(dir.file("ro.txt"));
  vek::VynFile* to = vek::pfa_alloc_file("stdio://out");
  int result;
  {
    StdoutTo redirected(out);
    result = vek::pfa_move_file(from, to);
    std::fflush(stdout);
  }
  EXPECT_EQ(result, vek::PFA_E_NO_ACCESS);
  EXPECT_EQ(yrltest::read_file(out), "");
  EXPECT_TRUE(yrltest::read_file(dir.file("ro.txt")) == body);
  vek::pfa_free_vyn_file(&from);
  vek::pfa_free_vyn_file(&to);
}

TEST_F(PfaFileOps, VersionModesOfRenameAndDelete) {
  yrltest::TempDir dir;
  for (const char* name : {"a.prt.1", "a.prt.2", "b.prt.4"}) yrltest::write_file(dir.file(name), name);
  vek::VynFile* a = handle(dir.file("a.prt.1"));
  EXPECT_EQ(vek::pfa_rename_file(a, "c", 4), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_rename_file(a, "c:d", 0), vek::PFA_E_INVALID_NAME);
  EXPECT_EQ(vek::pfa_rename_file(nullptr, "c", 0), vek::PFA_E_NOT_VALID);
  // Mode 2 to a name without versions gives version 1; the old name keeps its version.
  EXPECT_EQ(vek::pfa_rename_file(a, "c", 2), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_get_version(a), 1);
  EXPECT_EQ(yrltest::read_file(dir.file("c.prt.1")), "a.prt.1");
  EXPECT_FALSE(exists(dir.file("a.prt.1")));
  // Mode 2 onto existing versions takes the next one.
  vek::VynFile* b = handle(dir.file("b.prt.4"));
  EXPECT_EQ(vek::pfa_rename_file(b, "c", 2), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_get_version(b), 2);
  EXPECT_EQ(yrltest::read_file(dir.file("c.prt.2")), "b.prt.4");

  // Mode 3 refuses when a new name exists, and renames nothing.
  yrltest::write_file(dir.file("a.prt.5"), "a5");
  vek::VynFile* all = handle(dir.file("a.prt.5"));
  EXPECT_EQ(vek::pfa_rename_file(all, "c", 3), vek::PFA_E_EXIST);
  EXPECT_TRUE(exists(dir.file("a.prt.2")));
  EXPECT_TRUE(exists(dir.file("a.prt.5")));
  EXPECT_EQ(yrltest::read_file(dir.file("c.prt.2")), "b.prt.4");
  // Onto a free name every version moves, and the handle keeps its version.
  EXPECT_EQ(vek::pfa_rename_file(all, "d", 3), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_get_version(all), 5);
  EXPECT_EQ(yrltest::read_file(dir.file("d.prt.2")), "a.prt.2");
  EXPECT_EQ(yrltest::read_file(dir.file("d.prt.5")), "a5");
  EXPECT_FALSE(exists(dir.file("a.prt.2")));

  // Mode 1 works on the highest version and keeps the handle's.
  vek::VynFile* c = handle(dir.file("c.prt.1"));
  EXPECT_EQ(vek::pfa_delete_file(c, 1), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_get_version(c), 1);
  EXPECT_FALSE(exists(dir.file("c.prt.2")));
  EXPECT_TRUE(exists(dir.file("c.prt.1")));
  // Mode 3 deletes every version; with none left the listing's result (nothing) stands.
  EXPECT_EQ(vek::pfa_delete_file(all, 3), vek::PFA_E_NO_ERROR);
  EXPECT_FALSE(exists(dir.file("d.prt.2")));
  EXPECT_FALSE(exists(dir.file("d.prt.5")));
  EXPECT_EQ(vek::pfa_delete_file(all, 3), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_delete_file(all, 2), vek::PFA_E_INVALID_INPUT);
  for (vek::VynFile* f : {a, b, all, c}) vek::pfa_free_vyn_file(&f);
}

TEST_F(PfaFileOps, CopyingForTheShellAndCopyingByteCounts) {
  yrltest::TempDir dir;
  yrltest::TempDir tmp;
  yrltest::TempDir share;
  yrltest::ScopedEnv env("TMP", windows(tmp.path()).c_str());
  ASSERT_TRUE(w32::w32_set_unc_root(share.path().c_str()));
  ASSERT_EQ(::mkdir(share.file("srv").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(share.file("srv/share").c_str(), 0755), 0);
  const std::string body = pattern(9000, 3);
  yrltest::write_file(share.file("srv/share/r.txt"), body);
  yrltest::write_file(dir.file("l.txt"), body);

  // A file on a share is copied to a temporary file; a local one needs no copy.
  vek::VynFile* remote = vek::pfa_alloc_file("\\\\srv\\share\\r.txt");
  vek::VynFile* copy = remote;
  ASSERT_EQ(vek::pfa_copy_for_shell(remote, &copy, vek::PFA_TYPE_UNKNOWN), 1);
  ASSERT_NE(copy, nullptr);
  char name[260];
  ASSERT_EQ(vek::pfa_get_full_name(copy, name), 0);
  EXPECT_EQ(std::string(name).rfind(windows(tmp.path()), 0), 0u) << name;
  vek::VynFile* local = handle(dir.file("l.txt"));
  vek::VynFile* none = local;
  EXPECT_EQ(vek::pfa_copy_for_shell(local, &none, vek::PFA_TYPE_UNKNOWN), 0);
  EXPECT_EQ(none, nullptr);

  // Byte counts: the whole count, or 1 when the source ends first.
  struct Case {
    long n;
    int result;
    std::size_t written;
  };
  const Case cases[] = {{0, 0, 0}, {1, 0, 1}, {4096, 0, 4096}, {4097, 0, 4097}, {9000, 0, 9000}, {9001, 1, 0}};
  for (const Case& c : cases) {
    vek::VynFile* out = handle(dir.file("part.txt"));
    ASSERT_EQ(vek::pfa_fopen(copy, vek::PFA_RULE_AS_NAMED, "rb"), 0);
    ASSERT_EQ(vek::pfa_fopen(out, vek::PFA_RULE_AS_NAMED, "wb"), 0);
    EXPECT_EQ(vek::pfa_copy_data_bet_files(copy, out, c.n), c.result) << c.n;
    if (c.result == 0) {
      // Flushed: the bytes are in the file before the close.
      std::string written = yrltest::read_file(dir.file("part.txt"));
      EXPECT_TRUE(written == body.substr(0, c.written)) << c.n << ": " << written.size() << " bytes";
    }
    vek::pfa_close(copy);
    vek::pfa_close(out);
    vek::pfa_free_vyn_file(&out);
  }
  EXPECT_EQ(vek::pfa_copy_data_bet_files(nullptr, copy, 1), vek::PFA_E_NOT_VALID);
  vek::pfa_delete_file(copy, 0);
  for (vek::VynFile* f : {remote, copy, local}) vek::pfa_free_vyn_file(&f);
}

// ---- Fault sweeps ----


// One operation of a sweep: files set up in a fresh directory, the operation run on
// them, and what must hold after every run.
struct SweepOp {
  const char* label;
  std::vector<std::string> sources;  // the files whose bytes must not be lost
  std::function<int(const std::string& local, const std::string& unc)> run;
  // The name each source must stand under when the operation worked.
  std::function<std::string(const std::string& source)> target;
  bool deletes;  // the operation removes its sources on purpose
};

struct FaultKind {
  const char* label;
  w32::DWORD code;  // 0: the first source vanishes just before the call
};

void unlink_hook(void* data) { ::unlink(static_cast<std::string*>(data)->c_str()); }

class PfaFileSweep : public PfaFileOps {
 protected:
  struct Run {
    yrltest::TempDir local;
    yrltest::TempDir unc;
  };

  void prepare(Run& run, const SweepOp& op) {
    ASSERT_TRUE(w32::w32_set_unc_root(run.unc.path().c_str()));
    ASSERT_EQ(::mkdir((run.unc.path() + "/srv").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((run.unc.path() + "/srv/share").c_str(), 0755), 0);
    int seed = 0;
    for (const std::string& source : op.sources) {
      yrltest::write_file(run.local.file(source), pattern(9000, ++seed));
      ::chmod(run.local.file(source).c_str(), 0640);
    }
  }

  std::string unc_file(const Run& run, const std::string& name) {
    return run.unc.path() + "/srv/share/" + name;
  }

  // Where a file of the operation's names stands on disk: "unc:" names are on the share.
  std::string disk(const Run& run, const std::string& name) {
    return name.rfind("unc:", 0) == 0 ? unc_file(run, name.substr(4)) : run.local.file(name);
  }

  void check(const Run& run, const SweepOp& op, int result, const std::string& why,
             const std::string& vanished) {
    int seed = 0;
    for (const std::string& source : op.sources) {
      const std::string bytes = pattern(9000, ++seed);
      const std::string at_source = run.local.file(source);
      const std::string at_target = disk(run, op.target(source));
      const bool target_is_source = at_target == at_source;
      const bool lost_on_purpose = at_source == vanished;
      // Nothing half-written stands under either name.
      for (const std::string& path : {at_source, at_target}) {
        if (exists(path)) {
          EXPECT_EQ(yrltest::read_file(path), bytes) << why << ": " << path;
        }
      }
      if (exists(at_source)) {
        EXPECT_EQ(mode_of(at_source), 0640u) << why;
      }
      if (result == vek::PFA_E_NO_ERROR) {
        if (!(op.deletes && target_is_source) && !lost_on_purpose) {
          EXPECT_TRUE(exists(at_target)) << why << ": reported done, " << at_target << " missing";
        }
        if (op.deletes) {
          EXPECT_FALSE(exists(at_source)) << why << ": reported done, source still there";
        }
      } else if (!lost_on_purpose && !op.deletes) {
        EXPECT_TRUE(exists(at_source) || exists(at_target)) << why << ": bytes lost";
      }
      if (!lost_on_purpose && !op.deletes && !target_is_source && result != 0 &&
          std::string(op.label).find("move") != std::string::npos) {
        EXPECT_TRUE(exists(at_source)) << why << ": a failed move lost its source";
      }
    }
  }

  void sweep(const SweepOp& op) {
    std::vector<std::pair<std::string, long>> calls;
    {
      Run run;
      prepare(run, op);
      w32::fault_testing_reset();
      EXPECT_EQ(op.run(run.local.path(), run.unc.path()), vek::PFA_E_NO_ERROR) << op.label;
      for (const char* name : yrltest::SWEPT_CALLS)
        if (long n = w32::fault_testing_calls(name)) calls.emplace_back(name, n);
      check(run, op, 0, std::string(op.label) + " without faults", "");
    }
    ASSERT_FALSE(calls.empty()) << op.label;
    const FaultKind kinds[] = {{"disk full", w32::ERROR_DISK_FULL},
                               {"access denied", w32::ERROR_ACCESS_DENIED},
                               {"source vanished", 0}};
    for (const auto& [name, n] : calls) {
      for (long k = 1; k <= yrltest::sweep_depth(n); ++k) {
        for (const FaultKind& kind : kinds) {
          Run run;
          prepare(run, op);
          w32::fault_testing_reset();
          std::string vanish = run.local.file(op.sources.front());
          if (kind.code)
            ASSERT_TRUE(w32::fault_testing_fail_on_call(name.c_str(), static_cast<int>(k), kind.code));
          else
            ASSERT_TRUE(w32::fault_testing_hook_call(name.c_str(), static_cast<int>(k), unlink_hook,
                                                     &vanish));
          yrltest::note_swept(name);
          int result;
          {
            yrltest::ConsoleCapture quiet;
            result = op.run(run.local.path(), run.unc.path());
          }
          w32::fault_testing_reset();
          std::string why = std::string(op.label) + ", " + kind.label + " at " + name + " #" +
                            std::to_string(k) + ", result " + std::to_string(result);
          check(run, op, result, why, kind.code ? "" : vanish);
        }
      }
    }
  }

  static int with_handles(const std::string& a, const std::string& b,
                          const std::function<int(vek::VynFile*, vek::VynFile*)>& body) {
    vek::VynFile* from = vek::pfa_alloc_file(a.c_str());
    vek::VynFile* to = b.empty() ? nullptr : vek::pfa_alloc_file(b.c_str());
    int result = body(from, to);
    vek::pfa_free_vyn_file(&from);
    if (to) vek::pfa_free_vyn_file(&to);
    return result;
  }
};

std::string same(const std::string& s) { return s; }

// Copies and moves between the local file system and a share, onto a free name or over
// a file that stands there, swept with every call of the stand-in each makes failing in
// turn, cut short or finding its source gone.
class PfaCopySweep : public PfaFileOps {
 protected:
  static std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  struct Row {
    const char* label;
    std::string source;  // a name of the local directory, "unc:" for the share
    std::string target;
    bool target_exists;  // a file with other bytes stands at the target first
    bool moves;
  };

  void SetUp() override {
    PfaFileOps::SetUp();
    ASSERT_TRUE(w32::w32_set_unc_root(unc_.path().c_str()));
  }

  std::string disk(const std::string& name) const {
    return name.rfind("unc:", 0) == 0 ? unc_.file("srv/share/" + name.substr(4))
                                      : local_.file(name);
  }
  std::string windows_of(const std::string& name) const {
    return name.rfind("unc:", 0) == 0 ? "\\\\srv\\share\\" + name.substr(4) : windows(local_.file(name));
  }

  // Every file under both places, by its POSIX path.
  std::vector<std::string> files_on_disk() const {
    std::vector<std::string> found;
    for (const std::string& root : {local_.path(), unc_.path()})
      for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        if (!e.is_directory()) found.push_back(e.path().string());
    std::sort(found.begin(), found.end());
    return found;
  }

  std::vector<std::pair<std::string, long>> sweep(const Row& row) {
    const std::string bytes = pattern(9000, 1);
    const std::string old_bytes = pattern(5000, 2);
    yrltest::SweepOp op;
    op.label = row.label;
    op.setup = [&] {
      for (const std::string& root : {local_.path(), unc_.path()})
        for (const auto& e : std::filesystem::directory_iterator(root))
          std::filesystem::remove_all(e.path());
      std::filesystem::create_directories(unc_.file("srv/share"));
      yrltest::write_file(disk(row.source), bytes);
      ::chmod(disk(row.source).c_str(), 0640);
      if (row.target_exists) yrltest::write_file(disk(row.target), old_bytes);
    };
    op.run = [&] {
      vek::VynFile* from = vek::pfa_alloc_file(windows_of(row.source).c_str());
      vek::VynFile* to = vek::pfa_alloc_file(windows_of(row.target).c_str());
      int result = row.moves ? vek::pfa_move_file(from, to) : vek::pfa_copy_file(from, 0, to, 0);
      vek::pfa_free_vyn_file(&from);
      vek::pfa_free_vyn_file(&to);
      return result;
    };
    op.vanishing = [&] { return disk(row.source); };
    op.check = [&](const yrltest::SweepRun& run) {
      const std::string source = disk(row.source);
      const std::string target = disk(row.target);
      bool vanished = run.fault == yrltest::SweepFault::vanished;
      // A move whose destination it replaced cannot be let go is undone: the source
      // comes back as a copy, which keeps only what the file layer knows of its mode.
      bool copied_back = row.moves && row.target_exists && run.result != vek::PFA_E_NO_ERROR &&
                         run.call.rfind("DeleteFile", 0) == 0;
      if (exists(source)) {
        EXPECT_TRUE(yrltest::read_file(source) == bytes) << run.why << ": source changed";
        EXPECT_EQ(mode_of(source) & (copied_back ? 0200u : 07777u), copied_back ? 0200u : 0640u)
            << run.why;
      }
      if (run.result == vek::PFA_E_NO_ERROR) {
        EXPECT_TRUE(yrltest::read_file(target) == bytes) << run.why << ": reported done, not whole";
        // A source that vanished while open was copied all the same.
        if (!vanished) { EXPECT_EQ(exists(source), !row.moves) << run.why; }
      } else {
        // Nothing happened: the destination as it was, the source where it was.
        if (row.target_exists)
          EXPECT_TRUE(yrltest::read_file(target) == old_bytes) << run.why << ": destination lost";
        else
          EXPECT_FALSE(exists(target)) << run.why << ": a failed copy left a file";
        if (!vanished) { EXPECT_TRUE(exists(source)) << run.why << ": source lost"; }
      }
      // Nothing else stands anywhere: no half-made or kept-aside copy is left behind.
      for (const std::string& file : files_on_disk())
        EXPECT_TRUE(file == source || file == target) << run.why << ": stray " << file;
    };
    return yrltest::sweep_faults(op);
  }

  yrltest::TempDir local_;
  yrltest::TempDir unc_;
};

TEST_F(PfaCopySweep, CopyAndMoveLoseNothing) {
  const Row rows[] = {
      {"copy, local to local", "a.txt", "b.txt", false, false},
      {"copy over a file, local to local", "a.txt", "b.txt", true, false},
      {"copy, local to share", "a.txt", "unc:b.txt", false, false},
      {"copy over a file, local to share", "a.txt", "unc:b.txt", true, false},
      {"copy over a file, share to local", "unc:a.txt", "b.txt", true, false},
      {"move, local to local", "a.txt", "b.txt", false, true},
      {"move over a file, local to local", "a.txt", "b.txt", true, true},
      {"move, local to share", "a.txt", "unc:b.txt", false, true},
      {"move over a file, local to share", "a.txt", "unc:b.txt", true, true},
      {"move over a file, share to local", "unc:a.txt", "b.txt", true, true},
  };
  for (const Row& row : rows) {
    std::vector<std::pair<std::string, long>> calls = sweep(row);
    // Between location types the bytes go through descriptors: their reads, writes
    // and closes are among the calls failed.
    if (row.source.rfind("unc:", 0) != row.target.rfind("unc:", 0)) {
      for (const char* call : {"_read", "_write", "_close"}) {
        bool reached = false;
        for (const auto& c : calls) reached = reached || c.first == call;
        EXPECT_TRUE(reached) << row.label << " never failed " << call;
      }
    }
  }
}

// A copy or a move between location types whose written copy cannot be closed (a close
// that meets a deferred write error) fails: the destination keeps its bytes (or stays
// absent), the source stays, and no part of the copy is left beside them. The stand-in
// puts every byte in the file before such a close reports, so the bytes on disk cannot
// tell the failure: the sweeps above fail each close but only the result shows it here.
TEST_F(PfaCopySweep, AWrittenCopyThatCannotBeClosedFailsAndLosesNothing) {
  const std::string bytes = pattern(9000, 1);
  const std::string old_bytes = pattern(5000, 2);
  for (bool moves : {false, true}) {
    for (const auto& [source, target] : {std::pair<std::string, std::string>{"a.txt", "unc:b.txt"},
                                         {"unc:a.txt", "b.txt"}}) {
      for (bool target_exists : {false, true}) {
        for (const std::string& root : {local_.path(), unc_.path()})
          for (const auto& e : std::filesystem::directory_iterator(root))
            std::filesystem::remove_all(e.path());
        std::filesystem::create_directories(unc_.file("srv/share"));
        yrltest::write_file(disk(source), bytes);
        if (target_exists) yrltest::write_file(disk(target), old_bytes);
        const std::string why = source + (moves ? " moved to " : " copied to ") + target +
                                (target_exists ? ", over a file" : "");
        vek::VynFile* from = vek::pfa_alloc_file(windows_of(source).c_str());
        vek::VynFile* to = vek::pfa_alloc_file(windows_of(target).c_str());
        for (const char* close : {"_close", "CloseHandle"})
          ASSERT_TRUE(w32::fault_testing_fail_calls(close, 1, 1000, w32::ERROR_DISK_FULL));
        int result = moves ? vek::pfa_move_file(from, to) : vek::pfa_copy_file(from, 0, to, 0);
        w32::fault_testing_reset();
        vek::pfa_free_vyn_file(&from);
        vek::pfa_free_vyn_file(&to);
        EXPECT_NE(result, vek::PFA_E_NO_ERROR) << why;
        EXPECT_TRUE(yrltest::read_file(disk(source)) == bytes) << why << ": source lost";
        std::vector<std::string> left = {disk(source)};
        if (target_exists) {
          EXPECT_TRUE(yrltest::read_file(disk(target)) == old_bytes) << why << ": destination lost";
          left.push_back(disk(target));
        }
        EXPECT_EQ(files_on_disk(), sorted(left)) << why;
      }
    }
  }
}

// A copy to a share that fails part-way leaves the file there as it was and no part of
// the copy; a move whose source cannot be deleted leaves both as they were.
TEST_F(PfaCopySweep, AFailedCopyOrMoveKeepsTheDestination) {
  std::filesystem::create_directories(unc_.file("srv/share"));
  const std::string bytes = pattern(9000, 1);
  yrltest::write_file(local_.file("a.txt"), bytes);
  yrltest::write_file(unc_.file("srv/share/b.txt"), "old");
  vek::VynFile* from = vek::pfa_alloc_file(windows_of("a.txt").c_str());
  vek::VynFile* to = vek::pfa_alloc_file(windows_of("unc:b.txt").c_str());
  ASSERT_TRUE(w32::fault_testing_short_write("_write", 1, 100));
  EXPECT_NE(vek::pfa_copy_file(from, 0, to, 0), vek::PFA_E_NO_ERROR);
  w32::fault_testing_reset();
  EXPECT_EQ(yrltest::read_file(unc_.file("srv/share/b.txt")), "old");
  const std::vector<std::string> both = {local_.file("a.txt"), unc_.file("srv/share/b.txt")};
  EXPECT_EQ(files_on_disk(), sorted(both));

  ::chmod(local_.file("a.txt").c_str(), 0444);  // can be read and copied, not deleted
  EXPECT_NE(vek::pfa_move_file(from, to), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(unc_.file("srv/share/b.txt")), "old");
  EXPECT_TRUE(yrltest::read_file(local_.file("a.txt")) == bytes);
  EXPECT_EQ(files_on_disk(), sorted(both));
  ::chmod(local_.file("a.txt").c_str(), 0644);
  EXPECT_EQ(vek::pfa_move_file(from, to), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(yrltest::read_file(unc_.file("srv/share/b.txt")) == bytes);
  EXPECT_EQ(files_on_disk(), (std::vector<std::string>{unc_.file("srv/share/b.txt")}));
  vek::pfa_free_vyn_file(&from);
  vek::pfa_free_vyn_file(&to);
}

// A move between location types whose source cannot go (read-only, or held open by a
// handle that does not share deleting) must fail. Swept with every call failing in turn:
// whatever the step that fails on top of it, the destination keeps its bytes under its
// name, the source stays, and nothing is left beside them.
TEST_F(PfaCopySweep, AMoveWhoseSourceCannotGoLosesNothingWhateverElseFails) {
  struct Row {
    const char* label;
    std::string source;
    std::string target;
    bool held_open;  // else read-only
  };
  const Row rows[] = {
      {"held open, local to share", "a.txt", "unc:b.txt", true},
      {"held open, share to local", "unc:a.txt", "b.txt", true},
      {"read-only, local to share", "a.txt", "unc:b.txt", false},
      {"read-only, share to local", "unc:a.txt", "b.txt", false},
  };
  const std::string bytes = pattern(9000, 1);
  const std::string old_bytes = pattern(5000, 2);
  for (const Row& row : rows) {
    w32::HANDLE held = w32::INVALID_HANDLE_VALUE;
    auto let_go = [&] {
      if (held != w32::INVALID_HANDLE_VALUE) w32::CloseHandle(held);
      held = w32::INVALID_HANDLE_VALUE;
    };
    yrltest::SweepOp op;
    op.label = row.label;
    op.clean_fails = true;
    op.setup = [&] {
      let_go();
      for (const std::string& root : {local_.path(), unc_.path()})
        for (const auto& e : std::filesystem::directory_iterator(root))
          std::filesystem::remove_all(e.path());
      std::filesystem::create_directories(unc_.file("srv/share"));
      yrltest::write_file(disk(row.source), bytes);
      yrltest::write_file(disk(row.target), old_bytes);
      if (row.held_open) {
        held = w32::CreateFileA(windows_of(row.source).c_str(), w32::GENERIC_READ,
                                w32::FILE_SHARE_READ | w32::FILE_SHARE_WRITE, nullptr,
                                w32::OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, w32::INVALID_HANDLE_VALUE);
      } else {
        ::chmod(disk(row.source).c_str(), 0444);
      }
    };
    op.run = [&] {
      vek::VynFile* from = vek::pfa_alloc_file(windows_of(row.source).c_str());
      vek::VynFile* to = vek::pfa_alloc_file(windows_of(row.target).c_str());
      int result = vek::pfa_move_file(from, to);
      vek::pfa_free_vyn_file(&from);
      vek::pfa_free_vyn_file(&to);
      return result;
    };
    op.check = [&](const yrltest::SweepRun& run) {
      EXPECT_NE(run.result, vek::PFA_E_NO_ERROR) << run.why;
      EXPECT_TRUE(exists(disk(row.source)) && yrltest::read_file(disk(row.source)) == bytes)
          << run.why << ": source lost";
      EXPECT_TRUE(exists(disk(row.target)) && yrltest::read_file(disk(row.target)) == old_bytes)
          << run.why << ": destination lost";
      // The copy made for the move is removed when the move gives up; only a removal that
      // failed itself leaves it (whole) beside the destination.
      bool removal_failed = run.call.rfind("DeleteFile", 0) == 0;
      for (const std::string& file : files_on_disk()) {
        if (file == disk(row.source) || file == disk(row.target)) continue;
        EXPECT_TRUE(removal_failed && yrltest::read_file(file) == bytes)
            << run.why << ": stray " << file;
      }
    };
    yrltest::sweep_faults(op);
    let_go();
  }
}

// Whether a destination is kept aside is told by its rename, not by an existence check:
// with every check of the destination failing and the source's file not deletable, the
// move gives up and the destination still holds its bytes.
TEST_F(PfaCopySweep, ADestinationThatItsCheckMissesIsKeptAside) {
  const std::string bytes = pattern(9000, 1);
  for (const auto& [source, target] : {std::pair<std::string, std::string>{"a.txt", "unc:b.txt"},
                                       {"unc:a.txt", "b.txt"}}) {
    for (const std::string& root : {local_.path(), unc_.path()})
      for (const auto& e : std::filesystem::directory_iterator(root))
        std::filesystem::remove_all(e.path());
    std::filesystem::create_directories(unc_.file("srv/share"));
    yrltest::write_file(disk(source), bytes);
    yrltest::write_file(disk(target), "old");
    const std::string source_dir = windows_of(source).substr(0, windows_of(source).rfind('\\') + 1);
    vek::VynFile* from = vek::pfa_alloc_file(windows_of(source).c_str());
    vek::VynFile* to = vek::pfa_alloc_file(windows_of(target).c_str());
    ASSERT_TRUE(w32::fault_testing_fail_calls("GetFileAttributesA", 1, 1000, w32::ERROR_ACCESS_DENIED,
                                              "b.txt"));
    ASSERT_TRUE(w32::fault_testing_fail_calls("DeleteFileA", 1, 1000, w32::ERROR_ACCESS_DENIED,
                                              source_dir.c_str()));
    EXPECT_NE(vek::pfa_move_file(from, to), vek::PFA_E_NO_ERROR) << source;
    w32::fault_testing_reset();
    EXPECT_EQ(yrltest::read_file(disk(target)), "old") << source;
    EXPECT_TRUE(yrltest::read_file(disk(source)) == bytes) << source;
    std::vector<std::string> both = {disk(source), disk(target)};
    EXPECT_EQ(files_on_disk(), sorted(both)) << source;
    vek::pfa_free_vyn_file(&from);
    vek::pfa_free_vyn_file(&to);
  }
}

// A file name that names an existing directory is no file to replace: a copy or a move
// there, on one location type or between two, gives 12 and leaves the directory, its
// content and the source as they were, with nothing beside them.
TEST_F(PfaCopySweep, ADirectoryUnderAFileNameIsNotReplaced) {
  struct Row {
    std::string source;
    std::string target;
    bool moves;
  };
  const Row rows[] = {{"a.txt", "d", false}, {"a.txt", "d", true},
                      {"a.txt", "unc:d", false}, {"a.txt", "unc:d", true},
                      {"unc:a.txt", "d", true}};
  for (const Row& row : rows) {
    for (const std::string& root : {local_.path(), unc_.path()})
      for (const auto& e : std::filesystem::directory_iterator(root))
        std::filesystem::remove_all(e.path());
    std::filesystem::create_directories(unc_.file("srv/share"));
    yrltest::write_file(disk(row.source), "bytes");
    // The handle names a file; the directory comes after it.
    vek::VynFile* from = vek::pfa_alloc_file(windows_of(row.source).c_str());
    vek::VynFile* to = vek::pfa_alloc_file(windows_of(row.target).c_str());
    ASSERT_EQ(vek::pfa_is_dir(to), 0);
    std::filesystem::create_directories(disk(row.target));
    yrltest::write_file(disk(row.target) + "/in", "in");
    const std::vector<std::string> before = files_on_disk();
    const std::string why = row.source + (row.moves ? " moved to " : " copied to ") + row.target;
    EXPECT_EQ(row.moves ? vek::pfa_move_file(from, to) : vek::pfa_copy_file(from, 0, to, 0),
              vek::PFA_E_EXIST) << why;
    EXPECT_TRUE(std::filesystem::is_directory(disk(row.target))) << why;
    EXPECT_EQ(files_on_disk(), before) << why;
    EXPECT_EQ(yrltest::read_file(disk(row.source)), "bytes") << why;
    vek::pfa_free_vyn_file(&from);
    vek::pfa_free_vyn_file(&to);
  }
}

TEST_F(PfaFileSweep, RenameAndDeleteLoseNothing) {
  const auto renamed = [](const std::string& s) { return "n" + s.substr(1); };
  const SweepOp ops[] = {
      {"rename mode 0", {"a.prt.1"},
       [](const std::string& l, const std::string&) {
         return with_handles(windows(l + "/a.prt.1"), "",
                             [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_rename_file(f, "n", 0); });
       },
       renamed, false},
      {"rename mode 1", {"a.prt.1", "a.prt.2"},
       [](const std::string& l, const std::string&) {
         return with_handles(windows(l + "/a.prt.1"), "",
                             [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_rename_file(f, "n", 1); });
       },
       [](const std::string& s) { return s == "a.prt.2" ? std::string("n.prt.2") : s; }, false},
      {"rename mode 2", {"a.prt.3"},
       [](const std::string& l, const std::string&) {
         return with_handles(windows(l + "/a.prt.3"), "",
                             [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_rename_file(f, "n", 2); });
       },
       [](const std::string&) { return std::string("n.prt.1"); }, false},
      {"rename mode 3", {"a.prt.1", "a.prt.2", "a.prt.3"},
       [](const std::string& l, const std::string&) {
         return with_handles(windows(l + "/a.prt.1"), "",
                             [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_rename_file(f, "n", 3); });
       },
       renamed, false},
      {"delete mode 3", {"a.prt.1", "a.prt.2", "a.prt.3"},
       [](const std::string& l, const std::string&) {
         return with_handles(windows(l + "/a.prt.1"), "",
                             [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_delete_file(f, 3); });
       },
       same, true},
  };
  for (const SweepOp& op : ops) sweep(op);
}

}  // namespace
