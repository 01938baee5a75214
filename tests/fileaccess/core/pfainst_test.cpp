// Instance names, the replaced model, neutral data through the application's hooks and
// a location that reads and takes it, the workspace and common-space locations, and the
// trace formatter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileaccess/core/pfainst.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "runtime/memory/xar.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"

namespace {

using vek::VynFile;
// VynWord and VynWchar are global.

// The location type that plays the data-management location: the local file system's
// methods (its claim included, so every local name parsed in a test lands here) plus
// neutral data and the library search.
constexpr int kLoc = vek::PFA_LOC_VAULTIX;

struct Recorded {
  int type;
  int kind;
  std::string full_name;
  std::string temporary;
  std::vector<VynWord> entries;
};

// What the location and the hooks were asked.
std::vector<Recorded> gets, puts, propagated;
std::vector<VynWord> freed;
std::vector<std::string> searched;
std::vector<VynWord> to_give;  // what the location's get method answers with
int get_answer;
int props_for_type;  // the type the props hook answers for
std::u16string workspace, commonspace;
std::u16string found_in;  // the space whose library search finds the file

std::string narrow(const VynWchar* w) {
  std::string s;
  for (; w && *w; ++w) s += static_cast<char>(*w);
  return s;
}

std::string full_name(const VynFile* file) {
  char buffer[260] = "";
  vek::pfa_get_full_name(file, buffer);
  return buffer;
}

int props_hook(int type, int kind, vek::NdImportProps* props) {
  props->value[0] = kind;
  return type == props_for_type ? 1 : 0;
}

int get_neutral(VynFile* file, int kind, void* entries, void* props, void* temporary) {
  auto* array = static_cast<VynWord**>(entries);
  gets.push_back({file->object_type, kind, full_name(file),
                  narrow(static_cast<const VynWchar*>(temporary)), {}});
  EXPECT_EQ(static_cast<vek::NdImportProps*>(props)->value[0], kind);
  for (VynWord w : to_give) vek::xar_append(array, 1, &w);
  return get_answer;
}

int put_neutral(VynFile* file, int count, void* entries) {
  auto* words = static_cast<VynWord*>(entries);
  puts.push_back({file->object_type, count, full_name(file), "",
                  std::vector<VynWord>(words, words + count)});
  return 0;
}

int library_search(VynFile* file, void* space, void*) {
  std::u16string where = static_cast<const VynWchar*>(space);
  char location[260] = "";
  vek::pfa_get_location(file, location, nullptr);
  searched.push_back(narrow(where.c_str()) + "|" + location);
  if (where != found_in) return vek::PFA_E_NOT_FOUND;
  std::string text = narrow(where.c_str());
  return vek::pfa_put_location(file, text.c_str(), -1);
}

int propagate_hook(VynWord count, VynWord entries, VynWord type, VynWord name, VynWord a,
                   VynWord b) {
  auto* words = reinterpret_cast<VynWord*>(entries);
  EXPECT_EQ(a, -3);
  EXPECT_EQ(b, 0);
  propagated.push_back({static_cast<int>(type), 0, reinterpret_cast<const char*>(name), "",
                        std::vector<VynWord>(words, words + count)});
  return 7;
}

void free_hook(VynWord entry) { freed.push_back(entry); }

int list_hook(VynWord a, VynWord b, VynWord c, VynWord d) {
  return static_cast<int>(a + 10 * b + 100 * c + 1000 * d);
}

int path_hook(const VynWchar* key, VynWchar* out) {
  std::u16string k = key;
  const std::u16string& value = k == u"PDM_WORKSPACE" ? workspace : commonspace;
  if (value.empty()) return 0;
  std::copy(value.c_str(), value.c_str() + value.size() + 1, out);
  return 1;
}

class PfaInst : public yrltest::FileaccessTest {
 protected:
  void SetUp() override {
    FileaccessTest::SetUp();
    gets.clear();
    puts.clear();
    propagated.clear();
    freed.clear();
    searched.clear();
    to_give = {11, 22, 33};
    get_answer = 0;
    props_for_type = 2;
    workspace = u"C:\\ws\\";
    commonspace = u"C:\\cs\\";
    found_in.clear();
    // The first handle registers the standard types.
    VynFile* first = nullptr;
    ASSERT_EQ(vek::pfa_alloc_vyn_file(&first), 0);
    vek::pfa_free_vyn_file(&first);
    ASSERT_EQ(vek::pfa_loc_register_setup(kLoc), 1);
    vek::pfa_loc_type_inherit_methods(kLoc, vek::PFA_LOC_STD_FILESYSTEM);
    vek::pfa_loc_method_register(kLoc, vek::PfaGetNeutralData, vek::PLM_CALL_FIPPP,
                                 vek::as_method(static_cast<vek::PfaLocFn_FIPPP>(get_neutral)));
    vek::pfa_loc_method_register(kLoc, vek::PfaPutNeutralData, vek::PLM_CALL_FIP,
                                 vek::as_method(static_cast<vek::PfaLocFn_FIP>(put_neutral)));
    vek::pfa_loc_method_register(kLoc, vek::PfaLibrarySearch, vek::PLM_CALL_FPP,
                                 vek::as_method(static_cast<vek::PfaLocFn_FPP>(library_search)));
    ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  }
  void TearDown() override {
    for (VynFile*& f : files_) vek::pfa_free_vyn_file(&f);
    FileaccessTest::TearDown();
  }
  VynFile* file(const char* name) {
    VynFile* f = vek::pfa_alloc_file(name);
    EXPECT_NE(f, nullptr) << name;
    files_.push_back(f);
    return f;
  }
  static void bind_all() {
    vek::ndreg_bind_capi_calls(props_hook, list_hook, propagate_hook, free_hook, path_hook);
  }
  std::vector<VynFile*> files_;
};

TEST_F(PfaInst, WithoutHooksNothingIsImportedAndTheHooksAnswerZero) {
  VynFile* f = file("C:\\ws\\a.prt");
  EXPECT_EQ(vek::pfa_import_neutral_data(f), 0);
  EXPECT_EQ(f->appinfo, nullptr);
  EXPECT_TRUE(gets.empty());
  int count = -1;
  VynWord* entries = reinterpret_cast<VynWord*>(1);
  EXPECT_EQ(vek::pfa_get_neutral_data(f, &count, &entries), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(entries, nullptr);
  EXPECT_EQ(vek::mavrel_list_instantiators(1, 2, 3, 4), 0);
  EXPECT_EQ(vek::mavrel_call_propagator(1, 2, 3, 4, 5, 6), 0);
  // Without the path hook neither space is known.
  VynFile* out = file("C:\\x\\b.prt");
  EXPECT_EQ(vek::find_alternate_fam_member_location(f, out), 0);
  EXPECT_EQ(vek::adjust_instance_location(f), 0);
  EXPECT_EQ(full_name(f), "C:\\ws\\a.prt");
}

TEST_F(PfaInst, BoundHooksAreCalledWithTheirWords) {
  bind_all();
  EXPECT_EQ(vek::mavrel_list_instantiators(1, 2, 3, 4), 4321);
  VynWord entries[] = {5};
  EXPECT_EQ(vek::mavrel_call_propagator(1, reinterpret_cast<VynWord>(entries), 2,
                                        reinterpret_cast<VynWord>("n.prt"), -3, 0),
            7);
  ASSERT_EQ(propagated.size(), 1u);
  EXPECT_EQ(propagated[0].entries, std::vector<VynWord>{5});
}

TEST_F(PfaInst, ImportAttachesOnceAndPropagatesAndFreesWithTheHandle) {
  bind_all();
  VynFile* f = file("C:\\ws\\a.prt");
  EXPECT_EQ(vek::pfa_import_neutral_data(f), 0);
  ASSERT_EQ(gets.size(), 1u);
  EXPECT_EQ(gets[0].kind, -1);
  EXPECT_EQ(gets[0].full_name, "C:\\ws\\a.prt");
  EXPECT_EQ(gets[0].temporary, "");
  int count = 0;
  VynWord* entries = nullptr;
  EXPECT_EQ(vek::pfa_get_neutral_data(f, &count, &entries), 0);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(entries[2], 33);
  // A second import keeps the record and does not ask again.
  EXPECT_EQ(vek::pfa_import_neutral_data_low(f, 5), 0);
  EXPECT_EQ(gets.size(), 1u);
  // A copy of the handle does not share the record.
  VynFile* copy = vek::pfa_make_copy(f);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(vek::pfa_get_neutral_data(copy, &count, &entries), 0);
  EXPECT_EQ(count, 0);
  vek::pfa_free_vyn_file(&copy);
  EXPECT_TRUE(propagated.empty());
  // Renaming the handle ends the record: propagated, then each entry freed.
  EXPECT_EQ(vek::pfa_put_name(f, "b"), 0);
  ASSERT_EQ(propagated.size(), 1u);
  EXPECT_EQ(propagated[0].type, 2);
  EXPECT_EQ(propagated[0].full_name, "a.prt");
  EXPECT_EQ(propagated[0].entries, (std::vector<VynWord>{11, 22, 33}));
  EXPECT_EQ(freed, (std::vector<VynWord>{11, 22, 33}));
  EXPECT_EQ(vek::pfa_get_neutral_data(f, &count, &entries), 0);
  EXPECT_EQ(count, 0);
}

TEST_F(PfaInst, ImportAttachesNothingUnlessTheHookAndTheLocationBothAnswer) {
  bind_all();
  struct Case {
    const char* name;
    int props_type;
    std::vector<VynWord> give;
    int answer;
    int status;
    size_t asked;
  } cases[] = {
      {"C:\\ws\\a.asm", 2, {1}, 0, 0, 0},     // the hook does not answer for assemblies
      {"C:\\ws\\a.prt", 2, {}, 0, 0, 1},      // no entries
      {"C:\\ws\\a.prt", 2, {1, 2}, 2, 2, 1},  // the location fails: its answer
      {"\\\\host\\share\\a.prt", 2, {1}, 0, 0, 0},  // the location cannot read it
  };
  for (const Case& c : cases) {
    gets.clear();
    props_for_type = c.props_type;
    to_give = c.give;
    get_answer = c.answer;
    VynFile* f = file(c.name);
    EXPECT_EQ(vek::pfa_import_neutral_data(f), c.status) << c.name;
    EXPECT_EQ(gets.size(), c.asked) << c.name;
    EXPECT_EQ(f->appinfo, nullptr) << c.name;
  }
  EXPECT_TRUE(propagated.empty());
}

TEST_F(PfaInst, InstanceNamesAreAOneShot) {
  yrltest::FileaccessTest::show_serious_reports();
  yrltest::ConsoleCapture console;
  VynWchar a[260], b[260], c[260];
  EXPECT_EQ(vek::making_instance_names(a, b, c), 0);
  EXPECT_EQ(vek::set_making_instance_names(u"inst", nullptr, u"C:\\lib\\gen.prt"), 1);
  EXPECT_EQ(console.out() + console.err(), "");
  EXPECT_EQ(vek::set_making_instance_names(nullptr, u"tmp", nullptr), 1);
  EXPECT_NE((console.out() + console.err()).find("already set up"), std::string::npos);
  EXPECT_EQ(vek::making_instance_names(a, nullptr, c), 1);
  EXPECT_EQ(narrow(a), "");  // the later call stored its null as empty
  EXPECT_EQ(narrow(c), "");
  EXPECT_EQ(vek::making_instance_names(a, b, c), 0);
  EXPECT_EQ(narrow(b), "tmp");  // the texts stay, the flag went
  // All three null clear the flag without a report.
  console.clear();
  EXPECT_EQ(vek::set_making_instance_names(u"x", nullptr, nullptr), 1);
  EXPECT_EQ(vek::set_making_instance_names(nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(console.out() + console.err(), "");
  EXPECT_EQ(vek::making_instance_names(nullptr, nullptr, nullptr), 0);
  // A text that does not fit is refused whole.
  std::u16string long_text(260, u'x');
  EXPECT_EQ(vek::set_making_instance_names(u"y", long_text.c_str(), nullptr), 0);
  EXPECT_EQ(vek::making_instance_names(a, nullptr, nullptr), 0);
  EXPECT_EQ(narrow(a), "");
}

TEST_F(PfaInst, ImportDuringInstanceNamingAsksForTheInstanceUnderItsTemporaryName) {
  bind_all();
  ASSERT_EQ(vek::set_making_instance_names(nullptr, u"tmp001", nullptr), 1);
  VynFile* f = file("C:\\x\\a.prt");
  EXPECT_EQ(vek::pfa_import_neutral_data(f), 0);
  ASSERT_EQ(gets.size(), 1u);
  EXPECT_EQ(gets[0].full_name, "C:\\x\\a.prt");
  EXPECT_EQ(gets[0].temporary, "tmp001");
  EXPECT_EQ(vek::pfa_put_name(f, "z"), 0);
  ASSERT_EQ(propagated.size(), 1u);
  EXPECT_EQ(propagated[0].full_name, "tmp001.prt");
  // The one-shot is used up: the next file is asked for itself.
  VynFile* g = file("C:\\x\\b.prt");
  EXPECT_EQ(vek::pfa_import_neutral_data(g), 0);
  ASSERT_EQ(gets.size(), 2u);
  EXPECT_EQ(gets[1].temporary, "");
}

TEST_F(PfaInst, AnInstanceFileIsAskedForAsItsFamilyOfThePlainType) {
  bind_all();
  struct Case {
    const char* name;
    const char16_t* top_generic;
    int props_type;
    const char* asked;
    int asked_type;
  } cases[] = {
      {"C:\\x\\bolt.xpr", u"C:\\lib\\boltgen.prt", 10017, "C:\\x\\bolt<boltgen>.prt", 2},
      {"C:\\x\\nut.xas", u"C:\\lib\\nut.asm", 10016, "C:\\x\\nut.asm", 1},
      {"C:\\x\\nut.xas", nullptr, 10016, "C:\\x\\nut.asm", 1},
  };
  for (const Case& c : cases) {
    gets.clear();
    props_for_type = c.props_type;
    ASSERT_EQ(vek::set_making_instance_names(nullptr, u"t", c.top_generic), 1);
    VynFile* f = file(c.name);
    EXPECT_EQ(vek::pfa_import_neutral_data(f), 0);
    ASSERT_EQ(gets.size(), 1u) << c.name;
    EXPECT_EQ(gets[0].full_name, c.asked);
    EXPECT_EQ(gets[0].type, c.asked_type);
    EXPECT_EQ(f->object_type, c.props_type);  // the file itself keeps its name and type
  }
}

TEST_F(PfaInst, TheReplacedModelIsAskedForUnderItsTemporaryName) {
  EXPECT_EQ(vek::is_replaced_model_tmp_name_set(), 0);
  VynWchar out[260] = u"keep";
  EXPECT_EQ(vek::get_replaced_model_tmp_name("a", out), vek::PFA_E_INVALID_NAME);
  ASSERT_EQ(vek::set_replaced_model_tmp_name("Motor", u"rm_0001"), 1);
  EXPECT_EQ(vek::is_replaced_model_tmp_name_set(), 1);
  EXPECT_EQ(vek::get_replaced_model_tmp_name("MOTOR", out), 0);
  EXPECT_EQ(narrow(out), "rm_0001");
  EXPECT_EQ(vek::get_replaced_model_tmp_name("Motor2", out), vek::PFA_E_INVALID_NAME);

  bind_all();
  VynFile* f = file("C:\\x\\motor.prt");
  VynFile* g = file("C:\\x\\pump.prt");
  EXPECT_EQ(vek::pfa_import_neutral_data(f), 0);
  EXPECT_EQ(vek::pfa_import_neutral_data(g), 0);
  ASSERT_EQ(gets.size(), 2u);
  EXPECT_EQ(gets[0].temporary, "rm_0001");
  EXPECT_EQ(gets[1].temporary, "");
  vek::pfa_put_name(f, "q");
  ASSERT_EQ(propagated.size(), 1u);
  EXPECT_EQ(propagated[0].full_name, "rm_0001.prt");

  vek::set_p_new_solid(42);
  EXPECT_EQ(vek::get_p_new_solid(), 42);
  vek::reset_replaced_model_tmp_name();
  EXPECT_EQ(vek::is_replaced_model_tmp_name_set(), 0);
  EXPECT_EQ(vek::get_p_new_solid(), 0);
  EXPECT_EQ(vek::get_replaced_model_tmp_name("motor", out), vek::PFA_E_INVALID_NAME);
  std::string long_name(260, 'm');
  EXPECT_EQ(vek::set_replaced_model_tmp_name(long_name.c_str(), u"t"), 0);
  EXPECT_EQ(vek::is_replaced_model_tmp_name_set(), 0);
}

TEST_F(PfaInst, PutReplacesTheEntriesAndExportHandsThemOverOnce) {
  VynFile* f = file("C:\\ws\\a.prt");
  VynWord first[] = {1, 2};
  VynWord second[] = {7, 8, 9};
  EXPECT_EQ(vek::pfa_put_neutral_data(f, 0, first), 0);
  EXPECT_EQ(f->appinfo, nullptr);
  EXPECT_EQ(vek::pfa_put_neutral_data(f, 2, nullptr), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_put_neutral_data(f, 2, first), 0);
  EXPECT_EQ(vek::pfa_put_neutral_data(f, 3, second), 0);
  second[0] = 0;  // the record holds its own copy
  EXPECT_TRUE(puts.empty());
  EXPECT_EQ(vek::pfa_export_neutral_data(f), 0);
  ASSERT_EQ(puts.size(), 1u);
  EXPECT_EQ(puts[0].entries, (std::vector<VynWord>{7, 8, 9}));
  EXPECT_EQ(puts[0].full_name, "C:\\ws\\a.prt");
  EXPECT_EQ(vek::pfa_export_neutral_data(f), 0);
  EXPECT_EQ(puts.size(), 1u);
  // A record still held is exported when the handle ends.
  EXPECT_EQ(vek::pfa_put_neutral_data(f, 2, first), 0);
  vek::pfa_free_vyn_file(&files_[0]);
  ASSERT_EQ(puts.size(), 2u);
  EXPECT_EQ(puts[1].entries, (std::vector<VynWord>{1, 2}));
  // A location that cannot take the data gets no record.
  VynFile* unc = file("\\\\host\\share\\a.prt");
  EXPECT_EQ(vek::pfa_put_neutral_data(unc, 2, first), 0);
  EXPECT_EQ(unc->appinfo, nullptr);
  EXPECT_EQ(vek::pfa_put_neutral_data(nullptr, 2, first), vek::PFA_E_NOT_VALID);
}

TEST_F(PfaInst, AFamilyMemberIsLookedForInTheOtherSpace) {
  bind_all();
  VynFile* in_ws = file("C:\\WS\\a.prt");
  VynFile* in_cs = file("C:\\cs\\sub\\b.prt");
  VynFile* elsewhere = file("C:\\x\\c.prt");
  VynFile* out = file("C:\\y\\d.prt");
  EXPECT_EQ(vek::find_alternate_fam_member_location(in_ws, out), 1);
  EXPECT_EQ(full_name(out), "C:\\cs\\a.prt");
  EXPECT_EQ(vek::find_alternate_fam_member_location(in_cs, out), 1);
  EXPECT_EQ(full_name(out), "C:\\ws\\b.prt");
  EXPECT_EQ(vek::find_alternate_fam_member_location(elsewhere, out), 0);
  EXPECT_EQ(full_name(out), "C:\\ws\\b.prt");
  // Both spaces are needed.
  commonspace.clear();
  EXPECT_EQ(vek::find_alternate_fam_member_location(in_ws, out), 0);
}

TEST_F(PfaInst, AnInstanceLocationComesFromTheLibrarySearchOrStays) {
  bind_all();
  VynFile* f = file("C:\\ws\\a.prt");
  EXPECT_EQ(vek::adjust_instance_location(f), 0);
  EXPECT_EQ(searched, (std::vector<std::string>{"C:\\ws\\|", "C:\\cs\\|"}));
  EXPECT_EQ(full_name(f), "C:\\ws\\a.prt");
  searched.clear();
  found_in = commonspace;
  EXPECT_EQ(vek::adjust_instance_location(f), 1);
  EXPECT_EQ(searched.size(), 2u);
  EXPECT_EQ(full_name(f), "C:\\cs\\a.prt");
  searched.clear();
  VynFile* elsewhere = file("C:\\x\\c.prt");
  EXPECT_EQ(vek::adjust_instance_location(elsewhere), 0);
  EXPECT_TRUE(searched.empty());
}

TEST_F(PfaInst, TraceFormatting) {
  EXPECT_STREQ(vek::trp_pfa_printf(99, "%s=%d", "x", 5), "x=5");
  EXPECT_EQ(vek::trp_pfa_printf(0, nullptr), nullptr);
}

}  // namespace
