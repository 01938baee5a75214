// Model files: opening by wide names, DOS line-end detection and repair, sizes.
#include "fileaccess/backends/pfamodel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/fnstring.h"
#include "platform/w32/crt.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/volume.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/fileaccess/names/names_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::narrow;
using yrltest::widen;

// What the repair must make of a text: every CR directly before an LF goes.
std::string without_dos(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// A POSIX name as the handles give full names back: '\\' delimiters.
std::string windows_form(std::string name) {
  for (char& c : name)
    if (c == '/') c = '\\';
  return name;
}

const char kHead[] = "#UGC prt 1 2 3 4 5 6 R20 rest";

class ModelFiles : public yrltest::FileaccessTest {
 protected:
  void put(const std::string& name, const std::string& text) {
    yrltest::write_file(dir_.file(name), text);
  }
  std::string get(const std::string& name) const { return yrltest::read_file(dir_.file(name)); }
  bool exists(const std::string& name) const { return std::filesystem::exists(dir_.file(name)); }
  int space_for(const std::string& name, std::int64_t* size) {
    vek::VynFile* file = vek::pfa_alloc_file(dir_.file(name).c_str());
    int answer = vek::have_space_and_perms(file, size);
    vek::pfa_free_vyn_file(&file);
    return answer;
  }
  yrltest::TempDir dir_;
};

TEST_F(ModelFiles, DosDetection) {
  struct Case {
    std::string text;
    int dos;
    std::string release;
    int status;
  };
  const std::string head = kHead;
  const Case cases[] = {
      {head + "\r\n#Mavrel x\n", 1, "R20", 0},
      {head + "\n#Mavrel x\r\n", 1, "R20", 0},
      {head + "\n#Mavrel x\n", 0, "R20", 0},
      {head + "\nother\r\n", 0, "R20", 0},  // no "#Mavrel" line
      {"#UGC prt 1 2 3 4 5 6 LONGWORD\r\n", 1, "LONG", 0},
      {"#UGC short\r\n", 1, "", 0},
      {"plain text\r\n#Mavrel\r\n", 0, "", 0},  // not a model file
      {"", 0, "", vek::PFA_E_QUIT},
  };
  for (const Case& c : cases) {
    put("m", c.text);
    vek::VynFile* f = vek::pfa_fopen_file_vers(dir_.file("m").c_str(), "rb", 0);
    ASSERT_NE(f, nullptr);
    char release[8] = "junk";
    int status = -1;
    EXPECT_EQ(vek::is_dossed_ugc_file(f, &status, release), c.dos) << c.text;
    EXPECT_EQ(std::string(release), c.release) << c.text;
    EXPECT_EQ(status, c.status) << c.text;
    long position = -1;
    EXPECT_EQ(vek::pfa_get_file_position(f, &position), 0);
    EXPECT_EQ(position, 0L) << c.text;  // back at its start
    EXPECT_EQ(vek::pfa_dispose(&f), 0);
  }
}

TEST_F(ModelFiles, RepairWritesTheNextVersionWithPlainLineFeeds) {
  std::string text = std::string(kHead) + "\r\n#Mavrel x\r\nbody\rkept\r\r\nend\r";
  put("m.prt.3", text);
  yrltest::ConsoleCapture console;
  vek::VynFile* handle = vek::pfa_alloc_file(dir_.file("m.prt.3").c_str());
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(handle, 0, 0), 1);
  vek::pfa_free_vyn_file(&handle);
  EXPECT_EQ(get("m.prt.4"), without_dos(text));
  EXPECT_EQ(get("m.prt.4"), std::string(kHead) + "\n#Mavrel x\nbody\rkept\r\nend\r");
  EXPECT_FALSE(exists("m.prt.3"));
  EXPECT_EQ(console.err(),
            "m.prt.3: Mavrel Release R20 file.\n"
            "  Invalid file format detected. File is being converted.....\n"
            "  ...File has been converted to m.prt.4\n");

  // Checking only, over a directory: nothing changes.
  put("d.prt", text);
  put("ok.prt", std::string(kHead) + "\n#Mavrel\n");
  put("other.txt", "x\r\n");
  console.clear();
  vek::VynFile* dir = vek::pfa_alloc_dir(dir_.path().c_str());
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(dir, 1, 0), 1);
  vek::pfa_free_vyn_file(&dir);
  EXPECT_EQ(get("d.prt"), text);
  const std::string err = console.err();
  EXPECT_NE(err.find("d.prt: Mavrel Release R20 file. Invalid file format detected.\n"
                     "  File needs to be corrected to allow retrieval into Mavrel.\n"
                     "  Temporary additional disk space may be needed to correct file.\n"),
            std::string::npos);
  EXPECT_NE(err.find("ok.prt: Mavrel Release R20 file.\n"
                     "  File format is correct and does not need to be corrected.\n"),
            std::string::npos);
  EXPECT_NE(err.find("other.txt: Not a recognized Mavrel file\n"), std::string::npos);
  // A directory that cannot be listed, a file that cannot be opened, no handle.
  console.clear();
  dir = vek::pfa_alloc_dir(dir_.file("missing").c_str());
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(dir, 1, 0), 0);
  vek::pfa_free_vyn_file(&dir);
  EXPECT_EQ(console.err(), "Could not open directory.\n");
  console.clear();
  handle = vek::pfa_alloc_file(dir_.file("missing.prt").c_str());
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(handle, 1, 0), 0);
  vek::pfa_free_vyn_file(&handle);
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(nullptr, 1, 0), 0);
  EXPECT_EQ(console.err(), "");
}

// A CR at the end of a 32,768-byte block waits for the next block's first byte.
TEST_F(ModelFiles, CarriageReturnsAtBlockEnds) {
  const std::size_t block = 32768;
  std::string head = std::string(kHead) + "\r\n";
  struct Case {
    const char* what;
    std::string tail;
  };
  auto at_block_end = [&](const std::string& after) {
    std::string text = head + std::string(block - head.size() - 1, 'a') + "\r" + after;
    return text;
  };
  const Case cases[] = {
      {"CR LF across the boundary", "\nrest"},
      {"CR then text", "xrest"},
      {"CR CR LF", "\r\nrest"},
      {"CR ends the file", ""},
  };
  for (const Case& c : cases) {
    std::string text = at_block_end(c.tail);
    put("b.prt", text);
    int status = -1;
    ASSERT_EQ(vek::vyn_fix_dossed_file(dir_.file("b.prt").c_str(), dir_.file("b.prt").c_str(),
                                       &status, nullptr),
              1)
        << c.what;
    EXPECT_EQ(status, 0);
    EXPECT_EQ(get("b.prt.2"), without_dos(text)) << c.what;
    std::filesystem::remove(dir_.file("b.prt.2"));
  }
  // Random text of CRs, LFs and letters over several blocks.
  std::mt19937 random(7);
  std::string text = head;
  while (text.size() < 5 * block) text += "\r\na"[random() % 3];
  put("r.prt", text);
  char written[300];
  ASSERT_EQ(vek::vyn_fix_dossed_file(dir_.file("r.prt").c_str(), dir_.file("r.prt").c_str(),
                                     nullptr, nullptr, written),
            1);
  EXPECT_EQ(std::string(written), windows_form(dir_.file("r.prt.2")));
  EXPECT_EQ(get("r.prt.2"), without_dos(text));
}

TEST_F(ModelFiles, FailedRepairLeavesNoTargetAndTheSourceWhole) {
  std::string text = std::string(kHead) + "\r\n";
  while (text.size() < 100000) text += "line of the model\r\n";
  put("m.prt.3", text);
  const std::string source = dir_.file("m.prt.3");
  int status = -1;
  ASSERT_EQ(vek::vyn_fix_dossed_file(source.c_str(), source.c_str(), &status, nullptr), 1);
  long writes = w32::fault_testing_calls("WriteFile");
  long reads = w32::fault_testing_calls("ReadFile");
  ASSERT_GT(writes, 1);
  ASSERT_GT(reads, 1);
  std::filesystem::remove(dir_.file("m.prt.4"));
  struct Sweep {
    const char* function;
    long calls;
  };
  // A disk that fills at each write, and a source whose reads fail from each read on:
  // the result is the failure, no target stays and the source is untouched.
  for (const Sweep& sweep : {Sweep{"WriteFile", writes}, Sweep{"ReadFile", reads}}) {
    for (long n = 1; n <= sweep.calls; ++n) {
      w32::fault_testing_reset();
      if (std::string(sweep.function) == "WriteFile") {
        ASSERT_TRUE(w32::fault_testing_short_write("WriteFile", static_cast<int>(n), 0));
      } else {
        ASSERT_TRUE(w32::fault_testing_fail_calls("ReadFile", static_cast<int>(n), 1 << 30,
                                                  w32::ERROR_FILE_NOT_FOUND));
      }
      EXPECT_EQ(vek::vyn_fix_dossed_file(source.c_str(), source.c_str(), &status, nullptr), 0)
          << sweep.function << " " << n;
      EXPECT_NE(status, 0);
      EXPECT_FALSE(exists("m.prt.4")) << sweep.function << " " << n;
      EXPECT_EQ(get("m.prt.3"), text);
    }
  }
  // A single read that fails is read again: the repair is then whole, or it is the
  // failure with nothing left behind, never a cut copy reported as done.
  for (long n = 1; n <= reads; ++n) {
    w32::fault_testing_reset();
    ASSERT_TRUE(w32::fault_testing_fail_on_call("ReadFile", static_cast<int>(n),
                                                w32::ERROR_FILE_NOT_FOUND));
    int converted = vek::vyn_fix_dossed_file(source.c_str(), source.c_str(), &status, nullptr);
    if (converted) {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(get("m.prt.4"), without_dos(text)) << n;
      std::filesystem::remove(dir_.file("m.prt.4"));
    } else {
      EXPECT_NE(status, 0);
      EXPECT_FALSE(exists("m.prt.4")) << n;
    }
    EXPECT_EQ(get("m.prt.3"), text);
  }
  // A source that vanished before it was opened.
  w32::fault_testing_reset();
  ASSERT_TRUE(w32::fault_testing_fail_on_call("fopen", 1, w32::ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(vek::vyn_fix_dossed_file(source.c_str(), source.c_str(), &status, nullptr), 0);
  EXPECT_EQ(status, vek::PFA_E_ERROR);  // the open's code
  EXPECT_FALSE(exists("m.prt.4"));

  // Through the directory repair: the source version stays when the copy failed.
  w32::fault_testing_reset();
  ASSERT_TRUE(w32::fault_testing_short_write("WriteFile", 2, 0));
  yrltest::ConsoleCapture console;
  vek::VynFile* handle = vek::pfa_alloc_file(source.c_str());
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(handle, 0, 0), 0);
  vek::pfa_free_vyn_file(&handle);
  EXPECT_EQ(get("m.prt.3"), text);
  EXPECT_FALSE(exists("m.prt.4"));
  EXPECT_NE(console.err().find("...conversion failed\n"), std::string::npos);
}

// The version the repair writes is made, never opened: one that turned up after the
// versions were looked up (another program wrote it) is another program's file, which
// the repair must neither cut nor fill nor delete when it gives up.
void write_other_version(void* path) {
  yrltest::write_file(*static_cast<std::string*>(path), "written meanwhile");
}

TEST_F(ModelFiles, ARepairNeverOpensAVersionThatTurnedUpMeanwhile) {
  const std::string text = std::string(kHead) + "\r\nline\r\n";
  put("m.prt.3", text);
  const std::string source = dir_.file("m.prt.3");
  std::string meanwhile = dir_.file("m.prt.4");
  // The source is opened first, the version written second.
  ASSERT_TRUE(w32::fault_testing_hook_call("fopen", 2, write_other_version, &meanwhile));
  int status = -1;
  char written[vek::PFA_NAME_SIZE] = "";
  int converted = vek::vyn_fix_dossed_file(source.c_str(), source.c_str(), &status, nullptr, written);
  EXPECT_EQ(w32::fault_testing_armed(), 0) << "the hook never ran";
  w32::fault_testing_reset();
  EXPECT_EQ(get("m.prt.4"), "written meanwhile");
  EXPECT_EQ(get("m.prt.3"), text);
  if (converted) {
    EXPECT_EQ(status, 0);
    EXPECT_EQ(get("m.prt.5"), without_dos(text));
    EXPECT_EQ(std::string(written), windows_form(dir_.file("m.prt.5")));
  } else {
    EXPECT_NE(status, 0);
    EXPECT_FALSE(exists("m.prt.5"));
  }
}

// The test reads the head lines and puts the file back at its start: when that fails the
// copy would start behind them, and the version it replaces must stay.
TEST_F(ModelFiles, ARepairThatCannotRewindKeepsTheSource) {
  std::string text = std::string(kHead) + "\r\n#Mavrel x\r\nbody\r\n";
  put("m.prt.3", text);
  yrltest::ConsoleCapture console;
  ASSERT_TRUE(w32::fault_testing_fail_calls("SetFilePointer", 1, 1 << 30, w32::ERROR_ACCESS_DENIED));
  vek::VynFile* handle = vek::pfa_alloc_file(dir_.file("m.prt.3").c_str());
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(handle, 0, 0), 0);
  vek::pfa_free_vyn_file(&handle);
  w32::fault_testing_reset();
  EXPECT_EQ(get("m.prt.3"), text);
  EXPECT_FALSE(exists("m.prt.4"));
  int status = 0;
  ASSERT_TRUE(w32::fault_testing_fail_calls("SetFilePointer", 1, 1 << 30, w32::ERROR_ACCESS_DENIED));
  EXPECT_EQ(vek::vyn_fix_dossed_file(dir_.file("m.prt.3").c_str(), dir_.file("m.prt.3").c_str(),
                                     &status, nullptr),
            0);
  w32::fault_testing_reset();
  EXPECT_NE(status, 0);
  EXPECT_FALSE(exists("m.prt.4"));
}

struct NestedRepair {
  std::string source;
  int converted;
};

void repair_nested(void* data) {
  auto* nested = static_cast<NestedRepair*>(data);
  int status = 0;
  nested->converted =
      vek::vyn_fix_dossed_file(nested->source.c_str(), nested->source.c_str(), &status, nullptr);
}

// A repair that runs while another is writing (here from inside the system call the
// first makes) does not disturb it: each copy has blocks of its own.
TEST_F(ModelFiles, RepairsMayRunInsideOneAnother) {
  std::string outer = std::string(kHead) + "\r\n#Mavrel x\r\n";
  std::string inner = outer;
  while (outer.size() < 30000) outer += "outer line of the model\r\n";
  while (inner.size() < 30000) inner += "inner\r\n";
  put("a.prt.1", outer);
  put("b.prt.1", inner);
  NestedRepair nested{dir_.file("b.prt.1"), -1};
  ASSERT_TRUE(w32::fault_testing_hook_call("WriteFile", 1, repair_nested, &nested));
  int status = 0;
  EXPECT_EQ(vek::vyn_fix_dossed_file(dir_.file("a.prt.1").c_str(), dir_.file("a.prt.1").c_str(),
                                     &status, nullptr),
            1);
  w32::fault_testing_reset();
  EXPECT_EQ(nested.converted, 1);
  EXPECT_TRUE(get("a.prt.2") == without_dos(outer));
  EXPECT_TRUE(get("b.prt.2") == without_dos(inner));
}

// The repair of one file, swept: every call failing in turn, cut short, or the file
// gone. Whatever fails, each version is whole or absent, one of them stands, and a
// success has replaced the old version with the repaired one.
TEST_F(ModelFiles, RepairSweepLosesNothing) {
  std::string text = std::string(kHead) + "\r\n#Mavrel x\r\n";
  while (text.size() < 40000) text += "line of the model\r\n";
  yrltest::SweepOp op;
  op.label = "repair m.prt.3";
  op.setup = [&] {
    for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
      std::filesystem::remove_all(e.path());
    put("m.prt.3", text);
  };
  op.run = [&] {
    vek::VynFile* handle = vek::pfa_alloc_file(dir_.file("m.prt.3").c_str());
    int done = vek::vyn_fix_dossed_pfa_dirs(handle, 0, 0);
    vek::pfa_free_vyn_file(&handle);
    return done == 1 ? 0 : 1;
  };
  op.vanishing = [&] { return dir_.file("m.prt.3"); };
  op.short_bytes = 100;
  op.check = [&](const yrltest::SweepRun& run) {
    if (exists("m.prt.3")) { EXPECT_TRUE(get("m.prt.3") == text) << run.why << ": source changed"; }
    if (exists("m.prt.4")) {
      EXPECT_TRUE(get("m.prt.4") == without_dos(text)) << run.why << ": repair not whole";
    }
    if (run.result == 0) {
      EXPECT_TRUE(exists("m.prt.4")) << run.why;
      EXPECT_FALSE(exists("m.prt.3")) << run.why;
    } else if (run.fault != yrltest::SweepFault::vanished) {
      EXPECT_TRUE(exists("m.prt.3") || exists("m.prt.4")) << run.why << ": lost";
    }
    // A source gone before its next version was looked up has its repair as version 1.
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
      std::string name = e.path().filename().string();
      bool expected = name == "m.prt.3" || name == "m.prt.4" ||
                      (run.fault == yrltest::SweepFault::vanished && name == "m.prt.1" &&
                       get(name) == without_dos(text));
      EXPECT_TRUE(expected) << run.why << ": stray " << name;
    }
  };
  yrltest::ConsoleCapture console;
  yrltest::sweep_faults(op);
}

TEST_F(ModelFiles, FormattedSizes) {
  struct Case {
    std::int64_t bytes;
    const char* text;
  };
  const Case cases[] = {
      {0, "0 bytes"},
      {1023, "1023 bytes"},
      {1024, "1 Kbytes"},
      {1048575, "1023 Kbytes"},
      {1048576, "1 Mbytes"},
      {3221225472LL, "3 Gbytes"},
      {1099511627776LL, "1024 Gbytes"},
  };
  for (const Case& c : cases) EXPECT_STREQ(vek::formatted_size(c.bytes), c.text) << c.bytes;
}

TEST_F(ModelFiles, SpaceAndPermissionsCompareWholeSizes) {
  put("small", "x");
  std::int64_t size = -1;
  EXPECT_EQ(space_for("small", &size), 1);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(space_for("missing", &size), 0);
  EXPECT_EQ(size, 0);

  // A sparse file larger than the free space by 4 GiB: its size must not be cut to 32 bits.
  w32::DWORD sectors = 0, bytes = 0, free_clusters = 0, total = 0;
  ASSERT_TRUE(w32::GetDiskFreeSpaceA("C:\\", &sectors, &bytes, &free_clusters, &total));
  std::int64_t room = static_cast<std::int64_t>(sectors) * bytes * free_clusters;
  std::int64_t big = room + (std::int64_t{1} << 32) + 7;
  int fd = ::open(dir_.file("big").c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  if (::ftruncate(fd, big) != 0) {
    ::close(fd);
    GTEST_SKIP() << "the file system takes no sparse file of that size";
  }
  ::close(fd);
  EXPECT_EQ(space_for("big", &size), 0);
  EXPECT_EQ(size, big);
}

TEST_F(ModelFiles, NamesOpensAndDates) {
  struct Strip {
    const char* name;
    std::string out;
  };
  const Strip strips[] = {
      {"a.prt.7", "a.prt"},   {"a.prt", "a.prt"},       {".cfg.3", ".cfg.3"},
      {"d.x\\a.prt.7", "d.x\\a.prt"}, {"a.b.c.d", "a.b"}, {"", ""},
  };
  for (const Strip& c : strips) {
    char out[64];
    EXPECT_EQ(vek::strip_version_from_char_name(c.name, out), 1);
    EXPECT_EQ(std::string(out), c.out) << c.name;
  }
  char16_t lower[64];
  vek::file_name_cnvrt_to_lower(u"C:\\DIR\\A.PRT.3", lower);
  EXPECT_EQ(narrow(lower), "C:\\DIR\\a.prt.3");

  // Writing opens form the lower-cased name; reading opens the name on disk.
  std::FILE* f = vek::spg_fopen(widen(dir_.path() + "/M.PRT.2").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("two", f);
  std::fclose(f);
  EXPECT_TRUE(std::filesystem::exists(dir_.file("m.prt.2")));
  f = vek::spg_fopen(widen(dir_.file("m.prt.2")).c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(vek::spg_fopen(widen(dir_.file("none.prt")).c_str(), "r"), nullptr);
  // The handle open lower-cases path and base name for writing, and reads the name on
  // disk; names of 260 characters or more are refused, never cut.
  ASSERT_EQ(::mkdir(dir_.file("sub").c_str(), 0755), 0);
  vek::VynFile* handle = vek::pfa_spg_fopen(widen(dir_.path() + "/SUB/Q.PRT").c_str(), "w");
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(vek::pfa_fputs(handle, "q"), 0);
  EXPECT_EQ(vek::pfa_dispose(&handle), 0);
  EXPECT_EQ(yrltest::read_file(dir_.file("sub/q.prt")), "q");
  handle = vek::pfa_spg_fopen(widen(dir_.file("sub/q.PRT")).c_str(), "r");
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(vek::pfa_fgetc(handle), 'q');
  EXPECT_EQ(vek::pfa_dispose(&handle), 0);
  EXPECT_EQ(vek::pfa_spg_fopen(widen(dir_.file("sub/none.prt")).c_str(), "r"), nullptr);
  EXPECT_EQ(vek::pfa_spg_fopen(widen(dir_.path() + "/" + std::string(270, 'n')).c_str(), "w"),
            nullptr);
  int fd = vek::spg_open(widen(dir_.file("m.prt.2")).c_str(), 0, 0);
  ASSERT_GE(fd, 0);
  ::close(fd);
  fd = vek::spg_open(widen(dir_.path() + "/N.PRT").c_str(), w32::_O_CREAT | w32::_O_WRONLY,
                     w32::_S_IREAD | w32::_S_IWRITE);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_TRUE(std::filesystem::exists(dir_.file("n.prt")));

  put("x.prt", "plain");
  char16_t real[vek::VYN_NAME_MAX];
  EXPECT_EQ(vek::get_real_name(widen(dir_.file("x.prt.1")).c_str(), real), 1);
  EXPECT_EQ(narrow(real), windows_form(dir_.file("x.prt")));
  EXPECT_EQ(vek::get_real_name(widen(dir_.file("x.prt.2")).c_str(), real), 0);
  EXPECT_EQ(vek::spg_access(widen(dir_.file("x.prt.1")).c_str(), 4), 0);
  EXPECT_EQ(vek::spg_access(widen(dir_.file("x.prt")).c_str(), 0), 0);
  EXPECT_EQ(vek::spg_access(widen(dir_.file("none")).c_str(), 0), -1);

  std::int64_t when = 0;
  EXPECT_EQ(vek::vyn_get_mdate(widen(dir_.file("x.prt")).c_str(), &when), 1);
  EXPECT_GT(when, 1000000000);
  EXPECT_EQ(vek::vyn_get_cdate(widen(dir_.file("x.prt")).c_str(), nullptr), 1);
  EXPECT_EQ(vek::vyn_get_mdate(widen(dir_.file("none")).c_str(), &when), 0);

  // Formed names that would reach 260 characters are refused, not cut.
  std::string name = dir_.file(std::string(250 - dir_.path().size(), 'n')) + ".prt.12";
  ASSERT_GE(name.size(), 256u);
  f = vek::spg_fopen(widen(name.substr(0, 259)).c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  std::u16string too_long = widen(name.substr(0, 253)) + u".prt.123";
  EXPECT_EQ(vek::spg_fopen(too_long.c_str(), "w"), nullptr);
  EXPECT_EQ(vek::spg_open(too_long.c_str(), w32::_O_CREAT | w32::_O_WRONLY, 0), -1);
}

// Finding a handle's file: a version 1 that does not exist is the unversioned file.
TEST_F(ModelFiles, FindingFilesAndTheUnversionedFile) {
  put("plain.prt", "x");
  put("seven.prt.7", "x");
  put("one.prt.1", "x");
  struct Case {
    const char* name;
    int found;
    int version_after;
  };
  const Case cases[] = {
      {"plain.prt", 1, 0},    // as named
      {"plain.prt.1", 1, 0},  // version 1 missing: the unversioned file, version 0 kept
      {"plain.prt.2", 0, 2},  // only version 1 falls back
      {"one.prt.1", 1, 1},    // version 1 exists itself
      {"seven.prt.7", 1, 7},
      {"seven.prt.1", 0, 1},  // neither version 1 nor the unversioned file: back to 1
      {"seven.prt", 0, 0},
      {"none.prt.1", 0, 1},
  };
  for (const Case& c : cases) {
    vek::VynFile* file = vek::pfa_alloc_file(dir_.file(c.name).c_str());
    ASSERT_NE(file, nullptr) << c.name;
    EXPECT_EQ(vek::find_pfa(file), c.found) << c.name;
    EXPECT_EQ(vek::pfa_get_version(file), c.version_after) << c.name;
    vek::pfa_free_vyn_file(&file);
  }
  EXPECT_EQ(vek::find_pfa(nullptr), 0);
  EXPECT_EQ(vek::get_real_name_pfa(nullptr), 0);
}

// A location that keeps letter case: a name exists only in the case it was written.
std::set<std::string>* exact_names = nullptr;

int exact_case_access(vek::VynFile* file, int, int) {
  char name[vek::PFA_NAME_SIZE];
  if (vek::pfa_get_file_name_mixed_case(file, vek::PFA_MASK_NAME | vek::PFA_MASK_EXTENSION |
                                                  vek::PFA_MASK_VERSION,
                                        name, 0) != 0)
    return 0;
  return exact_names->count(name) ? 1 : 0;
}
int keeps_case(vek::VynFile*) { return 1; }

class CaseKeepingLocation : public ModelFiles {
 protected:
  void SetUp() override {
    ModelFiles::SetUp();
    exact_names = &names_;
    vek::VynFile* first = nullptr;
    ASSERT_EQ(vek::pfa_alloc_vyn_file(&first), 0);  // registers the location types
    vek::pfa_free_vyn_file(&first);
    ASSERT_TRUE(vek::pfa_loc_register_append(1));
    vek::pfa_loc_method_register(1, vek::PfaCaseSensitiveLoc, vek::PLM_CALL_F,
                                 vek::as_method(&keeps_case));
    vek::pfa_loc_method_register(1, vek::PfaAccess, vek::PLM_CALL_FII,
                                 vek::as_method(&exact_case_access));
    vek::pfa_loc_register_setup(0);
  }
  void TearDown() override {
    exact_names = nullptr;
    ModelFiles::TearDown();
  }
  std::set<std::string> names_;
};

// A mixed-case name that does not exist is found under each of the four case variants
// of base name and extension, in their order; a name found nowhere is put back.
TEST_F(CaseKeepingLocation, TheNameOnDiskIsFoundUnderItsCaseVariants) {
  struct Case {
    std::set<std::string> on_disk;
    const char* asked;
    int found;
    const char* carried;  // name, extension and version afterwards
  };
  const Case cases[] = {
      {{"AbC.PrT"}, "AbC.PrT", 1, "AbC.PrT"},  // as named
      {{"abc.prt"}, "AbC.PrT", 1, "abc.prt"},
      {{"ABC.PRT"}, "AbC.PrT", 1, "ABC.PRT"},
      {{"abc.PRT"}, "AbC.PrT", 1, "abc.PRT"},
      {{"ABC.prt"}, "AbC.PrT", 1, "ABC.prt"},
      {{"ABC.prt", "abc.PRT", "ABC.PRT", "abc.prt"}, "AbC.PrT", 1, "abc.prt"},  // first wins
      {{"ABC.prt", "abc.PRT"}, "AbC.PrT", 1, "abc.PRT"},
      {{"ABC.PRT"}, "AbC.PrT.1", 1, "ABC.PRT"},  // version 1 as the unversioned file
      {{"ABC.PRT.1"}, "AbC.PrT.1", 1, "ABC.PRT.1"},
      {{"aBc.pRt"}, "AbC.PrT", 0, "AbC.PrT"},   // no variant: the handle's name back
      {{"aBc.pRt"}, "AbC.PrT.1", 0, "AbC.PrT.1"},
      {{}, "AbC", 0, "AbC"},
      {{"ABC"}, "AbC", 1, "ABC"},  // no extension
  };
  for (const Case& c : cases) {
    names_ = c.on_disk;
    vek::VynFile* file = vek::pfa_alloc_file(dir_.file(c.asked).c_str());
    ASSERT_NE(file, nullptr) << c.asked;
    const int type = vek::pfa_get_obj_type(file);
    EXPECT_EQ(vek::get_real_name_pfa(file), c.found) << c.asked << " " << *c.on_disk.begin();
    char carried[vek::PFA_NAME_SIZE];
    ASSERT_EQ(vek::pfa_get_file_name_mixed_case(file, 56, carried, 0), 0);
    EXPECT_STREQ(carried, c.carried) << c.asked;
    if (!c.found) {
      EXPECT_EQ(vek::pfa_get_obj_type(file), type) << c.asked;
    }
    vek::pfa_free_vyn_file(&file);

    // The wide form gives the full name found.
    char16_t real[vek::VYN_NAME_MAX];
    EXPECT_EQ(vek::get_real_name(widen(dir_.file(c.asked)).c_str(), real), c.found) << c.asked;
    EXPECT_EQ(narrow(real), windows_form(dir_.file(c.carried))) << c.asked;
  }
}

// The local file system does not keep letter case: any case finds its file at once, and
// a missing name tries no variants.
TEST_F(ModelFiles, TheNameOnDiskOnTheLocalFileSystem) {
  put("abc.prt", "x");
  vek::VynFile* file = vek::pfa_alloc_file(dir_.file("ABC.PRT").c_str());
  EXPECT_EQ(vek::get_real_name_pfa(file), 1);
  vek::pfa_free_vyn_file(&file);
  file = vek::pfa_alloc_file(dir_.file("NoNe.PrT").c_str());
  EXPECT_EQ(vek::get_real_name_pfa(file), 0);
  char carried[vek::PFA_NAME_SIZE];
  ASSERT_EQ(vek::pfa_get_file_name_mixed_case(file, 56, carried, 0), 0);
  EXPECT_STREQ(carried, "NoNe.PrT");
  vek::pfa_free_vyn_file(&file);

  char16_t real[vek::VYN_NAME_MAX] = u"junk";
  EXPECT_EQ(vek::get_real_name(nullptr, real), 0);
  EXPECT_EQ(narrow(real), "");
  EXPECT_EQ(vek::get_real_name(widen(dir_.file("abc.prt")).c_str(), nullptr), 0);
  EXPECT_EQ(vek::get_real_name(widen(dir_.path() + "/" + std::string(270, 'n')).c_str(), real), 0);
  EXPECT_EQ(narrow(real), "");
}

TEST_F(ModelFiles, WriteAccessByName) {
  put("w.prt", "x");
  const std::string name = dir_.file("w.prt");
  auto write_bits = [&] {
    struct stat s {};
    EXPECT_EQ(::stat(name.c_str(), &s), 0);
    return s.st_mode & 0222;
  };
  EXPECT_EQ(vek::change_file_write_access(widen(name).c_str(), 0), 0);
  EXPECT_EQ(write_bits(), 0u);
  EXPECT_EQ(vek::change_file_write_access(widen(name).c_str(), 1), 0);
  EXPECT_NE(write_bits(), 0u);
  EXPECT_NE(vek::change_file_write_access(widen(dir_.file("none.prt")).c_str(), 1), 0);
  EXPECT_EQ(vek::change_file_write_access(nullptr, 1), 1);  // no handle
}

// The repair on two handles: the target carries the version written.
TEST_F(ModelFiles, RepairOnHandles) {
  const std::string dos = std::string(kHead) + "\r\n#Mavrel x\r\nbody\r\n";
  const std::string plain = std::string(kHead) + "\n#Mavrel x\n";
  put("d.prt.3", dos);
  put("p.prt.3", plain);
  struct Case {
    const char* source;
    const char* target;
    int converted;
    int status;
    int target_version;
    const char* release;
  };
  const Case cases[] = {
      {"d.prt.3", "d.prt.3", 1, 0, 4, "R20"},
      {"d.prt.3", "e.prt", 1, 0, 1, "R20"},    // another name: its first version
      {"p.prt.3", "p.prt.3", 0, 0, 3, "R20"},  // no repair needed, nothing written
      {"none.prt", "none.prt", 0, vek::PFA_E_ERROR, 0, ""},  // the open's code
  };
  for (const Case& c : cases) {
    vek::VynFile* source = vek::pfa_alloc_file(dir_.file(c.source).c_str());
    vek::VynFile* target = vek::pfa_alloc_file(dir_.file(c.target).c_str());
    int status = -1;
    char release[8] = "junk";
    EXPECT_EQ(vek::vyn_fix_dossed_pfas(source, target, &status, release), c.converted)
        << c.source << " " << c.target;
    EXPECT_EQ(status, c.status) << c.source;
    EXPECT_STREQ(release, c.release) << c.source;
    EXPECT_EQ(vek::pfa_get_version(target), c.target_version) << c.source;
    EXPECT_FALSE(vek::pfa_file_is_open(source));
    EXPECT_FALSE(vek::pfa_file_is_open(target));
    if (c.converted) {
      char written[vek::PFA_NAME_SIZE];
      ASSERT_EQ(vek::pfa_get_file_name(target, 56, written), 0);
      EXPECT_EQ(get(written), without_dos(dos));
    }
    vek::pfa_free_vyn_file(&source);
    vek::pfa_free_vyn_file(&target);
  }
  EXPECT_EQ(get("d.prt.3"), dos);  // the source stays: deleting it is the caller's
  EXPECT_FALSE(exists("p.prt.4"));
  // Invalid or identical handles are refused.
  vek::VynFile* one = vek::pfa_alloc_file(dir_.file("d.prt.3").c_str());
  int status = -1;
  EXPECT_EQ(vek::vyn_fix_dossed_pfas(one, one, &status, nullptr), 0);
  EXPECT_EQ(status, vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::vyn_fix_dossed_pfas(one, nullptr, &status, nullptr), 0);
  EXPECT_EQ(status, vek::PFA_E_NOT_VALID);
  vek::pfa_free_vyn_file(&one);
  EXPECT_FALSE(exists("d.prt.5"));
}

// Subdirectories are repaired only when asked to descend; a repair's new version is not
// handled again in the same walk.
TEST_F(ModelFiles, RepairingADirectoryTree) {
  const std::string dos = std::string(kHead) + "\r\n#Mavrel x\r\n";
  ASSERT_EQ(::mkdir(dir_.file("sub").c_str(), 0755), 0);
  put("top.prt.1", dos);
  put("sub/low.prt.2", dos);
  yrltest::ConsoleCapture console;
  vek::VynFile* dir = vek::pfa_alloc_dir(dir_.path().c_str());
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(dir, 0, 0), 1);
  EXPECT_EQ(get("top.prt.2"), without_dos(dos));
  EXPECT_FALSE(exists("top.prt.1"));
  EXPECT_FALSE(exists("top.prt.3"));
  EXPECT_EQ(get("sub/low.prt.2"), dos);
  EXPECT_EQ(vek::vyn_fix_dossed_pfa_dirs(dir, 0, 1), 1);
  EXPECT_EQ(get("sub/low.prt.3"), without_dos(dos));
  EXPECT_FALSE(exists("sub/low.prt.2"));
  EXPECT_EQ(get("top.prt.2"), without_dos(dos));  // already plain: left alone
  EXPECT_FALSE(exists("top.prt.3"));
  vek::pfa_free_vyn_file(&dir);
  const std::string err = console.err();
  EXPECT_NE(err.find("  ...File has been converted to top.prt.2\n"), std::string::npos) << err;
  EXPECT_NE(err.find("  ...File has been converted to low.prt.3\n"), std::string::npos) << err;
  EXPECT_NE(err.find("top.prt.2: Mavrel Release R20 file.\n"
                     "  File format is correct and does not need to be corrected.\n"),
            std::string::npos)
      << err;
}

}  // namespace
