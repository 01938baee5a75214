// What the tests of the API tables know of each row: its table, name, key, form, kind
// and text directory, read from the rows themselves.
//
// A test lists the rows by expanding toolkit/api/api_tables.def through forms of its own
// that give YRLTEST_ROW_INFO(form, kind, name, key, dir_name) for each row. __FILE__ in
// that expansion is the table file the row stands in, which names the row's family.
#pragma once

#include <string>

#include "host/api/host_api.h"
#include "toolkit/binding/binding.h"

namespace yrltest {

struct ApiRowInfo {
  const char* table;     // the path of the table file the row stands in
  const char* name;      // the forwarding function's name
  const char* key;       // its lookup key
  yrlhost::RowForm form;
  YrlKind kind;
  const char* dir_name;  // "msg_path", "menu_path" or "resource_path" for dir rows, else null
};

#define YRLTEST_ROW_INFO(form, kind, name, key, dir_name) \
  ::yrltest::ApiRowInfo { __FILE__, #name, key, ::yrlhost::RowForm::form, YrlKind::kind, dir_name }

// The family of a table file: its file name without the folder and ".def".
inline std::string table_family(const char* table) {
  std::string path = table;
  std::size_t slash = path.find_last_of("/\\");
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = file.rfind(".def");
  return dot == std::string::npos ? file : file.substr(0, dot);
}

}  // namespace yrltest
