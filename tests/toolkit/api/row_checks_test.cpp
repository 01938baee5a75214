// The rows of the API tables against what their descriptions list on their own: each
// table's total and its count per group, the keys other than the name + "_v", the
// members written by hand, the result kinds, forms and text directories that the
// forwarding variants name, and no name or key twice. Stubs and forwarding functions
// built from the same rows cannot see a wrong row; these lists can.
//
// Each table's list is tests/toolkit/api/<family>_expected.inc:
//   YRL_EXPECT_TOTAL("<family>", n)             the family's count of functions
//   YRL_EXPECT_GROUP("<family>", "<group>", n)  the count of one object word or prefix
//   YRL_EXPECT_KEY(<name>, "<key>")             a row whose key is not name + "_v"
//   YRL_EXPECT_LOCAL("<family>", "<group>", <name>)  a member written by hand
//   YRL_EXPECT_MEMBER("<group>", <name>)        a member whose group its name does not show
//   YRL_EXPECT_WORDS("<family>", "<group>", n)  the argument words of a group's rows, summed
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "tests/toolkit/api/api_rows.h"
#include "toolkit/api/host_types.h"

namespace yrltest {

// The argument words a caller passes for one parameter, counted as the descriptions
// count them on the 32-bit original: a double takes two, a record by value its size in
// 4-byte words, anything else (pointer, handle, int, enumerated value) one. A record held
// as an array of host words (pointer-wide here) takes one word per element.
template <typename T>
constexpr int parameter_words() {
  if constexpr (std::is_same_v<T, double>) {
    return 2;
  } else if constexpr (requires {
                         requires std::is_same_v<std::remove_extent_t<decltype(T::words)>,
                                                 VynWord>;
                       }) {
    return static_cast<int>(std::extent_v<decltype(T::words)>);
  } else if constexpr (std::is_class_v<T>) {
    return static_cast<int>((sizeof(T) + 3) / 4);
  } else {
    return 1;
  }
}

template <typename F>
struct SignatureWords;
template <typename R, typename... P>
struct SignatureWords<R(P...)> {
  static constexpr int value = (0 + ... + parameter_words<std::remove_cv_t<P>>());
};

namespace {

const ApiRowInfo rows[] = {
#define YRL_API_FORMS "tests/toolkit/api/row_info_forms.inc"
#include "toolkit/api/api_tables.def"
#undef YRL_API_FORMS
};

struct RowWords {
  const char* name;
  int words;
};
const RowWords row_words[] = {
#define YRL_API_FORMS "tests/toolkit/api/row_words_forms.inc"
#include "toolkit/api/api_tables.def"
#undef YRL_API_FORMS
};

// The host's rows of the hand-written entries (no forwarding function comes from them).
const ApiRowInfo hand_written_rows[] = {
#include "tests/toolkit/api/row_info_forms.inc"
#include "toolkit/binding/clnt_entries.def"
};

struct Expectation {
  enum What { total_count, group_count, other_key, local_member, listed_member, word_count } what;
  const char* family;
  const char* group;
  const char* name;
  const char* key;
  int count;
};

#define YRL_EXPECT_TOTAL(f, n) {Expectation::total_count, f, nullptr, nullptr, nullptr, n},
#define YRL_EXPECT_GROUP(f, g, n) {Expectation::group_count, f, g, nullptr, nullptr, n},
#define YRL_EXPECT_KEY(function, k) {Expectation::other_key, nullptr, nullptr, #function, k, 0},
#define YRL_EXPECT_LOCAL(f, g, function) \
  {Expectation::local_member, f, g, #function, nullptr, 0},
#define YRL_EXPECT_MEMBER(g, function) \
  {Expectation::listed_member, nullptr, g, #function, nullptr, 0},
#define YRL_EXPECT_WORDS(f, g, n) {Expectation::word_count, f, g, nullptr, nullptr, n},

// The lists that exist; a family without one fails EveryTableHasItsList.
const std::vector<Expectation> expectations = {
#if __has_include("tests/toolkit/api/startup_expected.inc")
#include "tests/toolkit/api/startup_expected.inc"
#endif
#if __has_include("tests/toolkit/api/app_expected.inc")
#include "tests/toolkit/api/app_expected.inc"
#endif
#if __has_include("tests/toolkit/api/older_expected.inc")
#include "tests/toolkit/api/older_expected.inc"
#endif
#if __has_include("tests/toolkit/api/catalogue_2d_draw_expected.inc")
#include "tests/toolkit/api/catalogue_2d_draw_expected.inc"
#endif
#if __has_include("tests/toolkit/api/catalogue_drawing_featref_expected.inc")
#include "tests/toolkit/api/catalogue_drawing_featref_expected.inc"
#endif
#if __has_include("tests/toolkit/api/catalogue_feature_option_expected.inc")
#include "tests/toolkit/api/catalogue_feature_option_expected.inc"
#endif
#if __has_include("tests/toolkit/api/catalogue_output_udfreference_expected.inc")
#include "tests/toolkit/api/catalogue_output_udfreference_expected.inc"
#endif
#if __has_include("tests/toolkit/api/catalogue_udfvardim_xsec_expected.inc")
#include "tests/toolkit/api/catalogue_udfvardim_xsec_expected.inc"
#endif
};

#undef YRL_EXPECT_TOTAL
#undef YRL_EXPECT_GROUP
#undef YRL_EXPECT_KEY
#undef YRL_EXPECT_LOCAL
#undef YRL_EXPECT_MEMBER
#undef YRL_EXPECT_WORDS

// The forwarding functions written by hand, with the keys they look up.
struct HandWritten {
  const char* name;
  const char* key;  // null for an entry that reaches no host function
};
const HandWritten hand_written[] = {
    {"vynmenu_create_clnt", "vynmenu_create_plus"},
    {"vynmenu_expand_clnt", "vynmenu_expand_plus"},
    {"vynmsg_print_clnt", "vynmsg_print_plus"},
    {"vynmsg_sprint_clnt", "vynmsg_sprint_plus"},
    {"vyndb_edge_tesselation_clnt", "vyndb_edge_tesselation_plus"},
    {"vyndtl_get_item_clnt", "vyndtl_get_item_plus"},
    {"vyndb_traverse_assembly_clnt", "vyndb_traverse_assembly_plus"},
    {"vyn_interference_volume_release_clnt", "vyn_interference_volume_release_plus"},
    {"vyn_term_clnt", "vyn_term_plus"},
    {"VynGtolleadersFree", "VynGtolleadersFree_v"},
    {"MavrelEnd", nullptr},
    {"VynToolkitMain", nullptr},
    {"MavrelStart", nullptr},
    {"VynEventProcess", nullptr},
};

std::vector<const Expectation*> expected(Expectation::What what) {
  std::vector<const Expectation*> found;
  for (const Expectation& e : expectations) {
    if (e.what == what) found.push_back(&e);
  }
  return found;
}

const ApiRowInfo* row_named(const std::string& name) {
  for (const ApiRowInfo& row : rows) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

std::string lines(const std::vector<std::string>& faults) {
  std::string all;
  for (const std::string& fault : faults) all += "\n  " + fault;
  return all;
}

// The group of a row's name among the groups of its family: for a name that begins with
// "Vyn", the longest group g such that the name begins with "Vyn" + g followed by an
// upper-case letter or a digit; for other names the longest group that begins the name.
// A member listed with its group keeps that group. "" when no group fits.
std::string group_of(const std::string& name, const std::vector<std::string>& groups) {
  for (const Expectation* e : expected(Expectation::listed_member)) {
    if (name == e->name) return e->group;
  }
  std::string best;
  bool vyn = name.rfind("Vyn", 0) == 0;
  for (const std::string& group : groups) {
    std::string prefix = vyn ? "Vyn" + group : group;
    if (name.rfind(prefix, 0) != 0 || group.size() <= best.size()) continue;
    if (vyn) {
      if (name.size() == prefix.size()) continue;
      unsigned char next = static_cast<unsigned char>(name[prefix.size()]);
      if (!std::isupper(next) && !std::isdigit(next)) continue;
    }
    best = group;
  }
  return best;
}

std::set<std::string> families_with_rows() {
  std::set<std::string> families;
  for (const ApiRowInfo& row : rows) families.insert(table_family(row.table));
  return families;
}

TEST(ApiRowChecks, EveryTableHasItsList) {
  std::set<std::string> listed;
  std::vector<std::string> faults;
  for (const Expectation* e : expected(Expectation::total_count)) {
    if (!listed.insert(e->family).second) faults.push_back(std::string(e->family) + ": two totals");
  }
  for (const std::string& family : families_with_rows()) {
    if (!listed.count(family)) {
      faults.push_back(family + ": no tests/toolkit/api/" + family + "_expected.inc");
    }
  }
  EXPECT_TRUE(faults.empty()) << lines(faults);
}

TEST(ApiRowChecks, EachTableHasItsTotalAndItsCountPerGroup) {
  std::vector<std::string> faults;
  for (const Expectation* total : expected(Expectation::total_count)) {
    std::string family = total->family;
    std::vector<std::string> groups;
    std::map<std::string, int> listed_count;
    int listed_sum = 0;
    for (const Expectation* e : expected(Expectation::group_count)) {
      if (family != e->family) continue;
      if (listed_count.count(e->group)) {
        faults.push_back(family + "/" + e->group + ": listed twice");
      }
      groups.push_back(e->group);
      listed_count[e->group] = e->count;
      listed_sum += e->count;
    }
    // The list agrees with itself before the rows are held against it.
    if (listed_sum != total->count) {
      faults.push_back(family + ": the groups' counts add up to " + std::to_string(listed_sum) +
                       ", the total is " + std::to_string(total->count));
    }

    int members = 0;
    std::map<std::string, int> count;
    for (const ApiRowInfo& row : rows) {
      if (table_family(row.table) != family) continue;
      ++members;
      std::string group = group_of(row.name, groups);
      if (group.empty()) {
        faults.push_back(family + ": row " + row.name + " is in no listed group");
      } else {
        ++count[group];
      }
    }
    for (const Expectation* local : expected(Expectation::local_member)) {
      if (family != local->family) continue;
      ++members;
      if (!listed_count.count(local->group)) {
        faults.push_back(family + ": local " + local->name + " in unlisted group " + local->group);
      }
      ++count[local->group];
    }
    if (members != total->count) {
      faults.push_back(family + ": " + std::to_string(members) + " members (rows and locals), " +
                       std::to_string(total->count) + " listed");
    }
    for (const auto& [group, n] : listed_count) {
      if (count[group] != n) {
        faults.push_back(family + "/" + group + ": " + std::to_string(count[group]) +
                         " members, " + std::to_string(n) + " listed");
      }
    }
  }
  EXPECT_TRUE(faults.empty()) << lines(faults);
}

// The words each group's rows take, from their signatures, against the sums of the
// counts the descriptions give (an appended directory not counted). A wrong count in a
// row shows as a wrong sum for its group.
TEST(ApiRowChecks, EachGroupsRowsTakeTheListedArgumentWords) {
  std::vector<std::string> faults;
  std::set<std::string> families;
  for (const Expectation* e : expected(Expectation::word_count)) families.insert(e->family);
  ASSERT_FALSE(families.empty());
  for (const std::string& family : families) {
    std::vector<std::string> groups;
    for (const Expectation* e : expected(Expectation::group_count)) {
      if (family == e->family) groups.push_back(e->group);
    }
    std::map<std::string, int> words;
    for (const RowWords& row : row_words) {
      const ApiRowInfo* info = row_named(row.name);
      if (!info || table_family(info->table) != family) continue;
      words[group_of(row.name, groups)] += row.words;
    }
    std::set<std::string> listed;
    for (const Expectation* e : expected(Expectation::word_count)) {
      if (family != e->family) continue;
      listed.insert(e->group);
      if (words[e->group] != e->count) {
        faults.push_back(family + "/" + e->group + ": " + std::to_string(words[e->group]) +
                         " words, " + std::to_string(e->count) + " listed");
      }
    }
    for (const std::string& group : groups) {
      if (!listed.count(group)) faults.push_back(family + "/" + group + ": no word count");
    }
  }
  EXPECT_TRUE(faults.empty()) << lines(faults);
}

TEST(ApiRowChecks, MembersWrittenByHandAreNoRowsAndListedMembersExist) {
  std::vector<std::string> faults;
  std::map<std::string, std::string> local_group;
  for (const Expectation* local : expected(Expectation::local_member)) {
    if (row_named(local->name)) faults.push_back(std::string(local->name) + ": local and a row");
    if (!local_group.emplace(local->name, local->group).second) {
      faults.push_back(std::string(local->name) + ": listed as local twice");
    }
  }
  for (const Expectation* member : expected(Expectation::listed_member)) {
    auto local = local_group.find(member->name);
    if (local != local_group.end()) {
      if (local->second != member->group) {
        faults.push_back(std::string(member->name) + ": local in " + local->second +
                         ", member of " + member->group);
      }
    } else if (!row_named(member->name)) {
      faults.push_back(std::string(member->name) + ": listed member, but no row or local");
    }
  }
  EXPECT_TRUE(faults.empty()) << lines(faults);
}

TEST(ApiRowChecks, KeyIsTheNamePlusVExceptForTheListedRows) {
  std::vector<std::string> faults;
  std::map<std::string, std::string> listed;
  for (const Expectation* e : expected(Expectation::other_key)) {
    auto [at, added] = listed.emplace(e->name, e->key);
    if (!added && at->second != e->key) {
      faults.push_back(std::string(e->name) + ": listed with keys " + at->second + " and " +
                       e->key);
    }
    if (!row_named(e->name)) faults.push_back(std::string(e->name) + ": listed key, but no row");
  }
  for (const ApiRowInfo& row : rows) {
    auto exception = listed.find(row.name);
    std::string want = exception != listed.end() ? exception->second : row.name + std::string("_v");
    if (want != row.key) {
      faults.push_back(std::string(row.name) + ": key " + row.key + ", want " + want);
    }
  }
  EXPECT_TRUE(faults.empty()) << lines(faults);
}

// A key may serve two rows only where the description sends one function to another's
// host function: then every row of the key but its own function's is a listed exception.
TEST(ApiRowChecks, NoKeyTwiceButTheListedOnesThatNameAnotherFunctionsKey) {
  std::set<std::string> listed;
  for (const Expectation* e : expected(Expectation::other_key)) listed.insert(e->name);
  std::map<std::string, std::vector<std::string>> rows_of_key;
  for (const ApiRowInfo& row : rows) rows_of_key[row.key].push_back(row.name);

  std::vector<std::string> faults;
  for (const auto& [key, names] : rows_of_key) {
    if (names.size() < 2) continue;
    int unlisted = 0;
    for (const std::string& name : names) unlisted += !listed.count(name);
    bool another_functions_key =
        key.ends_with("_v") && row_named(key.substr(0, key.size() - 2)) != nullptr;
    if (unlisted > 1 || !another_functions_key) {
      std::string all;
      for (const std::string& name : names) all += " " + name;
      faults.push_back(key + ": rows" + all);
    }
  }
  for (const HandWritten& entry : hand_written) {
    if (entry.key && rows_of_key.count(entry.key)) {
      faults.push_back(std::string(entry.key) + ": key of a row and of " + entry.name);
    }
  }
  // The host's rows of the hand-written entries: each key once, none a table row's
  // (the host's table would keep only one of them).
  std::set<std::string> hand_written_keys;
  for (const ApiRowInfo& row : hand_written_rows) {
    if (!hand_written_keys.insert(row.key).second) {
      faults.push_back(std::string(row.key) + ": two hand-written entries' rows");
    }
    if (rows_of_key.count(row.key)) {
      faults.push_back(std::string(row.key) + ": key of a row and of the host's row of " +
                       row.name);
    }
  }
  EXPECT_TRUE(faults.empty()) << lines(faults);
}

// The host serves every hand-written entry that looks a key up, under that key, and
// nothing else from the entries' rows.
TEST(ApiRowChecks, HostRowsOfTheHandWrittenEntriesAreTheirLookups) {
  std::map<std::string, std::string> listed;
  for (const HandWritten& entry : hand_written) {
    if (entry.key) listed.emplace(entry.name, entry.key);
  }
  std::map<std::string, std::string> served;
  for (const ApiRowInfo& row : hand_written_rows) served.emplace(row.name, row.key);
  EXPECT_EQ(served, listed);
}

TEST(ApiRowChecks, NoNameTwice) {
  std::map<std::string, int> seen;
  for (const ApiRowInfo& row : rows) ++seen[row.name];
  // A hand-written entry may also be listed as a local member of its family.
  std::set<std::string> by_hand;
  for (const Expectation* local : expected(Expectation::local_member)) {
    if (!by_hand.insert(local->name).second) ++seen[local->name];
  }
  for (const HandWritten& entry : hand_written) by_hand.insert(entry.name);
  for (const std::string& name : by_hand) ++seen[name];

  std::vector<std::string> faults;
  for (const auto& [name, n] : seen) {
    if (n > 1) faults.push_back(name + ": " + std::to_string(n) + " times");
  }
  EXPECT_TRUE(faults.empty()) << lines(faults);
}

// The forwarding variants that name their functions: result kinds other than status
// (every other function returns a status), functions that pass no context id, and the
// twelve that append a text directory.
TEST(ApiRowChecks, NamedVariantsHaveTheirKindFormAndDirectory) {
  struct Variant {
    YrlKind kind;
    std::vector<const char*> names;
  };
  const Variant kinds[] = {
      {YrlKind::pointer,
       {"vyndb_get_object_ptr", "vyndb_first_name_in_list", "vyndb_next_name_in_list",
        "vyndb_create_obj", "vyndb_create_object", "vyndb_retrieve_object",
        "vyn_solid_ptr_from_id", "vyn_getenvironment", "vyn_get_current_directory",
        "vyndb_first_part_face", "vyndb_next_part_face", "vyndb_first_face_contour",
        "vyndb_next_face_contour", "vyndb_first_cntr_edge", "vyndb_next_edge_on_face",
        "vyndb_containing_contour", "vyn_get_curve_type_geom", "vyndb_get_edge_curve",
        "vyndb_get_surface", "vyndb_member_to_object", "vyndb_obj_from_assem_rel",
        "vyndb_first_xsec", "vyndb_next_xsec", "vyndb_create_parallel_xsec",
        "vyn_get_current_object", "vyndb_retrieve_simplfd_rep", "vyndb_surface_to_nurbs",
        "vyndb_edge_to_nurbs", "vyndb_entity_to_nurbs", "vyndb_get_edge_uv_points",
        "vyndb_get_model_geometry", "vyndb_get_dwg_fmt_name", "vyndrw_get_view_model",
        "vyndb_first_datum", "vyndb_next_datum", "vyndb_get_first_axis",
        "vyndb_get_next_axis", "VynIsVKModeler"}},
      {YrlKind::none,
       {"vyngr_display_object", "vyngr_move_3d", "vyngr_draw_3d", "vyngr_put_polyline",
        "vyngr_put_multi_polylines", "vyngr_put_arc", "vyngr_put_circle", "vyngr_put_text",
        "vyngr_draw_polygon_2d", "vyndb_edge_data", "vyn_eval_xyz_face", "vyn_eval_xyz_edge",
        "vyn_eval_uv_edge", "vyn_eval_xyz_entity", "vynmsg_clear", "vyn_renderer_filename",
        "vyndb_free_model_geometry", "VynGraphicsPenPosition", "VynGraphicsLineDraw",
        "VynGraphicsPolylineDraw", "VynGraphicsMultiPolylinesDraw", "VynGraphicsCircleDraw",
        "VynTextFontDefaultIdGet", "VynMessageClear", "VynFeatinputFreeAllElems",
        "VynToolinputFreeAllElems"}},
      {YrlKind::real,
       {"vyndb_get_model_accuracy", "vyndb_measure", "vyn_edge_length", "vyn_face_area"}},
      {YrlKind::comm, {"VynValueAlloc"}},
  };
  const std::set<std::string> no_context = {"vyn_renderer_filename", "vynbundle_create",
                                            "vynbundle_line_2d"};
  const std::map<std::string, std::string> directory = {
      {"VynMessageDisplay", "msg_path"},         {"VynMessageToBuffer", "msg_path"},
      {"VynMenubarmenuPushbuttonAdd", "msg_path"}, {"VynMenubarMenuAdd", "msg_path"},
      {"VynMenubarmenuMenuAdd", "msg_path"},     {"VynMenubarmenuChkbuttonAdd", "msg_path"},
      {"VynMenubarmenuRadiogrpAdd", "msg_path"}, {"VynCmdDesignate", "msg_path"},
      {"VynMenuFileRegister", "menu_path"},      {"VynMenuAuxfileRegister", "menu_path"},
      {"VynCmdIconSet", "resource_path"},        {"VynUIDialogCreate", "resource_path"},
  };

  std::vector<std::string> faults;
  std::set<std::string> other_kind;
  for (const Variant& variant : kinds) {
    for (const char* name : variant.names) {
      other_kind.insert(name);
      const ApiRowInfo* row = row_named(name);
      if (!row) {
        faults.push_back(std::string(name) + ": no row");
      } else if (row->kind != variant.kind) {
        faults.push_back(std::string(name) + ": another result kind");
      }
    }
  }
  for (const ApiRowInfo& row : rows) {
    // Every function the variants do not name returns a status.
    if (!other_kind.count(row.name) && row.kind != YrlKind::status) {
      faults.push_back(std::string(row.name) + ": another result kind than status");
    }
    bool passes_no_context = row.form == yrlhost::RowForm::no_context;
    if (passes_no_context != (no_context.count(row.name) == 1)) {
      faults.push_back(std::string(row.name) +
                       (passes_no_context ? ": passes no context id" : ": passes a context id"));
    }
    auto dir = directory.find(row.name);
    std::string want = dir == directory.end() ? "" : dir->second;
    std::string has = row.dir_name ? row.dir_name : "";
    if (has != want) {
      faults.push_back(std::string(row.name) + ": appends \"" + has + "\", want \"" + want + "\"");
    }
  }
  for (const std::string& name : no_context) {
    if (!row_named(name)) faults.push_back(name + ": no row");
  }
  for (const auto& [name, dir] : directory) {
    if (!row_named(name)) faults.push_back(name + ": no row");
  }
  EXPECT_TRUE(faults.empty()) << lines(faults);
}

}  // namespace
}  // namespace yrltest
