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
  struct Row {
    int at;
    int type;
    const char* extension;
    const char* label;
  };
  const Row rows[] = {
      {0, 2, "PRT", "Part"},           {1, 10030, "PRT", "Concept Part"},
      {2, 1, "ASM", "Assembly"},       {3, 4, "DRW", "Drawing"},
      {241, 561, "K61", ""},          {252, 20317, "K17", ""},
      {253, -1, "", "All File"},
  };
  for (const Row& r : rows) {
    const VynObjectType* row = obj_type_row(r.at);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->type, r.type) << r.at;
    EXPECT_STREQ(row->extension, r.extension) << r.at;
    EXPECT_STREQ(row->label, r.label) << r.at;
  }
  // The rows shown in full, every column.
  const VynObjectType* part = obj_type_row(0);
  EXPECT_EQ(part->name_length, 32);
  EXPECT_EQ(part->search_group, 1);
  EXPECT_EQ(part->name_list_id, 2);
  EXPECT_STREQ(part->icon, "prt_image");
  EXPECT_EQ(part->ugc_type, 1);
  EXPECT_EQ(part->type_class, 1);
  const VynObjectType* directory = first_with_type(-5);
  ASSERT_NE(directory, nullptr);
  EXPECT_STREQ(directory->extension, "DIR");
  EXPECT_EQ(directory->name_length, 260);
  EXPECT_STREQ(directory->icon, "UI dir closed image");
  EXPECT_EQ(directory->type_class, 2);
  // Type ids are unique; the rows of other products use extensions of their own.
  std::set<int> ids;
  for (int i = 0; i < vek::OBJ_TYPE_ROW_COUNT; ++i) ids.insert(obj_type_row(i)->type);
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(vek::OBJ_TYPE_ROW_COUNT));
  for (int i = 241; i < 253; ++i) {
    EXPECT_EQ(first_with_extension(obj_type_row(i)->extension), obj_type_row(i)) << i;
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
