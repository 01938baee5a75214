#include "toolkit/util/strinput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/w32/crt.h"
#include "runtime/text/lang.h"
#include "runtime/text/strutil.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_feature_option_api.h"
#include "toolkit/local/mdldata.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/strutil_report.h"

VynError VynUtilMsgPrint(const char* prefix, const char* key, const void* v1, const void* v2,
                         const void* v3, const void* v4, const void* v5, const void* v6,
                         const void* v7, const void* v8, const void* v9, const void* v10) {
  static const char suffix[] = "_msg.txt";
  char narrow[VYN_UTIL_NARROW_SIZE] = "";
  if (prefix) {
    long room = static_cast<long>(sizeof narrow - sizeof suffix);
    long take = vek::whole_characters_within(prefix, room, vek::get_language());
    std::memcpy(narrow, prefix, static_cast<std::size_t>(take));
    narrow[take] = '\0';
  }
  std::strcat(narrow, suffix);
  VynWchar file[VYN_UTIL_NARROW_SIZE];
  vek::strtows_bounded(file, VYN_UTIL_NARROW_SIZE, narrow);
  return VynMessageDisplay(file, key, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10);
}

int VynUtilYesnoGet(const char* default_text) {
  // An unusable default would send a user who gives nothing round forever.
  char fallback = 'N';
  if (default_text) {
    char first = vek::uppercase(default_text[0]);
    if (first == 'Y' || first == 'N') fallback = first;
  }
  for (int attempt = 0; attempt < VYN_UTIL_YESNO_ATTEMPTS; ++attempt) {
    VynWchar reply[8] = {};
    int first = fallback;
    if (VynMessageStringRead(4, reply) == VYN_TK_NO_ERROR && reply[0] != 0)
      first = reply[0] >= 'a' && reply[0] <= 'z' ? reply[0] - 32 : reply[0];
    if (first == 'Y') return 1;
    if (first == 'N') return 0;
    VynUtilMsgPrint("gen", "UTIL Please answer Y or N : ");
  }
  return fallback == 'Y' ? 1 : 0;
}

int VynUtilIntGet(const int* range, const int* default_value, int* out) {
  if (!out) return 0;
  int value = 0;
  if (VynMessageIntegerRead(range, &value) == VYN_TK_NO_ERROR) {
    *out = value;
    return 1;
  }
  if (!default_value) return 0;
  *out = *default_value;
  return 1;
}

int VynUtilDoubleGet(const double* range, const double* default_value, double* out) {
  if (!out) return 0;
  double value = 0.0;
  if (VynMessageDoubleRead(range, &value) == VYN_TK_NO_ERROR) {
    *out = value;
    return 1;
  }
  if (!default_value) return 0;
  *out = *default_value;
  return 1;
}

int VynUtilStringGet(VynWchar* out, const VynWchar* default_value, int max_length) {
  if (!out || max_length < 1) return 0;
  auto* text = static_cast<VynWchar*>(
      std::calloc(static_cast<std::size_t>(max_length) + 1, sizeof(VynWchar)));
  if (!text) return 0;
  int result = 1;
  if (VynMessageStringRead(max_length, text) == VYN_TK_NO_ERROR) {
    text[max_length] = 0;  // whatever the host wrote, no more than out holds
    VynUtilWstrcpy(out, text);
  } else if (default_value) {
    // The default is cut to the room the caller gave for an answer.
    int length = 0;
    while (length < max_length && default_value[length]) ++length;
    std::memcpy(text, default_value, static_cast<std::size_t>(length) * sizeof(VynWchar));
    text[length] = 0;
    VynUtilWstrcpy(out, text);
  } else {
    result = 0;
  }
  std::free(text);
  return result;
}

namespace {

// A wide name field (maybe without a terminator) lower-cased and narrow into out.
void name_to_lower_narrow(const VynName field, char* out) {
  VynName name;
  std::memcpy(name, field, sizeof name);
  name[31] = 0;
  char narrow[VYN_UTIL_MODELNAME_SIZE];
  vek::wstostr_bounded(narrow, sizeof narrow, name);
  VynUtilStringLower(narrow, out);
}

}  // namespace

char* VynUtilModelnameGet(VynMdl* model, char* name_out, char* type_out) {
  if (!model) return nullptr;
  if (!*model) {
    VynError status = VynMdlCurrentGet(model);
    util_call_report("VynMdlCurrentGet()", "VynUtilModelnameGet()", status);
    if (status != VYN_TK_NO_ERROR || !*model) return nullptr;
  }
  VynMdldata data;
  std::memset(&data, 0, sizeof data);
  VynError status = VynMdlDataGet(*model, &data);
  util_call_report("VynMdlDataGet()", "VynUtilModelnameGet()", status);
  if (status != VYN_TK_NO_ERROR) return nullptr;
  if (name_out) name_to_lower_narrow(data.name, name_out);
  if (type_out) name_to_lower_narrow(data.type, type_out);
  return name_out;
}

VynError VynUtilWstringArrayToFile(VynArray strings, const VynWchar* file_name) {
  int size = 0;
  VynError status = VynArraySizeGet(strings, &size);
  if (status != VYN_TK_NO_ERROR) return status;
  if (!file_name) return VYN_TK_GENERAL_ERROR;
  char path[VYN_UTIL_NARROW_SIZE];
  vek::wstostr_bounded(path, sizeof path, file_name);
  std::FILE* file = w32::fopen(path, "w");
  if (!file) return VYN_TK_GENERAL_ERROR;
  VynWchar** texts = static_cast<VynWchar**>(strings);
  for (int i = 0; i < size; ++i) {
    char line[VYN_UTIL_NARROW_SIZE] = "";
    if (texts[i]) vek::wstostr_bounded(line, sizeof line, texts[i]);
    std::fprintf(file, "%s\n", line);
  }
  std::fclose(file);
  return VYN_TK_NO_ERROR;
}

VynError VynUtilFileToWstringArray(const VynWchar* file_name, VynArray* strings) {
  if (!file_name) return VYN_TK_GENERAL_ERROR;
  char path[VYN_UTIL_NARROW_SIZE];
  vek::wstostr_bounded(path, sizeof path, file_name);
  std::FILE* file = w32::fopen(path, "r");
  if (!file) return VYN_TK_GENERAL_ERROR;
  VynError status = VYN_TK_NO_ERROR;
  char line[VYN_UTIL_FILE_LINE_SIZE + 1];
  while (std::fgets(line, sizeof line, file)) {
    VynWchar text[VYN_UTIL_FILE_LINE_SIZE + 1];
    vek::strtows_bounded(text, VYN_UTIL_FILE_LINE_SIZE + 1, line);
    VynWchar* pointer = text;
    status = VynWstringArrayObjectAdd(strings, -1, 1, &pointer);
    if (status != VYN_TK_NO_ERROR) break;
  }
  std::fclose(file);
  return status;
}
