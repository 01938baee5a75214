// Toolkit API functions that work inside the plug-in on strings and caller-owned records:
// the narrow/wide conversions, the typed parameter value, the labelled argument, and the
// records of simplified representations and rules. Every function but the two
// conversions returns a status.
#pragma once

#include <cstddef>

#include "toolkit/api/host_types.h"
#include "toolkit/local/paramdata.h"
#include "toolkit/tkbase.h"

// source converted into target by the current language (one wide character per byte of
// source and the terminator); returns target. A null target converts nothing: null.
VynWchar* VynStringToWstring(VynWchar* target, const char* source);
// source converted into target by the current language (room for four bytes per
// character of source and the terminator); returns target. A null target: null.
char* VynWstringToString(char* target, const VynWchar* source);

// Writes 2, the size of the toolkit's wide character, to size_out when it is given;
// 0 when size is 2, else -1.
VynError VynWcharSizeVerify(int size, int* size_out);

// ---- Parameter values ------------------------------------------------------------------

// Stores type and the value that value points to (a double, a wide string, an int, a
// 16-bit boolean; nothing for VYN_PARAM_VOID) in record. -2 for an unknown type, a null
// record, a null value of a type that has one, or a string that does not fit the record
// with its terminator; the record is then left unchanged.
VynError VynParamvalueSet(VynParamvalue* record, const void* value, int type);
VynError VynParamvalueValueSet(VynParamvalue* record, const void* value, int type);
VynError VynParamvalueTypeGet(const VynParamvalue* record, int* type);
// Copies the record's value into value (a string with its terminator, at most
// VYN_PARAM_STRING_SIZE characters) when the record holds the given type; else -2.
VynError VynParamvalueValueGet(const VynParamvalue* record, int type, void* value);

// ---- Labelled arguments ----------------------------------------------------------------

// An argument's value; its meaning is the host's.
struct VynArgvalue {
  unsigned char bytes[16];
};
struct VynArgument {
  VynName label;
  VynArgvalue value;
};
static_assert(sizeof(VynArgument) == 80 && offsetof(VynArgument, value) == 64);

// The value of the first row of the host array arguments (of VynArgument) whose label
// equals label, wide character by wide character; -4 when none does, -2 for a null
// argument or an array whose size the host cannot give.
VynError VynArgumentByLabelGet(VynArray arguments, const VynWchar* label, VynArgvalue* value);

// ---- Simplified representations --------------------------------------------------------

struct VynSimprepAction {
  int type;
  unsigned char data[120];
};
static_assert(sizeof(VynSimprepAction) == 124);

// Most ids of an item's path.
constexpr int VYN_SIMPREP_PATH_MAX = 25;

struct VynSimprepdataitem {
  int path_size;  // -1: no path
  int path_ids[VYN_SIMPREP_PATH_MAX];
  int feature_id;
  VynSimprepAction action;
};
static_assert(sizeof(VynSimprepdataitem) == 232 && offsetof(VynSimprepdataitem, path_ids) == 4 &&
              offsetof(VynSimprepdataitem, feature_id) == 104 &&
              offsetof(VynSimprepdataitem, action) == 108);

struct VynSimprepdata {
  VynName name;
  int temporary;
  int is_default;
  VynArray items;  // host array of VynSimprepdataitem
};
static_assert(offsetof(VynSimprepdata, temporary) == 64 &&
              offsetof(VynSimprepdata, is_default) == 68 && offsetof(VynSimprepdata, items) == 72);

// Clears action, stores type and copies the 120 bytes of data when data is given.
VynError VynSimprepActionInit(int type, const void* data, VynSimprepAction* action);
// The name, cut to 31 characters, into name (32 wide characters: always terminated,
// the rest of it cleared).
VynError VynSimprepdataNameGet(const VynSimprepdata* data, VynWchar* name);
// name, cut to 31 characters, into the record's name (always terminated).
VynError VynSimprepdataNameSet(VynSimprepdata* data, const VynWchar* name);
VynError VynSimprepdataTmpvalGet(const VynSimprepdata* data, int* temporary);
VynError VynSimprepdataTmpvalSet(VynSimprepdata* data, int temporary);
VynError VynSimprepdataDefltGet(const VynSimprepdata* data, int* is_default);
VynError VynSimprepdataDefltSet(VynSimprepdata* data, int is_default);
// An item of path_size ids (0 to 25; -1 for none, which needs a feature id other than
// -1) copied from path_ids, the feature id and a copy of action; -2 for other sizes or a
// null action. A null item checks the inputs only.
VynError VynSimprepdataitemInit(const int* path_ids, int path_size, int feature_id,
                                const VynSimprepAction* action, VynSimprepdataitem* item);
// Calls filter (when given) and then action (when given) for each item of data in
// order; a filter's VYN_TK_CONTINUE skips the item. Stops at the first other nonzero
// status and returns it; 0 after a full visit.
VynError VynSimprepdataitemsVisit(const VynSimprepdata* data, VynItemFilterAction filter,
                                  VynItemVisitAction action, void* app_data);

// ---- Rules -----------------------------------------------------------------------------

enum : int {
  VYN_RULE_NAME = 1,
  VYN_RULE_EXPR = 3,
  VYN_RULE_SIZE = 4,
  VYN_RULE_DIST = 5,
};

typedef struct VynExpressionRecord* VynExpression;  // a host expression handle

struct VynRule {
  int type;
  int unused;
  union {
    VynWchar name[32];  // at most 30 characters and the terminator
    VynExpression expression;
    unsigned char size[16];
    unsigned char distance[32];
  } data;
};
static_assert(offsetof(VynRule, data) == 8);

// A null rule checks the inputs only; -2 for a null source.
VynError VynRuleInitName(const VynWchar* name, VynRule* rule);  // -2 from 31 characters on
VynError VynRuleInitExpr(VynExpression expression, VynRule* rule);
VynError VynRuleInitDist(const void* distance, VynRule* rule);  // 32 bytes
VynError VynRuleInitSize(const void* size, VynRule* rule);      // 16 bytes
