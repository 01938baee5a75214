// The object-type table and its lookups: the rows in their order, both indexes against
// a linear search of the table, the accessors and the few writers.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "fileaccess/core/objtype.h"
#include "runtime/memory/xar.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"

namespace {

using vek::obj_type_row;
using vek::VynObjectType;

class ObjType : public yrltest::FileaccessTest {};

// The first row in table order with that extension (upper case) / type, null when none.
const VynObjectType* first_with_extension(const std::string& extension) {
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) {
    if (extension == obj_type_row(i)->extension) return obj_type_row(i);
  }
  return nullptr;
}

const VynObjectType* first_with_type(int type) {
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) {
    if (obj_type_row(i)->type == type) return obj_type_row(i);
  }
  return nullptr;
}

TEST_F(ObjType, TheRowsStandInTheirOrder) {
  EXPECT_EQ(obj_type_row(vek::OBJ_TYPE_ROW_COUNT), nullptr);
  EXPECT_EQ(obj_type_row(-1), nullptr);
  struct Given {
    int type;
    const char* extension;
    const char* label;
    int name_length;
    int type_class;
  };
  const Given given[] = {
#include "tests/fileaccess/core/objtype_given_rows.inc"
  };
  // Every given row, in its order; between them only the rows of the other products.
  const std::set<int> others = {561, 627, 810, 811, 815, 818, 821, 822, 843, 1005, 1007, 20317};
  std::size_t next = 0;
  std::set<int> other_rows;
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) {
    const VynObjectType* row = obj_type_row(i);
    ASSERT_NE(row, nullptr);
    if (others.count(row->type)) {
      other_rows.insert(row->type);
      continue;
    }
    ASSERT_LT(next, std::size(given)) << "row " << i << " type " << row->type;
    const Given& g = given[next++];
    EXPECT_EQ(row->type, g.type) << "row " << i;
    EXPECT_STREQ(row->extension, g.extension) << "row " << i;
    EXPECT_STREQ(row->label, g.label) << "row " << i;
    EXPECT_EQ(row->name_length, g.name_length) << "row " << i;
    EXPECT_EQ(row->type_class, g.type_class) << "row " << i;
  }
  EXPECT_EQ(next, std::size(given));
  EXPECT_EQ(other_rows, others);
  EXPECT_EQ(obj_type_row(vek::OBJ_TYPE_ROW_COUNT - 1)->type, -1);
  // The rows shown in full, every column.
  struct Full {
    int type;
    int search_group;
    int name_list;
    const char* icon;
    int ugc_type;
  };
  const Full full[] = {
      {2, 1, 2, "prt_image", 1},      {1, 2, 4, "asm_image", 2},  {4, 3, 5, "drawing", 4},
      {19, 7, 6, "layout", 5},        {11, 0, 8, "sketch", 3},    {33, 3, 9, "format", 9},
      {37, 9, 10, "mfg", 10},         {116, 11, 13, "markup", 22}, {10017, 1, 2, "", 50},
      {10016, 2, 4, "", 51},          {-5, -1, -1, "UI dir closed image", 0},
      {9000, -1, -1, "UI file image", 0}, {134, -1, -1, "", 0},
      {48, -1, -1, "generic_nonvek", 14}, {-1, -1, -1, "", 0},
  };
  for (const Full& f : full) {
    const VynObjectType* row = first_with_type(f.type);
    ASSERT_NE(row, nullptr) << f.type;
    EXPECT_EQ(row->search_group, f.search_group) << f.type;
    EXPECT_EQ(row->name_list_id, f.name_list) << f.type;
    EXPECT_STREQ(row->icon, f.icon) << f.type;
    EXPECT_EQ(row->ugc_type, f.ugc_type) << f.type;
  }
  // Type ids are unique; the rows of other products use extensions of their own.
  std::set<int> ids;
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) ids.insert(obj_type_row(i)->type);
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(vek::OBJ_TYPE_ROW_COUNT));
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) {
    const VynObjectType* row = obj_type_row(i);
    if (others.count(row->type) && row->extension[0]) {
      EXPECT_EQ(first_with_extension(row->extension), row) << row->type;
    }
  }
}

TEST_F(ObjType, BothIndexesAgreeWithALinearSearch) {
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) {
    const VynObjectType* row = obj_type_row(i);
    EXPECT_EQ(vek::search_by_type(row->type), first_with_type(row->type)) << row->type;
    if (row->extension[0]) {
      EXPECT_EQ(vek::extension_to_type(row->extension), first_with_extension(row->extension)->type)
          << row->extension;
      std::string lower = row->extension;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_EQ(vek::extension_to_type(lower.c_str()), first_with_extension(row->extension)->type);
    }
  }
  struct Case {
    const char* extension;
    int type;
  };
  const Case cases[] = {{"prt", 2}, {"PRT", 2}, {"SEC", 11}, {"IGS", 134}, {"", -1},
                        {"QQQ", -2}, {"XMT_TXT", 838}, {"A_VERY_LONG_EXTENSION", -2}};
  for (const Case& c : cases) EXPECT_EQ(vek::extension_to_type(c.extension), c.type) << c.extension;
  EXPECT_EQ(vek::extension_to_type(nullptr), -2);
  EXPECT_EQ(vek::ext_to_type(u"drw"), 4);
  EXPECT_EQ(vek::is_obj_extension(u"asm"), 1);
  EXPECT_EQ(vek::is_obj_extension(u""), 0);
  EXPECT_EQ(vek::is_obj_extension(u"qqq"), 0);
  // A type not in the table reads the "All File" row.
  EXPECT_EQ(vek::search_by_type(12345)->type, -1);
  EXPECT_EQ(vek::type_to_name_length(12345), 32);
  EXPECT_EQ(vek::is_valid_dbtype(12345), 0);
  EXPECT_EQ(vek::is_valid_dbtype(2), 1);
}

TEST_F(ObjType, Accessors) {
  EXPECT_STREQ(vek::type_to_extension(4), "DRW");
  EXPECT_STREQ(vek::get_db_type_label(19), "Layout");
  EXPECT_EQ(vek::type_to_name_length(134), 80);
  EXPECT_EQ(vek::type_to_spg_mode(37), 9);
  EXPECT_EQ(vek::type_to_name_list_type(116), 13);
  EXPECT_EQ(vek::find_ugc_type_from_db_type(48), 14);
  EXPECT_EQ(vek::type_to_mixed_case_OK(2), 0);
  EXPECT_EQ(vek::type_to_mixed_case_OK(146), 1);
  EXPECT_EQ(vek::type_to_weird_chars_OK(146), 1);
  EXPECT_EQ(vek::type_to_weird_chars_OK(2), 0);
  EXPECT_EQ(vek::is_nonvek_import_type(134), 1);
  EXPECT_EQ(vek::is_nonvek_import_type(2), 0);
  EXPECT_STREQ(vek::type_to_icon_name(2, 1), "prt_image");
  EXPECT_STREQ(vek::type_to_icon_name(146, 0), "");
  EXPECT_STREQ(vek::type_to_icon_name(146, 1), "generic_vek");
  EXPECT_STREQ(vek::type_to_icon_name(134, 1), "generic_nonvek");
  EXPECT_EQ(vek::spg_mode_to_type(1), 2);
  EXPECT_EQ(vek::spg_mode_to_type(42), -1);
  EXPECT_EQ(vek::type_label_to_type("dRaWiNg"), 4);
  EXPECT_EQ(vek::type_label_to_type("nothing"), -1);
  EXPECT_EQ(vek::type_label_to_type(""), -1);
  for (int type : {843, 844, 845}) EXPECT_EQ(vek::is_basalk_application_type(type), 1);
  EXPECT_EQ(vek::is_basalk_application_type(846), 0);
  EXPECT_EQ(std::u16string(vek::object_extension(1)), u"ASM");
  // A row's extension that belongs to an earlier row maps to that row's type; a row
  // without one keeps its own; the catch-all row stays -1.
  EXPECT_EQ(vek::type_to_ext_match_type(10030), 2);
  EXPECT_EQ(vek::type_to_ext_match_type(813), 813);
  EXPECT_EQ(vek::type_to_ext_match_type(-1), -1);
  EXPECT_EQ(vek::type_to_ext_match_type(4), 4);
}

TEST_F(ObjType, FiltersAndTheImportList) {
  const int one[] = {2};
  EXPECT_STREQ(vek::get_object_extension_filter(one, 1), "*.PRT*");
  const int two[] = {2, 1};
  EXPECT_STREQ(vek::get_object_extension_filter(two, 2), "*{.PRT,.ASM}*");
  EXPECT_STREQ(vek::get_object_extension_filter(two, 0), "");
  // A filter that would not fit is empty, never cut.
  std::vector<int> many(400, 838);
  EXPECT_STREQ(vek::get_object_extension_filter(many.data(), 400), "");

  int* list = nullptr;
  int count = vek::get_import_type_list_low(&list);
  std::vector<int> expected = {826};
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) {
    if (obj_type_row(i)->type_class & vek::OBJ_CLASS_IMPORT) expected.push_back(obj_type_row(i)->type);
  }
  ASSERT_EQ(count, static_cast<int>(expected.size()));
  ASSERT_EQ(vek::xar_count(&list), count);
  EXPECT_EQ(std::vector<int>(list, list + count), expected);
  EXPECT_EQ(vek::get_import_type_list_low(&list), count);  // the old array is replaced
  vek::xar_free(&list);
  EXPECT_EQ(vek::get_import_type_list_low(nullptr), -1);
}

// A changed extension is found as the first row in table order that has it, also when
// the row had none before (it was not in the index) or another row shares it.
TEST_F(ObjType, AChangedExtensionIsFoundInTableOrder) {
  EXPECT_EQ(vek::extension_to_type("PRT"), 2);  // the indexes exist
  EXPECT_EQ(vek::extension_to_type("SHR"), -2);
  EXPECT_EQ(vek::notify_extension_changed(813, "shr"), 0);
  EXPECT_EQ(vek::extension_to_type("shr"), 813);
  EXPECT_EQ(vek::notify_extension_changed(137, "prt"), 0);
  EXPECT_EQ(vek::extension_to_type("prt"), 2);
  EXPECT_EQ(vek::extension_to_type("DXF"), -2);
  // A row that comes before every other holder of an extension wins it.
  EXPECT_EQ(vek::notify_extension_changed(160, "sym"), 0);
  EXPECT_EQ(vek::extension_to_type("SYM"), 160);
  // Repeated types are found first in table order after the type index is sorted again.
  EXPECT_STREQ(vek::get_db_type_label(2), "Part");
  EXPECT_EQ(vek::notify_extension_changed(2, "p2"), 0);
  EXPECT_EQ(vek::extension_to_type("P2"), 2);
  EXPECT_EQ(vek::extension_to_type("PRT"), 10030);
}

TEST_F(ObjType, ANewExtensionIsFoundThroughTheSortedIndex) {
  EXPECT_EQ(vek::extension_to_type("PRT"), 2);  // the indexes exist
  EXPECT_EQ(vek::notify_extension_changed(2, "pr2"), 0);
  EXPECT_EQ(vek::extension_to_type("PR2"), 2);
  EXPECT_EQ(vek::extension_to_type("PRT"), 10030);
  EXPECT_STREQ(vek::type_to_extension(2), "PR2");
  EXPECT_EQ(vek::notify_extension_changed(12345, "zzz"), 0);
  EXPECT_EQ(vek::extension_to_type("ZZZ"), -2);
}

int table_namelist(int type) { return vek::type_to_name_list_type(type) + (type == 2 ? 5 : 0); }
int table_ugc(int type) { return vek::find_ugc_type_from_db_type(type); }

int count_icon(int, const char* icon, const char*, void* data) {
  ++*static_cast<int*>(data);
  return std::strcmp(icon, "prt_image") == 0;
}

TEST_F(ObjType, VerifiersReportEachMismatchAndIconsAreListed) {
  show_serious_reports();
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::obj_type_verify_namelist_ids(table_namelist), 1);
  EXPECT_NE(console.out().find("namelist 7 != 2 for type 2"), std::string::npos) << console.out();
  console.clear();
  EXPECT_EQ(vek::obj_type_verify_ugc_types(table_ugc), 1);
  EXPECT_EQ(console.out(), "");
  int calls = 0;
  EXPECT_EQ(vek::obj_type_add_icon_names(count_icon, &calls), 1);
  int with_icon = 0;
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) with_icon += obj_type_row(i)->icon[0] != '\0';
  EXPECT_EQ(calls, with_icon);
}

}  // namespace
