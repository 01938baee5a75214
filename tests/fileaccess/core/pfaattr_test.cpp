// The attributes a handle carries or asks its location about, the streams taken over
// from outside, and the file calls that refresh the directory cache.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "fileaccess/core/pfadircache_testing.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/dci.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/temp_dir.h"

namespace {

using vek::VynFile;

class PfaAttr : public yrltest::FileaccessTest {};

TEST_F(PfaAttr, SameLocationsAndTheirOrder) {
  VynFile* a = vek::pfa_alloc_file("C:\\Dir\\x.prt");
  VynFile* b = vek::pfa_alloc_file("c:\\dir\\y.prt");
  VynFile* c = vek::pfa_alloc_file("C:\\other\\x.prt");
  char here[80];
  std::snprintf(here, sizeof here, "%s::C:\\dir\\z.prt", vek::local_host_name());
  VynFile* d = vek::pfa_alloc_file(here);
  VynFile* e = vek::pfa_alloc_file("stdio://out");
  ASSERT_TRUE(a && b && c && d && e);
  EXPECT_EQ(vek::pfa_same_locations(a, b), 1);  // the local file system ignores case
  EXPECT_EQ(vek::pfa_same_locations(a, c), 0);
  EXPECT_EQ(vek::pfa_same_locations(a, d), vek::local_host_name()[0] ? 1 : 0);
  EXPECT_EQ(vek::pfa_same_locations(a, e), 0);
  EXPECT_EQ(vek::pfa_same_locations(a, nullptr), 0);
  EXPECT_EQ(vek::compare_vyn_files(nullptr, nullptr), 0);
  EXPECT_LT(vek::compare_vyn_files(nullptr, a), 0);
  EXPECT_LT(vek::compare_vyn_files(a, e), 0);  // by location type first
  EXPECT_EQ(vek::compare_vyn_files(a, a), 0);
  for (VynFile** f : {&a, &b, &c, &d, &e}) vek::pfa_free_vyn_file(f);
}

TEST_F(PfaAttr, FlagsSubtypeAndContentHints) {
  VynFile* f = vek::pfa_alloc_file("C:\\dir\\x.prt");
  EXPECT_EQ(vek::pfa_set_ui_hidden_flag(f, 1), 0);
  EXPECT_EQ(vek::pfa_set_ui_hidden_flag(f, 0), 1);
  EXPECT_EQ(vek::pfa_get_ui_hidden_flag(f), 0);
  EXPECT_EQ(vek::pfa_set_generic_in_name(f, 1), 0);
  EXPECT_EQ(vek::pfa_is_generic_in_name(f), 1);
  EXPECT_EQ(vek::pfa_is_mounted(f), 0);
  EXPECT_EQ(vek::pfa_set_mounted(f, 1), 1);
  EXPECT_EQ(f->flags & (vek::PFA_FLAG_MOUNTED | vek::PFA_FLAG_MOUNTED_KNOWN),
            vek::PFA_FLAG_MOUNTED | vek::PFA_FLAG_MOUNTED_KNOWN);
  EXPECT_EQ(vek::pfa_is_remote_mounted(f), 1);  // the known state, not the drive's
  int subtype = -1;
  EXPECT_EQ(vek::pfa_get_file_subclass_quickly(f, &subtype), vek::PFA_E_NOT_FOUND);
  EXPECT_EQ(vek::pfa_set_file_subtype(f, 7), 0);
  EXPECT_EQ(vek::pfa_get_file_subclass_quickly(f, &subtype), 0);
  EXPECT_EQ(subtype, 7);
  const VynWchar* model = u"x";
  int dependency = -1, flags = -1;
  EXPECT_EQ(vek::pfa_get_content_hints(f, &model, &dependency, &flags), vek::PFA_E_NOT_FOUND);
  EXPECT_EQ(model, nullptr);
  EXPECT_EQ(vek::pfa_set_content_hints(f, u"Bolt.PRT", 3, 4), 0);
  VynFile* copy = vek::pfa_make_copy(f);  // the hints travel with a copy
  vek::pfa_free_vyn_file(&f);
  EXPECT_EQ(vek::pfa_get_content_hints(copy, &model, &dependency, &flags), 0);
  EXPECT_EQ(std::u16string(model), u"bolt.prt");
  EXPECT_EQ(dependency, 3);
  EXPECT_EQ(flags, 4);
  EXPECT_EQ(vek::pfa_get_content_hints(copy, nullptr, &dependency, &flags), 9);
  vek::pfa_free_vyn_file(&copy);
}

TEST_F(PfaAttr, LocationQuestions) {
  VynFile* local = vek::pfa_alloc_file("C:\\x.prt");
  VynFile* stream = vek::pfa_alloc_file("stdio://err");
  EXPECT_EQ(vek::pfaloc_is_shell_compatible(local), 1);
  EXPECT_EQ(vek::pfaloc_is_shell_compatible(stream), 0);
  EXPECT_EQ(vek::pfaloc_is_pdm_system(local), 0);
  EXPECT_EQ(vek::pfaloc_has_version_nums(local), 1);
  EXPECT_EQ(vek::pfaloc_is_transient(local), 0);
  EXPECT_EQ(vek::pfaloc_is_case_sensitive(local), 0);
  vek::pfa_free_vyn_file(&local);
  vek::pfa_free_vyn_file(&stream);
}

int second_content_answer;
void* second_content_seen[4];
int second_content(VynFile*, void* a, void* b, void* c, void* d) {
  void* seen[4] = {a, b, c, d};
  for (int i = 0; i < 4; ++i) second_content_seen[i] = seen[i];
  return second_content_answer;
}

// A file is exported as secondary content unless its location names a message for it.
TEST_F(PfaAttr, ExportAsSecondaryAsksTheLocation) {
  VynFile* local = vek::pfa_alloc_file("C:\\x.prt");
  int a = 0, b = 0, c = 0, d = 0;
  EXPECT_EQ(vek::pfa_choose_export_as_secondary(local, &a, &b, &c, &d), 1);  // no method
  EXPECT_EQ(vek::pfa_choose_export_as_secondary(local, &a, &b, nullptr, &d), 1);
  for (int missing = 0; missing < 3; ++missing) {
    void* given[3] = {&a, &b, &d};
    given[missing] = nullptr;
    EXPECT_EQ(vek::pfa_choose_export_as_secondary(local, given[0], given[1], &c, given[2]), 0)
        << missing;
  }
  EXPECT_EQ(vek::pfa_choose_export_as_secondary(nullptr, &a, &b, &c, &d), 0);
  ASSERT_TRUE(vek::pfa_loc_register_append(1));
  vek::pfa_loc_method_register(1, vek::PfaGet2ndContentMsg, vek::PLM_CALL_FPPPP,
                               vek::as_method(&second_content));
  vek::pfa_loc_register_setup(0);
  struct Case {
    int answer, result;
  };
  for (const Case& k : {Case{1, 0}, Case{7, 0}, Case{0, 1}, Case{-3, 1}}) {
    second_content_answer = k.answer;
    EXPECT_EQ(vek::pfa_choose_export_as_secondary(local, &a, &b, &c, &d), k.result) << k.answer;
    EXPECT_EQ(second_content_seen[0], &a);
    EXPECT_EQ(second_content_seen[3], &d);
  }
  vek::pfa_free_vyn_file(&local);
}

TEST_F(PfaAttr, StreamsFromOutsideAreAdoptedAndLetGoWithoutClosing) {
  yrltest::TempDir dir;
  std::FILE* outside = std::fopen(dir.file("o.txt").c_str(), "w+");
  ASSERT_NE(outside, nullptr);
  VynFile* f = vek::pfa_discouraged_gen_from_file(outside);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(vek::pfa_discouraged_get_stream(f), outside);
  EXPECT_EQ(vek::pfa_fprintf(f, "%d", 42), 0);
  EXPECT_EQ(vek::pfa_discouraged_rel_from_file(&f), 0);
  EXPECT_EQ(f, nullptr);
  EXPECT_EQ(std::fputs("!", outside), 1);  // still open
  std::fclose(outside);
  EXPECT_EQ(yrltest::read_file(dir.file("o.txt")), "42!");
  VynFile* d = vek::pfa_alloc_dir(dir.path().c_str());
  EXPECT_EQ(vek::pfa_discouraged_put_stream(d, stdout), 9);  // no directory
  EXPECT_EQ(vek::pfa_discouraged_rel_from_file(nullptr), 9);
  vek::pfa_free_vyn_file(&d);
}

TEST_F(PfaAttr, FileCallsRefreshTheNamesTheyChange) {
  yrltest::TempDir dir;
  std::string a = dir.file("a"), b = dir.file("b"), sub = dir.file("sub");
  struct Row {
    const char* what;
    int refreshes;
    std::function<void()> run;
  };
  const Row rows[] = {
      {"fopen w", 1, [&] { std::fclose(vek::dci_fopen(a.c_str(), "w")); }},
      {"fopen r", 0, [&] { std::fclose(vek::dci_fopen(a.c_str(), "r")); }},
      {"open", 0, [&] { ::close(vek::dci_open(a.c_str(), 0, 0)); }},
      {"open create", 1, [&] { ::close(vek::dci_open(b.c_str(), 0x100 | 1, 0x180)); }},
      {"rename", 2, [&] { vek::dci_rename(b.c_str(), (b + "2").c_str()); }},
      {"unlink", 1, [&] { vek::dci_unlink((b + "2").c_str()); }},
      {"mkdir", 1, [&] { vek::dci_mkdir(sub.c_str()); }},
      {"rmdir", 1, [&] { vek::dci_rmdir(sub.c_str()); }},
      {"CopyFile", 1, [&] { vek::dci_CopyFile(a.c_str(), b.c_str(), 0); }},
      {"MoveFile", 2, [&] { vek::dci_MoveFile(b.c_str(), (b + "3").c_str()); }},
      {"MoveFileEx", 2, [&] { vek::dci_MoveFileEx((b + "3").c_str(), b.c_str(), 1); }},
      {"DeleteFile", 1, [&] { vek::dci_DeleteFile(b.c_str()); }},
      {"DeleteFile missing", 1, [&] { vek::dci_DeleteFile(b.c_str()); }},
      {"CreateDirectory", 1, [&] { vek::dci_CreateDirectory(sub.c_str(), nullptr); }},
      {"RemoveDirectory", 1, [&] { vek::dci_RemoveDirectory(sub.c_str()); }},
      {"CreateFile open", 0,
       [&] {
         w32::CloseHandle(vek::dci_CreateFile(a.c_str(), w32::GENERIC_READ, 0, nullptr,
                                              w32::OPEN_EXISTING, 0, nullptr));
       }},
      {"CreateFile create", 1,
       [&] {
         w32::CloseHandle(vek::dci_CreateFile(b.c_str(), w32::GENERIC_WRITE, 0, nullptr,
                                              w32::CREATE_ALWAYS, 0, nullptr));
       }},
  };
  for (const Row& row : rows) {
    int before = vek::pfa_dir_cache_testing_refresh_count();
    row.run();
    EXPECT_EQ(vek::pfa_dir_cache_testing_refresh_count() - before, row.refreshes) << row.what;
  }
}

}  // namespace

#include "fileaccess/names/pfahandleops.h"

namespace {

TEST_F(PfaAttr, PerHandleOperationsReachTheirMethods) {
  yrltest::TempDir dir;
  yrltest::write_file(dir.file("w.txt"), "12345");
  yrltest::write_file(dir.file(".dot"), "x");
  VynFile* f = vek::pfa_alloc_file(dir.file("w.txt").c_str());
  int mode = 0;
  EXPECT_EQ(vek::pfa_get_mode(f, &mode), 0);
  EXPECT_EQ(mode & 0222, 0222);
  EXPECT_EQ(vek::pfa_change_write_access(f, 0), 0);
  EXPECT_EQ(vek::pfa_access(f, 2), 0);  // read-only now
  EXPECT_EQ(vek::pfa_access(f, 4), 1);
  EXPECT_EQ(vek::pfa_change_write_access(f, 1), 0);
  EXPECT_EQ(vek::pfa_access_quiet(f, 2), 1);
  long long size = 0;
  EXPECT_EQ(vek::pfa_get_file_size(f, &size), 0);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(vek::pfa_get_mode(f, nullptr), 11);
  EXPECT_EQ(vek::pfa_make_file_hidden(f), 1);  // no leading dot
  double space = 0;
  EXPECT_EQ(vek::pfa_get_avail_space(f, &space), 0);
  EXPECT_GT(space, 0.0);
  VynFile* dot = vek::pfa_alloc_file(dir.file(".dot").c_str());
  EXPECT_EQ(vek::pfa_make_file_hidden(dot), 0);
  EXPECT_EQ(vek::pfa_access(nullptr, 0), 0);
  EXPECT_EQ(vek::pfa_get_avail_space(nullptr, &space), 11);
  EXPECT_EQ(space, -1.0);
  vek::pfa_free_vyn_file(&f);
  vek::pfa_free_vyn_file(&dot);
}

}  // namespace
