// The host function table: a stub per row of the toolkit's API tables and
// hand-written entries (the stubs themselves are built in host_row_stubs_*.cpp).
#include "host/plugin/host_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "host/plugin/host_row_stubs.h"
#include "host/util/host_testing.h"

namespace yrlhost {
namespace {

// Each row's stub, from the part that instantiates it.
VynHostFunction row_stub(std::size_t row) {
  static const VynHostFunction* const parts[] = {detail::row_stubs_part0, detail::row_stubs_part1,
                                                 detail::row_stubs_part2, detail::row_stubs_part3};
  static_assert(std::size(parts) == detail::host_row_stub_parts);
  return parts[row % detail::host_row_stub_parts][row];
}

bool name_less(const win_export_entry& a, const win_export_entry& b) {
  return std::strcmp(a.name, b.name) < 0;
}

bool same_name(const win_export_entry& a, const win_export_entry& b) {
  return std::strcmp(a.name, b.name) == 0;
}

}  // namespace

namespace detail {

std::string extra_keys[extra_recorder_count];
bool unique_results = false;

int extra_slot(const std::string& key) {
  int free_slot = -1;
  for (int slot = 0; slot < extra_recorder_count; ++slot) {
    if (extra_keys[slot] == key) return slot;
    if (free_slot < 0 && extra_keys[slot].empty()) free_slot = slot;
  }
  if (key.empty() || free_slot < 0) {
    std::fprintf(stderr, "yrlhost: no extra recorder for key \"%s\" (%s)\n", key.c_str(),
                 key.empty() ? "empty key" : "all slots taken");
    std::abort();
  }
  extra_keys[free_slot] = key;
  return free_slot;
}

}  // namespace detail

std::vector<win_export_entry> host_table_build(const HostTableOptions& options) {
  detail::unique_results = options.unique_results;
  // Extras first, so that the stable sort keeps them ahead of a row of the same key
  // and the unique pass drops the row. Two rows of one key (two functions that share
  // their host function) keep the first.
  std::vector<win_export_entry> table(options.extra.begin(), options.extra.end());
  for (std::size_t row = 0; row < host_api_count; ++row) {
    table.push_back(win_export_entry{row_stub(row), host_api_keys[row]});
  }
  std::erase_if(table, [&](const win_export_entry& row) {
    return std::find(options.left_out.begin(), options.left_out.end(), row.name) !=
           options.left_out.end();
  });
  std::stable_sort(table.begin(), table.end(), name_less);
  table.erase(std::unique(table.begin(), table.end(), same_name), table.end());

  // The plug-in's binary search finds every name only in a table of this shape.
  for (std::size_t i = 1; i < table.size(); ++i) {
    if (std::strcmp(table[i - 1].name, table[i].name) >= 0) {
      std::fprintf(stderr, "yrlhost: function table out of order at \"%s\"\n", table[i].name);
      std::abort();
    }
  }
  return table;
}

VynHostFunction host_table_find(const std::vector<win_export_entry>& table, const char* key) {
  auto found = std::lower_bound(table.begin(), table.end(), win_export_entry{nullptr, key},
                                name_less);
  if (found == table.end() || std::strcmp(found->name, key) != 0) return nullptr;
  return found->function;
}

void host_table_testing_reset() {
  for (std::string& key : detail::extra_keys) key.clear();
  detail::unique_results = false;
}

}  // namespace yrlhost
