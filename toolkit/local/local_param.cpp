#include "toolkit/local/local_param.h"

#include <cstring>

#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"
#include "toolkit/api/app_api.h"

VynWchar* VynStringToWstring(VynWchar* target, const char* source) {
  if (!target) return nullptr;
  return vek::strtows(target, source);
}

char* VynWstringToString(char* target, const VynWchar* source) {
  if (!target) return nullptr;
  return vek::wstostr(target, source);
}

VynError VynWcharSizeVerify(int size, int* size_out) {
  if (size_out) *size_out = static_cast<int>(sizeof(VynWchar));
  return size == static_cast<int>(sizeof(VynWchar)) ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

// ---- Parameter values ------------------------------------------------------------------

namespace {

bool param_type_known(int type) {
  switch (type) {
    case VYN_PARAM_DOUBLE:
    case VYN_PARAM_STRING:
    case VYN_PARAM_INTEGER:
    case VYN_PARAM_BOOLEAN:
    case VYN_PARAM_ID:
    case VYN_PARAM_VOID:
      return true;
    default:
      return false;
  }
}

// Units of a wide string before its terminator, looking at no more than limit units;
// limit when none of them is the terminator.
int wide_length_within(const VynWchar* text, int limit) {
  int length = 0;
  while (length < limit && text[length]) ++length;
  return length;
}

// Copies the value of a record of the given type from source to target, either of which
// may be the record's value field. A string is copied with its terminator; the caller
// has checked that it fits.
void param_value_copy(int type, void* target, const void* source) {
  switch (type) {
    case VYN_PARAM_DOUBLE:
      std::memmove(target, source, sizeof(double));
      break;
    case VYN_PARAM_STRING: {
      int length = wide_length_within(static_cast<const VynWchar*>(source), VYN_PARAM_STRING_SIZE);
      if (length == VYN_PARAM_STRING_SIZE) length = VYN_PARAM_STRING_SIZE - 1;
      std::memmove(target, source, static_cast<std::size_t>(length) * sizeof(VynWchar));
      static_cast<VynWchar*>(target)[length] = 0;
      break;
    }
    case VYN_PARAM_INTEGER:
    case VYN_PARAM_ID:
      std::memmove(target, source, sizeof(int));
      break;
    case VYN_PARAM_BOOLEAN:
      std::memmove(target, source, sizeof(short));
      break;
    default:  // VYN_PARAM_VOID: no value
      break;
  }
}

}  // namespace

VynError VynParamvalueSet(VynParamvalue* record, const void* value, int type) {
  if (!record || !param_type_known(type)) return VYN_TK_BAD_INPUTS;
  if (type != VYN_PARAM_VOID && !value) return VYN_TK_BAD_INPUTS;
  // A string longer than the record holds is refused rather than cut or overrun.
  if (type == VYN_PARAM_STRING &&
      wide_length_within(static_cast<const VynWchar*>(value), VYN_PARAM_STRING_SIZE) >=
          VYN_PARAM_STRING_SIZE)
    return VYN_TK_BAD_INPUTS;
  record->type = type;
  param_value_copy(type, &record->value, value);
  return VYN_TK_NO_ERROR;
}

VynError VynParamvalueValueSet(VynParamvalue* record, const void* value, int type) {
  return VynParamvalueSet(record, value, type);
}

VynError VynParamvalueTypeGet(const VynParamvalue* record, int* type) {
  if (!record || !type) return VYN_TK_BAD_INPUTS;
  *type = record->type;
  return VYN_TK_NO_ERROR;
}

VynError VynParamvalueValueGet(const VynParamvalue* record, int type, void* value) {
  if (!record || !value || record->type != type) return VYN_TK_BAD_INPUTS;
  // A host-filled string without a terminator comes out cut to the record's capacity.
  param_value_copy(type, value, &record->value);
  return VYN_TK_NO_ERROR;
}

// ---- Labelled arguments ----------------------------------------------------------------

namespace {

// A row's label (VynName, maybe without a terminator) equals label.
bool label_equal(const VynName row_label, const VynWchar* label) {
  constexpr int units = static_cast<int>(sizeof(VynName) / sizeof(VynWchar));
  for (int i = 0; i < units; ++i) {
    if (row_label[i] != label[i]) return false;
    if (!label[i]) return true;
  }
  return label[units] == 0;
}

}  // namespace

VynError VynArgumentByLabelGet(VynArray arguments, const VynWchar* label, VynArgvalue* value) {
  if (!arguments || !label || !value) return VYN_TK_BAD_INPUTS;
  int size = 0;
  if (VynArraySizeGet(arguments, &size) != VYN_TK_NO_ERROR) return VYN_TK_BAD_INPUTS;
  const VynArgument* rows = static_cast<const VynArgument*>(arguments);
  for (int i = 0; i < size; ++i) {
    if (label_equal(rows[i].label, label)) {
      *value = rows[i].value;
      return VYN_TK_NO_ERROR;
    }
  }
  return VYN_TK_E_NOT_FOUND;
}

// ---- Simplified representations --------------------------------------------------------

namespace {

constexpr int name_units = static_cast<int>(sizeof(VynName) / sizeof(VynWchar));

// At most 31 characters of source into target, the rest of target cleared, so that
// target is always terminated.
void name_copy(VynWchar* target, const VynWchar* source) {
  // Unit by unit, so source may be target itself.
  vek::wsncpy(target, source, name_units - 1);
  target[name_units - 1] = 0;
}

}  // namespace

VynError VynSimprepActionInit(int type, const void* data, VynSimprepAction* action) {
  if (!action) return VYN_TK_BAD_INPUTS;
  // Built aside: data may be the action's own.
  VynSimprepAction built;
  std::memset(&built, 0, sizeof built);
  built.type = type;
  if (data) std::memcpy(built.data, data, sizeof built.data);
  std::memcpy(action, &built, sizeof built);
  return VYN_TK_NO_ERROR;
}

VynError VynSimprepdataNameGet(const VynSimprepdata* data, VynWchar* name) {
  if (!data || !name) return VYN_TK_BAD_INPUTS;
  name_copy(name, data->name);
  return VYN_TK_NO_ERROR;
}

VynError VynSimprepdataNameSet(VynSimprepdata* data, const VynWchar* name) {
  if (!data || !name) return VYN_TK_BAD_INPUTS;
  name_copy(data->name, name);
  return VYN_TK_NO_ERROR;
}

VynError VynSimprepdataTmpvalGet(const VynSimprepdata* data, int* temporary) {
  if (temporary) *temporary = -1;
  if (!data || !temporary) return VYN_TK_BAD_INPUTS;
  *temporary = data->temporary;
  return VYN_TK_NO_ERROR;
}

VynError VynSimprepdataTmpvalSet(VynSimprepdata* data, int temporary) {
  if (!data) return VYN_TK_BAD_INPUTS;
  data->temporary = temporary;
  return VYN_TK_NO_ERROR;
}

VynError VynSimprepdataDefltGet(const VynSimprepdata* data, int* is_default) {
  if (is_default) *is_default = 0;
  if (!data || !is_default) return VYN_TK_BAD_INPUTS;
  *is_default = data->is_default;
  return VYN_TK_NO_ERROR;
}

VynError VynSimprepdataDefltSet(VynSimprepdata* data, int is_default) {
  if (!data) return VYN_TK_BAD_INPUTS;
  data->is_default = is_default;
  return VYN_TK_NO_ERROR;
}

VynError VynSimprepdataitemInit(const int* path_ids, int path_size, int feature_id,
                                const VynSimprepAction* action, VynSimprepdataitem* item) {
  bool no_path = path_size == -1 && feature_id != -1;
  bool path = path_size >= 0 && path_size <= VYN_SIMPREP_PATH_MAX;
  if (!(no_path || path) || !action) return VYN_TK_BAD_INPUTS;
  if (!item) return VYN_TK_NO_ERROR;
  // Built aside: the ids and the action may be the item's own.
  VynSimprepdataitem built;
  std::memset(&built, 0, sizeof built);
  if (!path_ids) {
    built.path_size = no_path ? -1 : 0;
  } else {
    built.path_size = path_size;
    if (path_size > 0)
      std::memcpy(built.path_ids, path_ids, static_cast<std::size_t>(path_size) * sizeof(int));
  }
  built.feature_id = feature_id;
  std::memcpy(&built.action, action, sizeof built.action);
  std::memcpy(item, &built, sizeof built);
  return VYN_TK_NO_ERROR;
}

VynError VynSimprepdataitemsVisit(const VynSimprepdata* data, VynItemFilterAction filter,
                                  VynItemVisitAction action, void* app_data) {
  if (!data) return VYN_TK_BAD_INPUTS;
  int size = 0;
  VynError status = VynArraySizeGet(data->items, &size);
  if (status != VYN_TK_NO_ERROR) return status;
  VynSimprepdataitem* items = static_cast<VynSimprepdataitem*>(data->items);
  for (int i = 0; i < size && status == VYN_TK_NO_ERROR; ++i) {
    if (filter) {
      status = filter(&items[i], app_data);
      if (status == VYN_TK_CONTINUE) {
        status = VYN_TK_NO_ERROR;
        continue;
      }
    }
    if (action) status = action(&items[i], status, app_data);
  }
  return status;
}

// ---- Rules -----------------------------------------------------------------------------

namespace {

VynError rule_init(int type, const void* source, std::size_t bytes, VynRule* rule) {
  if (!source || bytes == 0 || bytes > sizeof rule->data) return VYN_TK_BAD_INPUTS;
  if (rule) {
    rule->type = type;
    std::memcpy(&rule->data, source, bytes);
  }
  return VYN_TK_NO_ERROR;
}

}  // namespace

VynError VynRuleInitName(const VynWchar* name, VynRule* rule) {
  if (!name) return VYN_TK_BAD_INPUTS;
  // Measured no further than the 31 characters that already refuse it.
  std::size_t bytes = static_cast<std::size_t>(wide_length_within(name, name_units - 1) + 1) *
                      sizeof(VynWchar);
  if (bytes > 63) return VYN_TK_BAD_INPUTS;
  return rule_init(VYN_RULE_NAME, name, bytes, rule);
}

VynError VynRuleInitExpr(VynExpression expression, VynRule* rule) {
  // The handle is copied whole, whatever its size on this platform.
  if (!expression) return VYN_TK_BAD_INPUTS;
  return rule_init(VYN_RULE_EXPR, &expression, sizeof expression, rule);
}

VynError VynRuleInitDist(const void* distance, VynRule* rule) {
  return rule_init(VYN_RULE_DIST, distance, sizeof(VynRule{}.data.distance), rule);
}

VynError VynRuleInitSize(const void* size, VynRule* rule) {
  return rule_init(VYN_RULE_SIZE, size, sizeof(VynRule{}.data.size), rule);
}
