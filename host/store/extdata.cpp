// External data: per model, named classes of named slots, each slot holding one typed
// value. Classes and slots are found by (model, class name, slot name), never by the
// address of the caller's record, since callers build fresh records on the stack.
//
// Statuses:
// - null arguments, a model the session does not know, an empty name or one longer than
//   31 characters, a key method other than 4098, an unknown slot type or a negative
//   stream size: -2;
// - a model whose external data was neither initialised (VynExtdataInit) nor loaded
//   with its drawing, or was closed (VynExtdataTerm): -1 for everything but
//   VynExtdataInit;
// - a class or slot that does not exist, or a slot that was created but never written
//   (for reading): -4;
// - registering a class that exists answers the existing class and -5: the application
//   registers only after listing the classes, so it meets -5 only when that listing
//   failed, and then goes on with the record filled; creating a slot that exists is -5
//   and leaves the slot record alone (the application fills it itself and writes).
//
// ExtdataSlot types: 1 an int, 2 a double, 3 a wide string, 4 a stream of size bytes. The size
// passed to a write counts only for streams; the int, double and wide string (up to its
// terminator) are taken whole. A read hands back a host copy of the stored bytes and
// their count as the size: 4 for an int, 8 for a double, the string's bytes with its
// terminator for a wide string, the stream's length for a stream.
//
// Saved lines, one per class and one per slot after its class, in creation order:
//   class <name>
//   slot <name> <type> <bytes as lowercase hex, "-" when there are none>
// A slot that was created but never written has type 0. Names are UTF-8, with space,
// control characters, '%' and DEL written as %XX, and an unpaired surrogate as %uXXXX.
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/store/extdata_store.h"
#include "host/util/host_testing.h"
#include "host/util/live_objects.h"
#include "host/store/models.h"
#include "host/util/utf16.h"
#include "platform/w32/codepage.h"

namespace yrlhost {
namespace {

std::map<VynMdl, ExtdataModel>& models() {
  static std::map<VynMdl, ExtdataModel> data;
  return data;
}

// The read copies not yet freed, for the reset.
std::set<void*>& read_copies() {
  static std::set<void*> copies;
  return copies;
}

bool model_known(VynMdl model) { return model && host_model_is(model); }

// ---- Lines ------------------------------------------------------------------------------

bool is_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

const char hex_digits[] = "0123456789abcdef";

void hex_append(std::string& out, unsigned value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += hex_digits[(value >> shift) & 0xF];
}

// The value of digits hex digits of text at at; false when they are not all hex.
bool hex_value(const std::string& text, std::size_t at, int digits, unsigned& value) {
  if (at + static_cast<std::size_t>(digits) > text.size()) return false;
  value = 0;
  for (int i = 0; i < digits; ++i) {
    char c = text[at + static_cast<std::size_t>(i)];
    const char* digit = c ? std::strchr(hex_digits, c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c) : nullptr;
    if (!digit) return false;
    value = value * 16 + static_cast<unsigned>(digit - hex_digits);
  }
  return true;
}

void name_escape_bytes(std::string& out, const std::string& utf8) {
  for (char c : utf8) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == '%' || byte == 0x7F) {
      out += '%';
      hex_append(out, byte, 2);
    } else {
      out += c;
    }
  }
}

std::string name_to_text(const std::u16string& name) {
  std::string out;
  std::size_t run = 0;  // start of the units not yet written
  auto flush = [&](std::size_t end) {
    if (end > run) name_escape_bytes(out, utf8_from_utf16(name.data() + run, end - run));
  };
  for (std::size_t i = 0; i < name.size(); ++i) {
    char16_t unit = name[i];
    if (!is_surrogate(unit)) continue;
    bool paired = unit < 0xDC00 && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF;
    if (paired) {
      ++i;
      continue;
    }
    flush(i);
    out += "%u";
    hex_append(out, unit, 4);
    run = i + 1;
  }
  flush(name.size());
  return out;
}

bool name_from_text(const std::string& text, std::u16string& name) {
  name.clear();
  std::string bytes;
  for (std::size_t i = 0; i < text.size();) {
    unsigned value = 0;
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'u') {
      if (!hex_value(text, i + 2, 4, value) || !is_surrogate(static_cast<char16_t>(value))) return false;
      if (!utf16_append(name, bytes)) return false;
      bytes.clear();
      name += static_cast<char16_t>(value);
      i += 6;
    } else if (text[i] == '%') {
      if (!hex_value(text, i + 1, 2, value)) return false;
      bytes += static_cast<char>(value);
      i += 3;
    } else {
      bytes += text[i++];
    }
  }
  if (!utf16_append(name, bytes)) return false;
  return !name.empty() && name.size() <= host_name_max && name.find(u'\0') == std::u16string::npos;
}

std::string bytes_to_hex(const std::vector<unsigned char>& bytes) {
  if (bytes.empty()) return "-";
  std::string out;
  for (unsigned char byte : bytes) hex_append(out, byte, 2);
  return out;
}

bool bytes_from_hex(const std::string& text, std::vector<unsigned char>& bytes) {
  bytes.clear();
  if (text == "-") return true;
  if (text.empty() || text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    if (!hex_value(text, i, 2, value)) return false;
    bytes.push_back(static_cast<unsigned char>(value));
  }
  return true;
}

// Whether bytes are a value of the slot type as a write stores it.
bool bytes_fit_type(int type, const std::vector<unsigned char>& bytes) {
  switch (type) {
    case extdata_unwritten: return bytes.empty();
    case extdata_int_slot: return bytes.size() == sizeof(int);
    case extdata_double_slot: return bytes.size() == sizeof(double);
    case extdata_wide_string_slot: {
      if (bytes.size() < sizeof(VynWchar) || bytes.size() % sizeof(VynWchar) != 0) return false;
      std::u16string text(bytes.size() / sizeof(VynWchar), u'\0');
      std::memcpy(text.data(), bytes.data(), bytes.size());
      return text.find(u'\0') == text.size() - 1;
    }
    case extdata_stream_slot: return true;
    default: return false;
  }
}

std::vector<std::string> split_words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (true) {
    std::size_t end = line.find(' ', start);
    words.push_back(line.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return words;
}

// Reads one line into data; the reason in why when it is malformed.
bool line_read(const std::string& line, ExtdataModel& data, std::string& why) {
  std::vector<std::string> words = split_words(line);
  std::u16string name;
  auto fail = [&why](const char* reason) {
    why = reason;
    return false;
  };
  if (words[0] == "class") {
    if (words.size() != 2) return fail("a class line is \"class <name>\"");
    if (!name_from_text(words[1], name)) return fail("bad class name");
    if (extdata_find_named(data.classes, name)) return fail("class given twice");
    data.classes.push_back(ExtdataClass{name, {}});
    return true;
  }
  if (words[0] == "slot") {
    if (words.size() != 4) return fail("a slot line is \"slot <name> <type> <hex>\"");
    if (data.classes.empty()) return fail("slot before any class");
    if (!name_from_text(words[1], name)) return fail("bad slot name");
    ExtdataClass& owner = data.classes.back();
    if (extdata_find_named(owner.slots, name)) return fail("slot given twice in its class");
    ExtdataSlot slot{name, -1, {}};
    if (words[2].size() == 1 && words[2][0] >= '0' && words[2][0] <= '4') slot.type = words[2][0] - '0';
    if (slot.type < 0) return fail("bad slot type");
    if (!bytes_from_hex(words[3], slot.bytes)) return fail("bad hex data");
    if (!bytes_fit_type(slot.type, slot.bytes)) return fail("data does not fit the slot type");
    owner.slots.push_back(std::move(slot));
    return true;
  }
  return fail("neither a class nor a slot line");
}

}  // namespace

// ---- For the models module --------------------------------------------------------------

std::vector<std::string> extdata_save_lines(VynMdl model) {
  std::vector<std::string> lines;
  auto found = models().find(model);
  if (found == models().end()) return lines;
  for (const ExtdataClass& each : found->second.classes) {
    lines.push_back("class " + name_to_text(each.name));
    for (const ExtdataSlot& slot : each.slots)
      lines.push_back("slot " + name_to_text(slot.name) + " " + std::to_string(slot.type) + " " +
                      bytes_to_hex(slot.bytes));
  }
  return lines;
}

// Loaded data counts as initialised when it holds a class, since the drawing was saved
// with its external data in use.
bool extdata_load_lines(VynMdl model, const std::vector<std::string>& lines, std::string& error) {
  if (!model) {
    error = "external data: no model";
    return false;
  }
  ExtdataModel data;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string why;
    if (!line_read(lines[i], data, why)) {
      error = "external data line " + std::to_string(i + 1) + ": " + why + ": " + lines[i];
      return false;
    }
  }
  data.initialised = !data.classes.empty();
  models()[model] = std::move(data);
  return true;
}

void extdata_model_erased(VynMdl model) { models().erase(model); }

// ---- For the host functions --------------------------------------------------------------

bool extdata_name_read(const VynWchar* name, std::u16string& out) {
  return wide_name_read(name, out) && !out.empty();
}

void extdata_name_fill(VynName target, const std::u16string& name) {
  std::memset(target, 0, sizeof(VynName));
  wide_name_write(name, target);
}

VynError extdata_init(VynMdl model) {
  if (!model_known(model)) return VYN_TK_BAD_INPUTS;
  models()[model].initialised = true;
  return VYN_TK_NO_ERROR;
}

VynError extdata_model_data(VynMdl model, ExtdataModel*& data) {
  if (!model_known(model)) return VYN_TK_BAD_INPUTS;
  auto found = models().find(model);
  if (found == models().end() || !found->second.initialised) return VYN_TK_GENERAL_ERROR;
  data = &found->second;
  return VYN_TK_NO_ERROR;
}

VynError extdata_class_find(const VynExtdataClass* record, ExtdataClass*& found) {
  std::u16string name;
  if (!record || !extdata_name_read(record->name, name)) return VYN_TK_BAD_INPUTS;
  ExtdataModel* data = nullptr;
  if (VynError status = extdata_model_data(record->model, data)) return status;
  found = extdata_find_named(data->classes, name);
  return found ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

VynError extdata_slot_find(const VynExtdataSlot* record, int key_by, ExtdataClass*& owner, ExtdataSlot*& found) {
  std::u16string name;
  if (!record || key_by != extdata_key_by_name || !extdata_name_read(record->slot_name, name))
    return VYN_TK_BAD_INPUTS;
  if (VynError status = extdata_class_find(record->p_class, owner)) return status;
  found = extdata_find_named(owner->slots, name);
  return found ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

void* extdata_read_copy(const std::vector<unsigned char>& bytes) {
  void* copy = std::malloc(bytes.empty() ? 1 : bytes.size());
  if (!copy) return nullptr;
  if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
  read_copies().insert(copy);
  live_object_add(LiveKind::extdata, copy);
  return copy;
}

bool extdata_read_copy_free(void* copy) {
  if (!copy || !live_object_remove(LiveKind::extdata, copy)) return false;
  read_copies().erase(copy);
  std::free(copy);
  return true;
}

void extdata_testing_reset() {
  for (void* copy : read_copies()) {
    live_object_remove(LiveKind::extdata, copy);
    std::free(copy);
  }
  read_copies().clear();
  models().clear();
}

}  // namespace yrlhost
