// Records stored in the drawing: class registration, typed slot access, string arrays.
//
// Each slot access builds its slot record on the stack from the class record and the
// wide slot name; the host finds classes and slots by name. Slot names are checked for
// the host's length before anything is converted, so a long name is refused rather than
// cut into another slot's name.
#include "app/storage/storage.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/menus/app_init.h"
#include "app/menus/app_testing.h"
#include "runtime/text/wide.h"
#include "toolkit/local/local_param.h"
#include "toolkit/util/strutil.h"

VynExtdataClass view_class;
VynExtdataClass part_class;
VynExtdataClass active_class;
int ViewClassRegistered;
int PartClassRegistered;
int ActiveClassRegistered;

namespace {

// The wide form of a narrow slot or class name; false (nothing shown) for a null or
// empty name and for one whose wide form has more than YRL_SLOT_NAME_MAX characters,
// which is refused rather than cut into another slot's name.
bool wide_name(const char* name, VynName out) {
  std::memset(out, 0, sizeof(VynName));
  if (!name || name[0] == '\0') return false;
  return vek::strtows_bounded(out, sizeof(VynName) / sizeof(VynWchar), name) == 0 && out[0] != 0;
}

// The registered flag of one of the application's three class records; null for any
// other record.
const int* registered_flag(const VynExtdataClass* ext_class) {
  if (ext_class == &view_class) return &ViewClassRegistered;
  if (ext_class == &part_class) return &PartClassRegistered;
  if (ext_class == &active_class) return &ActiveClassRegistered;
  return nullptr;
}

// 0 when ext_class may be used now: it names the current model and, for the three
// records of the application, its flag says it is registered there. A record left from
// a drawing that was current before would reach that drawing.
int class_usable(const VynExtdataClass* ext_class) {
  if (!ext_class) return VYN_TK_BAD_INPUTS;
  const int* flag = registered_flag(ext_class);
  if (flag && *flag == 0) return YRL_CLASS_NOT_REGISTERED;
  VynMdl current = nullptr;
  if (VynMdlCurrentGet(&current) != VYN_TK_NO_ERROR || !current || current != ext_class->model)
    return YRL_CLASS_NOT_REGISTERED;
  return VYN_TK_NO_ERROR;
}

// The slot record of a named slot of ext_class; -2 for a bad class or name, -11 for a
// class that is not registered for the current model.
int slot_make(VynExtdataClass* ext_class, const char* slot_name, VynExtdataSlot* slot) {
  std::memset(slot, 0, sizeof *slot);
  if (!ext_class || !wide_name(slot_name, slot->slot_name)) return VYN_TK_BAD_INPUTS;
  if (int status = class_usable(ext_class)) return status;
  slot->p_class = ext_class;
  return VYN_TK_NO_ERROR;
}

// Creates the slot, or fills the record by hand when it exists, then writes the value.
int slot_write(VynExtdataClass* ext_class, const char* slot_name, int type, int size, const void* data) {
  VynExtdataSlot slot;
  if (int status = slot_make(ext_class, slot_name, &slot)) return status;
  VynExtdataSlot created;
  if (VynExtdataSlotCreate(ext_class, slot.slot_name, &created) == VYN_TK_NO_ERROR) slot = created;
  return VynExtdataSlotWrite(&slot, YRL_SLOT_KEY_BY_NAME, type, size, data);
}

void storage_message(const char* key, const char* slot_name, int status) {
  VynMessageDisplay(YrlMsgFile, key, slot_name, &status);
}

// Reads the slot and checks its type; on success *data is the host's copy, which the
// caller releases. On failure nothing is held.
int slot_read_typed(VynExtdataClass* ext_class, const char* slot_name, int want_type, int* size,
                    void** data) {
  int type = 0;
  int got_size = 0;
  void* got = nullptr;
  if (int status = YrlSlotRetrieve(ext_class, slot_name, &type, &got_size, &got)) return status;
  if (type != want_type || !got) {
    if (got) VynExtdataFree(&got);
    return YRL_SLOT_WRONG_TYPE;
  }
  *size = got_size;
  *data = got;
  return VYN_TK_NO_ERROR;
}

// The wide text of a read: the host's bytes up to the first terminator within size.
std::size_t wide_read_length(const void* data, int size) {
  const auto* text = static_cast<const VynWchar*>(data);
  std::size_t units = size > 0 ? static_cast<std::size_t>(size) / sizeof(VynWchar) : 0;
  std::size_t n = 0;
  while (n < units && text[n] != 0) ++n;
  return n;
}

}  // namespace

// ---- Class registration -----------------------------------------------------------------

int YrlClassExists(VynMdl model, const char* class_name, VynExtdataClass* class_record) {
  if (!class_name) return 0;
  int count = 0;
  VynArray names = nullptr;
  if (VynExtdataClassNamesList(model, &count, &names) != VYN_TK_NO_ERROR) return 0;
  int found = 0;
  const auto* list = static_cast<const VynName*>(names);
  for (int i = 0; list && i < count && !found; ++i) {
    if (VynUtilStrwscmp(class_name, list[i]) != 0) continue;
    if (class_record) {
      class_record->model = model;
      std::memcpy(class_record->name, list[i], sizeof(VynName));
    }
    found = 1;
  }
  if (names) VynArrayFree(&names);
  return found;
}

namespace {

// Registers class_name in model; the status, with the record filled on success.
int class_register_in(VynMdl model, const char* class_name, VynExtdataClass* class_record) {
  if (VynExtdataInit(model) != VYN_TK_NO_ERROR) return YRL_CLASS_NOT_REGISTERED;
  VynName wide;
  if (!wide_name(class_name, wide)) return VYN_TK_BAD_INPUTS;
  int status = VYN_TK_NO_ERROR;
  if (!YrlClassExists(model, class_name, class_record)) {
    status = VynExtdataClassRegister(model, wide, class_record);
    // -5: the class exists after all (its listing failed); the host filled the record.
    if (status == VYN_TK_E_FOUND) status = VYN_TK_NO_ERROR;
  }
  if (status == VYN_TK_NO_ERROR) status = VynExtdataLoadAll(model);
  return status;
}

}  // namespace

// The flag means "registered in the model the record names": when another model has
// become current, the class is registered there first, so that nothing is written into
// the drawing that was current before.
int YrlClassRegister(int* flag, const char* class_name, VynExtdataClass* class_record) {
  if (!flag || !class_record) return VYN_TK_BAD_INPUTS;
  VynMdl model = nullptr;
  int status = YRL_CLASS_NOT_REGISTERED;
  if (VynMdlCurrentGet(&model) == VYN_TK_NO_ERROR && model) {
    if (*flag && class_record->model == model) return VYN_TK_NO_ERROR;
    status = class_register_in(model, class_name, class_record);
  }
  *flag = status == VYN_TK_NO_ERROR ? 1 : 0;
  // A record that is not registered names no model, so that nothing reaches the model
  // it was registered for before.
  if (*flag == 0) std::memset(class_record, 0, sizeof *class_record);
  return status;
}

int YrlViewClassRegister() { return YrlClassRegister(&ViewClassRegistered, "Y_V", &view_class); }
int YrlPartClassRegister() { return YrlClassRegister(&PartClassRegistered, "Y_P", &part_class); }
int YrlActiveClassRegister() { return YrlClassRegister(&ActiveClassRegistered, "Y_A", &active_class); }

int YrlAllClassRegister() {
  int status = YrlViewClassRegister();
  if (status == VYN_TK_NO_ERROR) status = YrlPartClassRegister();
  return status;
}

void YrlViewClassRegisterSet(int value) { ViewClassRegistered = value; }
void YrlPartClassRegisterSet(int value) { PartClassRegistered = value; }
void YrlActiveClassRegisterSet(int value) { ActiveClassRegistered = value; }
void YrlAllClassRegisterSet(int value) {
  ViewClassRegistered = value;
  PartClassRegistered = value;
  ActiveClassRegistered = value;
}

// ---- Slot names -------------------------------------------------------------------------

namespace {

// Formats into name; -2 (name "") for a name longer than the host keeps, counted in the
// wide characters the host counts, whose first characters go to shown when it is given.
int slot_name_vformat(YrlSlotName& name, char* shown, std::size_t shown_size, const char* format,
                      va_list args) {
  name[0] = '\0';
  if (!format) return VYN_TK_BAD_INPUTS;
  // One byte more than a name of the longest characters has, to tell a longer one.
  char full[YRL_SLOT_NAME_SIZE + 1];
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(full, sizeof full, format, args);
  VynName wide;
  bool fits = length >= 0 && static_cast<std::size_t>(length) < YRL_SLOT_NAME_SIZE &&
              (length == 0 || wide_name(full, wide));
  if (!fits && length > 0 && shown) std::vsnprintf(shown, shown_size, format, copy);
  va_end(copy);
  if (!fits) return VYN_TK_BAD_INPUTS;
  std::memcpy(name, full, static_cast<std::size_t>(length) + 1);
  return VYN_TK_NO_ERROR;
}

}  // namespace

int YrlSlotNameFormat(YrlSlotName& name, const char* format, ...) {
  char shown[256] = "";
  va_list args;
  va_start(args, format);
  int status = slot_name_vformat(name, shown, sizeof shown, format, args);
  va_end(args);
  if (status != VYN_TK_NO_ERROR && shown[0] != '\0')
    VynMessageDisplay(YrlMsgFile, "YRL_SLOT_NAME_TOO_LONG", shown);
  return status;
}

int YrlSlotNameBuild(YrlSlotName& name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int status = slot_name_vformat(name, nullptr, 0, format, args);
  va_end(args);
  return status;
}

// ---- Writing ----------------------------------------------------------------------------

int YrlStringSave(VynExtdataClass* ext_class, const char* slot_name, const char* value) {
  if (!value || value[0] == '\0') return VYN_TK_NO_ERROR;
  std::size_t length = std::strlen(value);
  auto* wide = static_cast<VynWchar*>(std::calloc(length + 1, sizeof(VynWchar)));
  if (!wide) return VYN_TK_GENERAL_ERROR;
  VynStringToWstring(wide, value);
  int status = slot_write(ext_class, slot_name, YRL_SLOT_WSTRING, 0, wide);
  std::free(wide);
  if (status != VYN_TK_NO_ERROR) storage_message("YRL_STR_STORAGE_ERROR", slot_name, status);
  return status;
}
int YrlViewStringSave(const char* slot_name, const char* value) {
  return YrlStringSave(&view_class, slot_name, value);
}
int YrlPartStringSave(const char* slot_name, const char* value) {
  return YrlStringSave(&part_class, slot_name, value);
}
int YrlActiveStringSave(const char* slot_name, const char* value) {
  return YrlStringSave(&active_class, slot_name, value);
}

int YrlIntegerSave(VynExtdataClass* ext_class, const char* slot_name, int value) {
  int status = slot_write(ext_class, slot_name, YRL_SLOT_INTEGER, 0, &value);
  if (status != VYN_TK_NO_ERROR) storage_message("YRL_INT_STORAGE_ERROR", slot_name, status);
  return status;
}
int YrlViewIntegerSave(const char* slot_name, int value) {
  return YrlIntegerSave(&view_class, slot_name, value);
}
int YrlPartIntegerSave(const char* slot_name, int value) {
  return YrlIntegerSave(&part_class, slot_name, value);
}

int YrlDoubleSave(VynExtdataClass* ext_class, const char* slot_name, double value) {
  int status = slot_write(ext_class, slot_name, YRL_SLOT_DOUBLE, 0, &value);
  if (status != VYN_TK_NO_ERROR) storage_message("YRL_DOUBLE_STORAGE_ERROR", slot_name, status);
  return status;
}
int YrlViewDoubleSave(const char* slot_name, double value) {
  return YrlDoubleSave(&view_class, slot_name, value);
}

int YrlStreamSave(VynExtdataClass* ext_class, const char* slot_name, int size, const void* data) {
  return slot_write(ext_class, slot_name, YRL_SLOT_STREAM, size, data);
}
int YrlViewStreamSave(const char* slot_name, int size, const void* data) {
  return YrlStreamSave(&view_class, slot_name, size, data);
}
int YrlPartStreamSave(const char* slot_name, int size, const void* data) {
  return YrlStreamSave(&part_class, slot_name, size, data);
}

// ---- Reading ----------------------------------------------------------------------------

int YrlSlotRetrieve(VynExtdataClass* ext_class, const char* slot_name, int* type, int* size, void** data) {
  VynExtdataSlot slot;
  if (int status = slot_make(ext_class, slot_name, &slot)) return status;
  return VynExtdataSlotRead(&slot, YRL_SLOT_KEY_BY_NAME, type, size, data);
}
int YrlViewSlotRetrieve(const char* slot_name, int* type, int* size, void** data) {
  return YrlSlotRetrieve(&view_class, slot_name, type, size, data);
}
int YrlPartSlotRetrieve(const char* slot_name, int* type, int* size, void** data) {
  return YrlSlotRetrieve(&part_class, slot_name, type, size, data);
}

int YrlStringRetrieve(VynExtdataClass* ext_class, const char* slot_name, char* value, int value_size) {
  if (!value || value_size < 1) return VYN_TK_BAD_INPUTS;
  int size = 0;
  void* data = nullptr;
  if (int status = slot_read_typed(ext_class, slot_name, YRL_SLOT_WSTRING, &size, &data)) return status;
  // A terminated copy of the host's text, so that the conversion never reads past it;
  // the narrow text is cut after its last whole character that fits.
  std::size_t length = wide_read_length(data, size);
  auto* wide = static_cast<VynWchar*>(std::calloc(length + 1, sizeof(VynWchar)));
  int status = VYN_TK_GENERAL_ERROR;
  if (wide) {
    std::memcpy(wide, data, length * sizeof(VynWchar));
    vek::wstostr_bounded(value, static_cast<std::size_t>(value_size), wide);
    status = VYN_TK_NO_ERROR;
  }
  std::free(wide);
  VynExtdataFree(&data);
  return status;
}
int YrlViewStringRetrieve(const char* slot_name, char* value, int value_size) {
  return YrlStringRetrieve(&view_class, slot_name, value, value_size);
}
int YrlPartStringRetrieve(const char* slot_name, char* value, int value_size) {
  return YrlStringRetrieve(&part_class, slot_name, value, value_size);
}
int YrlActiveStringRetrieve(const char* slot_name, char* value, int value_size) {
  return YrlStringRetrieve(&active_class, slot_name, value, value_size);
}

int YrlWstringRetrieve(VynExtdataClass* ext_class, const char* slot_name, VynWchar* value, int value_size) {
  if (!value || value_size < 1) return VYN_TK_BAD_INPUTS;
  int size = 0;
  void* data = nullptr;
  if (int status = slot_read_typed(ext_class, slot_name, YRL_SLOT_WSTRING, &size, &data)) return status;
  std::size_t keep = wide_read_length(data, size);
  if (keep > static_cast<std::size_t>(value_size - 1)) keep = static_cast<std::size_t>(value_size - 1);
  std::memcpy(value, data, keep * sizeof(VynWchar));
  value[keep] = 0;
  VynExtdataFree(&data);
  return VYN_TK_NO_ERROR;
}
int YrlViewWstringRetrieve(const char* slot_name, VynWchar* value, int value_size) {
  return YrlWstringRetrieve(&view_class, slot_name, value, value_size);
}
int YrlPartWstringRetrieve(const char* slot_name, VynWchar* value, int value_size) {
  return YrlWstringRetrieve(&part_class, slot_name, value, value_size);
}

namespace {

// Reads a slot of want_type holding one value of bytes bytes into value; a shorter slot
// is of the wrong type. The host's copy is released either way.
int scalar_read(VynExtdataClass* ext_class, const char* slot_name, int want_type, void* value,
                std::size_t bytes) {
  if (!value) return VYN_TK_BAD_INPUTS;
  int size = 0;
  void* data = nullptr;
  if (int status = slot_read_typed(ext_class, slot_name, want_type, &size, &data)) return status;
  int status = YRL_SLOT_WRONG_TYPE;
  if (size >= 0 && static_cast<std::size_t>(size) >= bytes) {
    std::memcpy(value, data, bytes);
    status = VYN_TK_NO_ERROR;
  }
  VynExtdataFree(&data);
  return status;
}

}  // namespace

int YrlIntegerRetrieve(VynExtdataClass* ext_class, const char* slot_name, int* value) {
  return scalar_read(ext_class, slot_name, YRL_SLOT_INTEGER, value, sizeof *value);
}
int YrlViewIntegerRetrieve(const char* slot_name, int* value) {
  return YrlIntegerRetrieve(&view_class, slot_name, value);
}
int YrlPartIntegerRetrieve(const char* slot_name, int* value) {
  return YrlIntegerRetrieve(&part_class, slot_name, value);
}

int YrlDoubleRetrieve(VynExtdataClass* ext_class, const char* slot_name, double* value) {
  return scalar_read(ext_class, slot_name, YRL_SLOT_DOUBLE, value, sizeof *value);
}
int YrlViewDoubleRetrieve(const char* slot_name, double* value) {
  return YrlDoubleRetrieve(&view_class, slot_name, value);
}

int YrlStreamRetrieve(VynExtdataClass* ext_class, const char* slot_name, void** data, int* size) {
  if (!data) return VYN_TK_BAD_INPUTS;
  int got_size = 0;
  void* got = nullptr;
  if (int status = slot_read_typed(ext_class, slot_name, YRL_SLOT_STREAM, &got_size, &got)) return status;
  *data = got;
  if (size) *size = got_size;
  return VYN_TK_NO_ERROR;
}
int YrlViewStreamRetrieve(const char* slot_name, void** data, int* size) {
  return YrlStreamRetrieve(&view_class, slot_name, data, size);
}
int YrlPartStreamRetrieve(const char* slot_name, void** data, int* size) {
  return YrlStreamRetrieve(&part_class, slot_name, data, size);
}

// ---- Deleting and listing ---------------------------------------------------------------

int YrlStreamDelete(VynExtdataClass* ext_class, const char* slot_name) {
  VynExtdataSlot slot;
  if (int status = slot_make(ext_class, slot_name, &slot)) return status;
  return VynExtdataSlotDelete(&slot, YRL_SLOT_KEY_BY_NAME);
}
int YrlViewStreamDelete(const char* slot_name) { return YrlStreamDelete(&view_class, slot_name); }
int YrlPartStreamDelete(const char* slot_name) { return YrlStreamDelete(&part_class, slot_name); }

namespace {

int slot_names_get(VynExtdataClass* ext_class, VynArray* names, int* count) {
  if (int status = class_usable(ext_class)) return status;
  return VynExtdataSlotNamesList(ext_class, count, names);
}

}  // namespace

int YrlViewSlotNamesGet(VynArray* names, int* count) {
  return slot_names_get(&view_class, names, count);
}
int YrlPartSlotNamesGet(VynArray* names, int* count) {
  return slot_names_get(&part_class, names, count);
}

// ---- String arrays in "Y_P" -------------------------------------------------------------

int YrlPartStringArraySave(const char* key, VynArray strings) {
  // The count slot's name is the longest of the key's names: when it does not fit,
  // nothing is written.
  if (!key) return VYN_TK_BAD_INPUTS;
  YrlSlotName count_name;
  if (int status = YrlSlotNameFormat(count_name, "V_%s_CNT", key)) return status;
  int n = 0;
  int status = VynArraySizeGet(strings, &n);
  const auto* entries = static_cast<char* const*>(strings);
  YrlSlotName slot_name;
  for (int i = 0; status == VYN_TK_NO_ERROR && i < n; ++i) {
    status = YrlSlotNameFormat(slot_name, "V_%s_%d", key, i);
    if (status == VYN_TK_NO_ERROR) status = YrlPartStringSave(slot_name, entries[i]);
  }
  if (status == VYN_TK_NO_ERROR) status = YrlPartIntegerSave(count_name, n);
  return status;
}

// Frees every element of the first n and the array.
static void string_array_release(VynArray* array, int n) {
  if (!*array) return;
  auto* entries = static_cast<char**>(*array);
  for (int i = 0; i < n; ++i) std::free(entries[i]);
  VynArrayFree(array);
  *array = nullptr;
}

int YrlPartStringArrayRetrieve(const char* key, VynArray* strings) {
  if (!key) return VYN_TK_BAD_INPUTS;
  YrlSlotName slot_name;
  int status = YrlSlotNameBuild(slot_name, "V_%s_CNT", key);
  int count = 0;
  if (status == VYN_TK_NO_ERROR) status = YrlPartIntegerRetrieve(slot_name, &count);
  if (status != VYN_TK_NO_ERROR) return status;

  VynArray array = nullptr;
  if (count >= 1) {
    status = VynArrayAlloc(count, static_cast<int>(sizeof(char*)), 1, &array);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  // Elements not yet filled are null, so a failure frees exactly what was allocated.
  auto* entries = static_cast<char**>(array);
  for (int i = 0; i < count; ++i) entries[i] = nullptr;
  for (int i = 0; status == VYN_TK_NO_ERROR && i < count; ++i) {
    entries[i] = static_cast<char*>(std::calloc(YRL_STORE_STRING_SIZE, 1));
    if (!entries[i]) {
      status = VYN_TK_GENERAL_ERROR;
      break;
    }
    char value[YRL_STORE_STRING_SIZE] = "";
    status = YrlSlotNameBuild(slot_name, "V_%s_%d", key, i);
    if (status == VYN_TK_NO_ERROR) status = YrlPartStringRetrieve(slot_name, value, sizeof value);
    if (status == VYN_TK_NO_ERROR) std::memcpy(entries[i], value, sizeof value);
  }
  if (status != VYN_TK_NO_ERROR || !strings) {
    string_array_release(&array, count);
    return status;
  }
  *strings = array;
  return VYN_TK_NO_ERROR;
}
