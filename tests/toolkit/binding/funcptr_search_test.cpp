// get_vyn_funcptr_by_name against a lower_bound search over the same sorted table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/toolkit/toolkit_test.h"
#include "toolkit/binding/binding.h"

namespace {

// A table of n distinct names of varied length and bytes (some above 127, which strcmp
// orders as unsigned), sorted by strcmp; row i's function is the fake address i + 1.
struct Table {
  std::vector<std::string> names;
  std::vector<win_export_entry> rows;
};

Table make_table(int n) {
  Table t;
  for (int i = 0; t.names.size() < static_cast<size_t>(n); ++i) {
    std::string name = "Vyn" + std::to_string(i * 7919 % 100003);
    if (i % 3 == 0) name += "_v";
    if (i % 5 == 0) name = "\xe9" + name;
    if (i % 11 == 0) name = "a";
    if (std::find(t.names.begin(), t.names.end(), name) == t.names.end()) t.names.push_back(name);
  }
  std::sort(t.names.begin(), t.names.end(),
            [](const std::string& a, const std::string& b) { return std::strcmp(a.c_str(), b.c_str()) < 0; });
  for (size_t i = 0; i < t.names.size(); ++i) {
    t.rows.push_back({reinterpret_cast<VynHostFunction>(static_cast<std::uintptr_t>(i + 1)),
                      t.names[i].c_str()});
  }
  return t;
}

VynHostFunction reference_lookup(const Table& t, const char* name) {
  auto at = std::lower_bound(t.rows.begin(), t.rows.end(), name,
                             [](const win_export_entry& row, const char* key) {
                               return std::strcmp(row.name, key) < 0;
                             });
  return at != t.rows.end() && std::strcmp(at->name, name) == 0 ? at->function : nullptr;
}

// Names that are not in a table: before, between and after its rows.
std::vector<std::string> absent_names(const Table& t) {
  std::vector<std::string> names = {"", "A", "Vyn", "Vyn0_", "zzz", "\xff\xff", "\x01"};
  for (const std::string& name : t.names) {
    names.push_back(name + "0");
    names.push_back(name.substr(0, name.size() - 1));
  }
  return names;
}

class FuncptrSearchTest : public yrltest::ToolkitTest {};
class FuncptrSearchSizeTest : public FuncptrSearchTest,
                              public ::testing::WithParamInterface<int> {};

TEST_P(FuncptrSearchSizeTest, FindsEveryNameOfTheTableAndNoOther) {
  Table t = make_table(GetParam());
  win_export_functions = t.rows.data();
  win_export_func_ct = static_cast<int>(t.rows.size());
  for (const win_export_entry& row : t.rows) {
    EXPECT_EQ(get_vyn_funcptr_by_name(row.name), row.function) << row.name;
  }
  for (const std::string& name : absent_names(t)) {
    EXPECT_EQ(get_vyn_funcptr_by_name(name.c_str()), reference_lookup(t, name.c_str()))
        << "\"" << name << "\"";
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FuncptrSearchSizeTest,
                         ::testing::Values(1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 31, 64, 100, 1000));

TEST_F(FuncptrSearchTest, SearchOfAnEmptyOrMissingTableReadsNoRow) {
  // A row whose name would crash strcmp shows any read.
  win_export_entry poisoned = {nullptr, nullptr};
  win_export_functions = &poisoned;
  for (int count : {0, -1, -1000}) {
    win_export_func_ct = count;
    EXPECT_EQ(get_vyn_funcptr_by_name("vyn_get_startup_mode_v"), nullptr) << count;
  }
  win_export_functions = nullptr;
  win_export_func_ct = 5;
  EXPECT_EQ(get_vyn_funcptr_by_name("vyn_get_startup_mode_v"), nullptr);
}

TEST_F(FuncptrSearchTest, SearchOfANullNameFindsNothing) {
  Table t = make_table(3);
  win_export_functions = t.rows.data();
  win_export_func_ct = 3;
  EXPECT_EQ(get_vyn_funcptr_by_name(nullptr), nullptr);
}

}  // namespace
