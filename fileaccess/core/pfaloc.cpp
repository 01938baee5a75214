#include "fileaccess/core/pfaloc.h"

#include <cstring>

#include "fileaccess/core/pfaloc_testing.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"

namespace vek {

namespace {

const char* const locTypeNames[PFA_LOC_TYPE_COUNT] = {
    "NoLocation",     "PfaStdFilesystem", "UniFilesystem", "PfaWorkspace",
    "PfaUNC",         "PfaInSession",     "PfaVaultix",    "PfaList",
    "PfaStdio",       "PfaCommonspace",   "PfaFavorites",  "PfaZip",
};

struct LocMethodInfo {
  const char* name;
  int code;
};

const LocMethodInfo locMethodInfo[PFA_LOC_METHOD_COUNT] = {
#define PFA_LOC_METHOD(number, name, letters) {#name, PLM_CALL_##letters},
#include "fileaccess/core/pfaloc_methods.def"
#undef PFA_LOC_METHOD
};

const char* const methodAttrTable[PFA_LOC_CODE_COUNT] = {
#define PFA_LOC_CODE(code, letters, suffix, types, first, key, rest, args) "PLM_CALL_" #letters,
#include "fileaccess/core/pfaloc_codes.def"
#undef PFA_LOC_CODE
};

// One location type: its number while registered (else 0) and its methods.
struct KnownLoc {
  int type;
  PfaLocMethod methods[PFA_LOC_METHOD_COUNT];
};

// The registry, made empty at the first registration and kept for the process.
KnownLoc KnownLocs[PFA_LOC_TYPE_COUNT];
bool registry_made;
// The type whose registration is open, 0 when none is.
int loc_type_being_registered;

// The run mode that traces the file-access layer.
constexpr int PFA_TRACE_RUN_MODE = 9998;

bool in_range(int value, int count) { return value >= 0 && value < count; }
bool is_registered(int type) {
  return registry_made && in_range(type, PFA_LOC_TYPE_COUNT) && KnownLocs[type].type == type &&
         type != PFA_LOC_NONE;
}

// The access method of an unregistered location: no access.
int no_access(VynFile*, int, int) { return 0; }

// The checks shared by the two inherit functions; 1 when the copy may go ahead.
bool inherit_allowed(int to, int from) {
  static const char kName[] = "pfa_loc_type_inherit_methods";
  if (!in_range(to, PFA_LOC_TYPE_COUNT) || !in_range(from, PFA_LOC_TYPE_COUNT)) {
    dbg_err_crash(kName, "args out of range");
    return false;
  }
  if (to == PFA_LOC_NONE || to != loc_type_being_registered) {
    dbg_err_crash(kName, "not currently registering %s", locTypeNames[to]);
    return false;
  }
  if (!is_registered(from)) {
    dbg_err_crash(kName, "can't inherit methods from as-yet-unregistered %s", locTypeNames[from]);
    return false;
  }
  return true;
}

// The checks shared by method register and unregister; 1 when the slot may change.
bool slot_allowed(const char* name, int type, int method) {
  if (!in_range(type, PFA_LOC_TYPE_COUNT) || !in_range(method, PFA_LOC_METHOD_COUNT)) {
    dbg_err_crash(name, "invalid input");
    return false;
  }
  if (type == PFA_LOC_NONE || type != loc_type_being_registered) {
    dbg_err_crash(name, "registry open for type %s, not type %s",
                  locTypeNames[loc_type_being_registered], locTypeNames[type]);
    return false;
  }
  return true;
}

}  // namespace

const char* pfaloc_type_name(int type) {
  return in_range(type, PFA_LOC_TYPE_COUNT) ? locTypeNames[type] : "?";
}
const char* pfaloc_method_name(int method) {
  return in_range(method, PFA_LOC_METHOD_COUNT) ? locMethodInfo[method].name : "?";
}
const char* pfaloc_code_name(int code) {
  return in_range(code, PFA_LOC_CODE_COUNT) ? methodAttrTable[code] : "?";
}
int pfaloc_method_code(int method) {
  return in_range(method, PFA_LOC_METHOD_COUNT) ? locMethodInfo[method].code : -1;
}

int pfa_loc_register_setup(int type) {
  static const char kName[] = "pfa_loc_register_setup";
  if (type == PFA_LOC_NONE) {
    if (loc_type_being_registered == PFA_LOC_NONE)
      dbg_err_crash(kName, "closing unopened registry");
    loc_type_being_registered = PFA_LOC_NONE;
    return 1;
  }
  if (!in_range(type, PFA_LOC_TYPE_COUNT)) {
    dbg_err_crash(kName, "invalid type index %d", type);
    return 0;
  }
  if (is_registered(type)) {
    dbg_err_crash(kName, "type %s (%d) already registered", locTypeNames[type], type);
    return 0;
  }
  registry_made = true;
  KnownLocs[type].type = type;
  loc_type_being_registered = type;
  return 1;
}

int pfa_loc_register_append(int type) {
  static const char kName[] = "pfa_loc_register_append";
  if (type < 1 || type >= PFA_LOC_TYPE_COUNT) {
    dbg_err_crash(kName, "invalid type index %d", type);
    return 0;
  }
  if (!registry_made) {
    dbg_err_crash(kName, "no known locations");
    return 0;
  }
  if (!is_registered(type)) {
    dbg_err_crash(kName, "type index %d not registered", type);
    return 0;
  }
  loc_type_being_registered = type;
  return 1;
}

int pfa_loc_method_register(int type, int method, int code, PfaLocMethod function) {
  static const char kName[] = "pfa_loc_method_register";
  if (!slot_allowed(kName, type, method)) return 0;
  // An unknown code says nothing of what the function takes: it is not installed.
  if (!in_range(code, PFA_LOC_CODE_COUNT)) {
    dbg_err_crash(kName, "unknown calling sequence code %d", code);
    return 0;
  }
  if (code != locMethodInfo[method].code) {
    dbg_err_crash(kName, "%s should be %s, not %s", locMethodInfo[method].name,
                  methodAttrTable[locMethodInfo[method].code], methodAttrTable[code]);
    return 0;
  }
  KnownLocs[type].methods[method] = function;
  return 1;
}

int pfa_loc_method_unregister(int type, int method) {
  if (!slot_allowed("pfa_loc_method_unregister", type, method)) return 0;
  KnownLocs[type].methods[method] = nullptr;
  return 1;
}

int pfa_loc_type_inherit_methods(int to, int from) {
  if (!inherit_allowed(to, from)) return 0;
  std::memcpy(KnownLocs[to].methods, KnownLocs[from].methods, sizeof KnownLocs[to].methods);
  return 1;
}

int pfa_loc_type_inherit_method(int to, int from, int method) {
  if (!in_range(method, PFA_LOC_METHOD_COUNT)) {
    dbg_err_crash("pfa_loc_type_inherit_methods", "args out of range");
    return 0;
  }
  if (!inherit_allowed(to, from)) return 0;
  KnownLocs[to].methods[method] = KnownLocs[from].methods[method];
  return KnownLocs[to].methods[method] != nullptr;
}

PfaLocMethod pfa_location_unregister(int type) {
  if (!registry_made) return nullptr;
  if (type < 1 || type >= PFA_LOC_TYPE_COUNT) {
    dbg_err_crash("pfa_location_unregister", "invalid type index %d", type);
    return nullptr;
  }
  if (!is_registered(type)) return nullptr;
  KnownLoc& loc = KnownLocs[type];
  PfaLocMethod claim = loc.methods[PfaClaimLocation];
  for (PfaLocMethod& slot : loc.methods) slot = nullptr;
  loc.methods[PfaClaimLocation] = claim;
  loc.methods[PfaAccess] = as_method(&no_access);
  return claim;
}

int pfa_location_type_registered(int type) { return is_registered(type) ? 1 : 0; }

int pfaloc_get_func_low(int type, int method, int code, PfaLocMethod* function) {
  static const char kName[] = "pfaloc_get_func";
  if (!in_range(method, PFA_LOC_METHOD_COUNT)) {
    dbg_err_crash(kName, "no such method %d", method);
    return 0;
  }
  if (locMethodInfo[method].code != code) {
    dbg_err_crash(kName, "tried to call %s with attrs %d", locMethodInfo[method].name, code);
    return 0;
  }
  if (!in_range(type, PFA_LOC_TYPE_COUNT)) {
    dbg_err_crash(kName, "unknown location type %d (out of range)", type);
    return 0;
  }
  PfaLocMethod found = registry_made ? KnownLocs[type].methods[method] : nullptr;
  if (!found) {
    if (type != PFA_LOC_NONE && get_run_mode() == PFA_TRACE_RUN_MODE)
      dbg_err_syserr(kName, "calling undefined %s method for %s", locMethodInfo[method].name,
                     locTypeNames[type]);
    return 0;
  }
  if (function) *function = found;
  return 1;
}

int pfaloc_get_func(const VynFile* file, int method, int code, PfaLocMethod* function) {
  if (!file || file->magic != VYN_FILE_MAGIC) return 0;
  return pfaloc_get_func_low(static_cast<int>(file->location_type), method, code, function);
}

namespace {
// The lookup of a dispatcher: through a handle or by location type number.
int find_method(const VynFile* file, int method, int code, PfaLocMethod* function) {
  return pfaloc_get_func(file, method, code, function);
}
int find_method(int type, int method, int code, PfaLocMethod* function) {
  return pfaloc_get_func_low(type, method, code, function);
}
}  // namespace

#define PFA_LOC_CODE(code, letters, suffix, types, first, key, rest, args) \
  int pfaloc_call_##suffix(first, int method PFA_LOC_UNPAREN rest) {          \
    PfaLocMethod found = nullptr;                                             \
    if (!find_method(key, method, code, &found)) return -1;                   \
    return reinterpret_cast<PfaLocFn_##letters>(found) args;                  \
  }
#include "fileaccess/core/pfaloc_codes.def"
#undef PFA_LOC_CODE

int pfaloc_supports_method(const VynFile* file, int method) {
  if (!file || file->magic != VYN_FILE_MAGIC) return 0;
  int type = static_cast<int>(file->location_type);
  if (!in_range(type, PFA_LOC_TYPE_COUNT)) {
    dbg_err_crash("pfaloc_supports_method", "unknown location type %d (out of range)", type);
    return 0;
  }
  if (!registry_made || !in_range(method, PFA_LOC_METHOD_COUNT) ||
      !KnownLocs[type].methods[method])
    return 0;
  return pfaloc_call_FI(const_cast<VynFile*>(file), PfaLocSupportsMethod, method);
}

int pfa_parse_location(VynFile* file, const char* text, int* name_offset, int type) {
  if (!file || file->magic != VYN_FILE_MAGIC) return PFA_E_NOT_VALID;
  if (!text) return PFA_E_INVALID_INPUT;
  std::uint32_t previous = file->location_type;
  int first = type == -1 ? PFA_LOC_TYPE_COUNT - 1 : type;
  int last = type == -1 ? 1 : type;
  int answer = PFA_E_NOT_FOUND;
  char* colon = const_cast<char*>(std::strchr(text, ':'));
  for (int candidate = first; candidate >= last; --candidate) {
    // Only registered types with a claim method are asked.
    if (!is_registered(candidate) || !KnownLocs[candidate].methods[PfaClaimLocation]) continue;
    file->location_type = static_cast<std::uint32_t>(candidate);
    answer = pfaloc_call_FPPP(file, PfaClaimLocation, const_cast<char*>(text), colon,
                              name_offset);
    if (answer == PFA_E_NO_ERROR) return answer;
  }
  file->location_type = previous;
  return answer;
}

namespace {
PfaTxnHint* set_hint(PfaTxnHint* hint, VynWord kind, VynWord value) {
  if (hint) {
    hint->kind = kind;
    hint->value = value;
  }
  return hint;
}
// A missing method (-1) answers fallback.
int or_else(int answer, int fallback) { return answer == -1 ? fallback : answer; }
}  // namespace

PfaTxnHint* pfaloc_txnhint_set_mode(PfaTxnHint* h, VynWord v) { return set_hint(h, 0, v); }
PfaTxnHint* pfaloc_txnhint_set_transdir(PfaTxnHint* h, VynWord v) { return set_hint(h, 1, v); }
PfaTxnHint* pfaloc_txnhint_set_file(PfaTxnHint* h, VynWord v) { return set_hint(h, 2, v); }
PfaTxnHint* pfaloc_txnhint_set_ndinst(PfaTxnHint* h, VynWord v) { return set_hint(h, 3, v); }
PfaTxnHint* pfaloc_txnhint_set_ndprop(PfaTxnHint* h, VynWord v) { return set_hint(h, 4, v); }
PfaTxnHint* pfaloc_txnhint_set_overconf(PfaTxnHint* h, VynWord v) { return set_hint(h, 5, v); }
PfaTxnHint* pfaloc_txnhint_set_retrmode(PfaTxnHint* h, VynWord v) { return set_hint(h, 6, v); }

int pfaloc_open_transaction(VynFile* file, int kind, PfaTxnHint* hints) {
  return or_else(pfaloc_call_FIP(file, PfaOpenTransaction, kind, hints), 0);
}

int pfaloc_test_transaction(VynFile* file, int kind, PfaTxnHint* hints, int* out1, int* out2) {
  if (out1) *out1 = 0;
  if (out2) *out2 = 0;
  return or_else(pfaloc_call_FIPPP(file, PfaTestTransaction, kind, hints, out1, out2), 0);
}

int pfaloc_close_transaction(VynFile* file, int kind, int* out1, int* out2) {
  if (out1) *out1 = 0;
  if (out2) *out2 = 0;
  return or_else(pfaloc_call_FIPP(file, PfaCloseTransaction, kind, out1, out2), 0);
}

int pfaloc_get_transaction_owner(VynFile* file, VynFile* other) {
  return or_else(pfaloc_call_FF(file, PfaGetTransactionOwner, other), PFA_E_NOT_FOUND);
}

int pfaloc_txnmsg_getinfo(int type, void* message, void* out1, void* out2, void* out3) {
  return pfaloc_call_PPPP(type, PfaTxnMsgGetInfo, message, out1, out2, out3);
}

int pfaloc_txnmsg_free(int type, void* message) {
  return pfaloc_call_P(type, PfaTxnMsgFree, message);
}

void pfaloc_testing_reset() {
  std::memset(KnownLocs, 0, sizeof KnownLocs);
  registry_made = false;
  loc_type_being_registered = PFA_LOC_NONE;
}

}  // namespace vek
