// Location types: the registry of their method tables, registration and inheritance,
// and the dispatchers through which every operation of the layer reaches a location.
#pragma once

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// Location type numbers.
enum {
  PFA_LOC_NONE = 0,
  PFA_LOC_UNI_FILESYSTEM = 2,
  PFA_LOC_WORKSPACE = 3,
  PFA_LOC_UNC = 4,
  PFA_LOC_IN_SESSION = 5,
  PFA_LOC_VAULTIX = 6,
  PFA_LOC_LIST = 7,
  PFA_LOC_COMMONSPACE = 9,
  PFA_LOC_FAVORITES = 10,
  PFA_LOC_ZIP = 11,
};
constexpr int PFA_LOC_TYPE_COUNT = 12;
constexpr int PFA_LOC_METHOD_COUNT = 88;
constexpr int PFA_LOC_CODE_COUNT = 33;

// Method numbers (PfaClaimLocation is 3, ...).
enum PfaLocMethodNumber {
#define PFA_LOC_METHOD(number, name, letters) name = number,
#include "fileaccess/core/pfaloc_methods.def"
#undef PFA_LOC_METHOD
};

// Calling codes (PLM_CALL_F is 0, ...).
enum PfaLocCallCode {
#define PFA_LOC_CODE(code, letters, suffix, types, first, key, rest, args) PLM_CALL_##letters = code,
#include "fileaccess/core/pfaloc_codes.def"
#undef PFA_LOC_CODE
};

// A method as stored: cast back to the type of its calling code before the call.
typedef void (*PfaLocMethod)();
// Any method function as stored.
template <typename F>
PfaLocMethod as_method(F* function) {
  return reinterpret_cast<PfaLocMethod>(function);
}

// The method type of each calling code: PfaLocFn_F, PfaLocFn_FL, ...
#define PFA_LOC_CODE(code, letters, suffix, types, first, key, rest, args) \
  typedef int(*PfaLocFn_##letters) types;
#include "fileaccess/core/pfaloc_codes.def"
#undef PFA_LOC_CODE

// The name of a location type ("PfaStdFilesystem"), of a method ("PfaClaimLocation") and
// of a calling code ("PLM_CALL_FPPP"); "?" out of range.
const char* pfaloc_type_name(int type);
const char* pfaloc_method_name(int method);
const char* pfaloc_code_name(int code);
// The calling code of a method, -1 out of range.
int pfaloc_method_code(int method);

// Registration. A location's register function calls setup(type), registers its
// methods, may inherit, then calls setup(0). Faults are reported through dbg_err_crash
// and leave the registry unchanged.
int pfa_loc_register_setup(int type);
int pfa_loc_register_append(int type);
// 1 when the method was installed.
int pfa_loc_method_register(int type, int method, int code, PfaLocMethod function);
int pfa_loc_method_unregister(int type, int method);
int pfa_loc_type_inherit_methods(int to, int from);
int pfa_loc_type_inherit_method(int to, int from, int method);
// Keeps only the claim method (and an access method answering 0); returns the claim
// method, null when nothing was unregistered.
PfaLocMethod pfa_location_unregister(int type);
int pfa_location_type_registered(int type);

// Lookup: 1 with *function set, 0 when the method is missing or the request is wrong.
int pfaloc_get_func_low(int type, int method, int code, PfaLocMethod* function);
int pfaloc_get_func(const VynFile* file, int method, int code, PfaLocMethod* function);

// One dispatcher per calling code: pfaloc_call_F(file, method), pfaloc_call_FL(file,
// method), ... (the location slot is inserted after each F followed by L), and
// pfaloc_call_P(type, method, p), ... for the codes without a handle. -1 when the
// method is missing, else its answer.
#define PFA_LOC_CODE(code, letters, suffix, types, first, key, rest, args) \
  int pfaloc_call_##suffix(first, int method PFA_LOC_UNPAREN rest);
#define PFA_LOC_UNPAREN(...) __VA_ARGS__
#include "fileaccess/core/pfaloc_codes.def"
#undef PFA_LOC_CODE

// Nonzero when the handle's location can do the method.
int pfaloc_supports_method(const VynFile* file, int method);

// Gives the handle the location type whose claim method accepts text (type -1: the
// registered types from 11 down to 1), with *name_offset where the base name begins.
// 0 when claimed; else the handle keeps its type and the last answer is returned (2
// when no location could be asked, 11 for an invalid handle, 9 for a null text).
int pfa_parse_location(VynFile* file, const char* text, int* name_offset, int type);

// Transaction hints: {kind, value}. The setters fill the record and return it.
struct PfaTxnHint {
  VynWord kind;
  VynWord value;
};
PfaTxnHint* pfaloc_txnhint_set_mode(PfaTxnHint* hint, VynWord value);
PfaTxnHint* pfaloc_txnhint_set_transdir(PfaTxnHint* hint, VynWord value);
PfaTxnHint* pfaloc_txnhint_set_file(PfaTxnHint* hint, VynWord value);
PfaTxnHint* pfaloc_txnhint_set_ndinst(PfaTxnHint* hint, VynWord value);
PfaTxnHint* pfaloc_txnhint_set_ndprop(PfaTxnHint* hint, VynWord value);
PfaTxnHint* pfaloc_txnhint_set_overconf(PfaTxnHint* hint, VynWord value);
PfaTxnHint* pfaloc_txnhint_set_retrmode(PfaTxnHint* hint, VynWord value);

// Transactions; a location without the method gives the fixed answer noted.
int pfaloc_open_transaction(VynFile* file, int kind, PfaTxnHint* hints);  // 0
int pfaloc_test_transaction(VynFile* file, int kind, PfaTxnHint* hints, int* out1,
                            int* out2);                                   // 0
int pfaloc_close_transaction(VynFile* file, int kind, int* out1, int* out2);  // 0
int pfaloc_get_transaction_owner(VynFile* file, VynFile* other);              // 2
int pfaloc_txnmsg_getinfo(int type, void* message, void* out1, void* out2, void* out3);
int pfaloc_txnmsg_free(int type, void* message);

}  // namespace vek
