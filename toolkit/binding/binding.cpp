#include "toolkit/binding/binding.h"

#include <cstring>

#include "runtime/diag/diag.h"
#include "toolkit/binding/binding_testing.h"
#include "toolkit/startup/startup.h"

VynHostFunction yrl_api_slots[YRL_SLOT_COUNT];

VynHostFunction get_vyn_funcptr_by_name(const char* name) {
  const win_export_entry* rows = win_export_functions;
  int n = win_export_func_ct;
  if (!rows || n <= 0 || !name) return nullptr;
  // A name of the table stays between lo and hi; the loop narrows them to at most two
  // candidates, which are compared at the end (with n = 2 the loop does not run).
  int lo = 0;
  int hi = n - 1;
  while (lo + 1 < hi) {
    int mid = lo + (hi - lo) / 2;
    if (std::strcmp(name, rows[mid].name) >= 0) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  if (std::strcmp(name, rows[lo].name) == 0) return rows[lo].function;
  if (std::strcmp(name, rows[hi].name) == 0) return rows[hi].function;
  return nullptr;
}

VynHostFunction yrl_bind(VynHostFunction* slot, const char* key, const char* report_name) {
  *slot = get_vyn_funcptr_by_name(key);
  if (!*slot) vek::dbg_err_crash(report_name, "couldn't find pointer to Mavrel-side function");
  return *slot;
}

void binding_testing_reset() { std::memset(yrl_api_slots, 0, sizeof yrl_api_slots); }
