// Records the application keeps inside the drawing as the host's external data: three
// classes ("Y_V" views and drawing-wide values, "Y_P" per-part mappings and sheets, "Y_A"
// the active part), their registration in the current model, typed slot reads, writes
// and deletes, and string arrays kept as numbered slots.
//
// Every function returns a status (0 success, host statuses passed up unchanged) unless
// said otherwise. Slot names are narrow text of at most YRL_SLOT_NAME_MAX characters.
//
// A class record is used only while it is registered for the current model: a slot
// access through a record that names another model (a drawing that was current before),
// or through one of the three records while its flag is 0, is refused with
// YRL_CLASS_NOT_REGISTERED and reaches no model.
#pragma once

#include <cstddef>

#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/tkbase.h"

// The longest slot or class name the host keeps, in characters: wide (UTF-16) units of
// the name's wide form, whatever its narrow form's bytes.
inline constexpr int YRL_SLOT_NAME_MAX = 31;
// Bytes of a narrow slot name of YRL_SLOT_NAME_MAX characters, terminator included.
inline constexpr std::size_t YRL_SLOT_NAME_SIZE = vek::wstostr_room(YRL_SLOT_NAME_MAX);
// A buffer for a formatted slot name.
using YrlSlotName = char[YRL_SLOT_NAME_SIZE];
// Buffer size of a string value passing through the stored records: 80 characters and
// the terminator.
inline constexpr int YRL_STORE_STRING_SIZE = 81;

// Slot data types as the host numbers them, and the only key method the application uses.
inline constexpr int YRL_SLOT_INTEGER = 1;
inline constexpr int YRL_SLOT_DOUBLE = 2;
inline constexpr int YRL_SLOT_WSTRING = 3;
inline constexpr int YRL_SLOT_STREAM = 4;
inline constexpr int YRL_SLOT_KEY_BY_NAME = 4098;

// Status of a slot read whose stored type is not the one asked for.
inline constexpr int YRL_SLOT_WRONG_TYPE = -6;  // VYN_TK_LINE_TOO_LONG
// Status of a registration that found no current model with usable external data, and
// of a slot access through a record that is not registered for the current model.
inline constexpr int YRL_CLASS_NOT_REGISTERED = -11;  // VYN_TK_COMM_ERROR

// The three class records and their registered flags (0 not registered, 1 registered).
extern VynExtdataClass view_class;
extern VynExtdataClass part_class;
extern VynExtdataClass active_class;
extern int ViewClassRegistered;
extern int PartClassRegistered;
extern int ActiveClassRegistered;

// ---- Class registration -----------------------------------------------------------------

// Registers class_name in the current model into class_record. With *flag already 1 and
// the record bound to the current model, 0 without further host calls; a record bound to
// another model than the current one is registered again in the current model. The flag
// becomes 1 only when registration and loading succeeded; otherwise the record is
// cleared, so that it names no model. -11 when no current model with usable external
// data exists.
int YrlClassRegister(int* flag, const char* class_name, VynExtdataClass* class_record);
int YrlViewClassRegister();
int YrlPartClassRegister();
int YrlActiveClassRegister();
// 1 when the model has the class (the record is then filled with the model and the
// wide name), else 0; also 0 when the classes cannot be listed.
int YrlClassExists(VynMdl model, const char* class_name, VynExtdataClass* class_record);
// Registers "Y_V", then, when that succeeded, "Y_P".
int YrlAllClassRegister();

void YrlViewClassRegisterSet(int value);
void YrlPartClassRegisterSet(int value);
void YrlActiveClassRegisterSet(int value);
void YrlAllClassRegisterSet(int value);

// ---- Slot names -------------------------------------------------------------------------

// Formats a slot name into name. A name that would be longer than YRL_SLOT_NAME_MAX
// characters is refused: "YRL_SLOT_NAME_TOO_LONG" is shown with the untruncated name
// and -2 returned, name left "".
int YrlSlotNameFormat(YrlSlotName& name, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// The same without the message, for reads: a slot whose name is too long cannot exist.
int YrlSlotNameBuild(YrlSlotName& name, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// ---- Writing ----------------------------------------------------------------------------

// A NULL or empty value writes nothing and returns 0. A failed write shows
// "YRL_STR_STORAGE_ERROR" with the slot name and the status.
int YrlStringSave(VynExtdataClass* ext_class, const char* slot_name, const char* value);
int YrlViewStringSave(const char* slot_name, const char* value);
int YrlPartStringSave(const char* slot_name, const char* value);
int YrlActiveStringSave(const char* slot_name, const char* value);
// A failed write shows "YRL_INT_STORAGE_ERROR".
int YrlIntegerSave(VynExtdataClass* ext_class, const char* slot_name, int value);
int YrlViewIntegerSave(const char* slot_name, int value);
int YrlPartIntegerSave(const char* slot_name, int value);
// A failed write shows "YRL_DOUBLE_STORAGE_ERROR".
int YrlDoubleSave(VynExtdataClass* ext_class, const char* slot_name, double value);
int YrlViewDoubleSave(const char* slot_name, double value);
// A byte stream of size bytes; no message on failure.
int YrlStreamSave(VynExtdataClass* ext_class, const char* slot_name, int size, const void* data);
int YrlViewStreamSave(const char* slot_name, int size, const void* data);
int YrlPartStreamSave(const char* slot_name, int size, const void* data);

// ---- Reading ----------------------------------------------------------------------------
// A failed host read passes its status up and leaves the out value untouched; a slot of
// another type gives YRL_SLOT_WRONG_TYPE. Typed reads release the host's copy.

// The wide value narrowed into value, which holds value_size chars; a longer value is cut
// at value_size - 1 characters.
int YrlStringRetrieve(VynExtdataClass* ext_class, const char* slot_name, char* value,
                      int value_size = YRL_STORE_STRING_SIZE);
int YrlViewStringRetrieve(const char* slot_name, char* value, int value_size = YRL_STORE_STRING_SIZE);
int YrlPartStringRetrieve(const char* slot_name, char* value, int value_size = YRL_STORE_STRING_SIZE);
int YrlActiveStringRetrieve(const char* slot_name, char* value, int value_size = YRL_STORE_STRING_SIZE);
// The wide value copied unchanged into value (value_size wide characters), cut likewise.
int YrlWstringRetrieve(VynExtdataClass* ext_class, const char* slot_name, VynWchar* value,
                       int value_size = YRL_STORE_STRING_SIZE);
int YrlViewWstringRetrieve(const char* slot_name, VynWchar* value, int value_size = YRL_STORE_STRING_SIZE);
int YrlPartWstringRetrieve(const char* slot_name, VynWchar* value, int value_size = YRL_STORE_STRING_SIZE);
int YrlIntegerRetrieve(VynExtdataClass* ext_class, const char* slot_name, int* value);
int YrlViewIntegerRetrieve(const char* slot_name, int* value);
int YrlPartIntegerRetrieve(const char* slot_name, int* value);
int YrlDoubleRetrieve(VynExtdataClass* ext_class, const char* slot_name, double* value);
int YrlViewDoubleRetrieve(const char* slot_name, double* value);
// Hands the host's stream block to the caller, who frees it with VynExtdataFree; its
// byte count goes to *size when size is given.
int YrlStreamRetrieve(VynExtdataClass* ext_class, const char* slot_name, void** data, int* size = nullptr);
int YrlViewStreamRetrieve(const char* slot_name, void** data, int* size = nullptr);
int YrlPartStreamRetrieve(const char* slot_name, void** data, int* size = nullptr);
// The raw read, nothing checked; the caller frees *data with VynExtdataFree.
int YrlSlotRetrieve(VynExtdataClass* ext_class, const char* slot_name, int* type, int* size, void** data);
int YrlViewSlotRetrieve(const char* slot_name, int* type, int* size, void** data);
int YrlPartSlotRetrieve(const char* slot_name, int* type, int* size, void** data);

// ---- Deleting and listing ---------------------------------------------------------------

// Removes a slot of any type.
int YrlStreamDelete(VynExtdataClass* ext_class, const char* slot_name);
int YrlViewStreamDelete(const char* slot_name);
int YrlPartStreamDelete(const char* slot_name);
// The class's slot names: a host array of VynName (free with VynArrayFree).
int YrlViewSlotNamesGet(VynArray* names, int* count);
int YrlPartSlotNamesGet(VynArray* names, int* count);

// ---- String arrays in "Y_P" -------------------------------------------------------------

// Stores the host array of narrow strings (char* elements) as the entry slots
// "V_<key>_<i>" and then the count slot "V_<key>_CNT".
int YrlPartStringArraySave(const char* key, VynArray strings);
// Reads them back into a new host array of calloc'ed 81-char buffers (NULL for a count
// of 0 or less); the caller frees each element and the array. On a failing entry read
// nothing is handed over and everything allocated is freed.
int YrlPartStringArrayRetrieve(const char* key, VynArray* strings);
