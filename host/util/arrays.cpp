// The host's arrays and strings, for the host's own modules and for the plug-in's calls
// (host/util/host_arrays.h; the VynArray and string functions, host/api/arrays_api.cpp,
// answer with them): one implementation for both.
//
// An array is one malloc'd block: a header of header_size bytes, then the elements. The
// handle is the address of element 0; header_size is a multiple of the malloc alignment,
// so element 0 is aligned for doubles and pointers. Every block, string and string array
// the host hands out is in a set here (for the reset) and in the live-object registry (so
// that a stale or foreign pointer is refused before it is read).
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/util/host_testing.h"
#include "host/util/live_objects.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

struct ArrayHeader {
  int count;         // elements in use
  int element_size;  // bytes per element
  int growth;        // elements added at a time when the array is full
  int capacity;      // elements the block holds
  std::uint64_t serial;  // the array's number, new for every array made (host_array_serial)
};

constexpr std::size_t header_size = 32;
static_assert(header_size >= sizeof(ArrayHeader) && header_size % alignof(std::max_align_t) == 0,
              "element 0 keeps the alignment of the block");

// Arrays larger than this many bytes are refused rather than attempted; it keeps every
// count and capacity, even of one-byte elements, within the header's ints.
constexpr std::size_t max_array_bytes = INT_MAX;

ArrayHeader* header_of(VynArray array) {
  return reinterpret_cast<ArrayHeader*>(static_cast<unsigned char*>(array) - header_size);
}

VynArray array_of(void* block) { return static_cast<unsigned char*>(block) + header_size; }

unsigned char* element(VynArray array, int index) {
  return static_cast<unsigned char*>(array) +
         static_cast<std::size_t>(index) * static_cast<std::size_t>(header_of(array)->element_size);
}

// What this module handed out and has not taken back, per kind, for the reset.
std::set<const void*>& owned(LiveKind kind) {
  static std::set<const void*> sets[live_kind_count];
  return sets[static_cast<int>(kind)];
}

// The counts of the string arrays handed out, by array.
std::map<char**, int>& string_array_counts() {
  static std::map<char**, int> counts;
  return counts;
}

void own(LiveKind kind, const void* object) {
  owned(kind).insert(object);
  live_object_add(kind, object);
}

void disown(LiveKind kind, const void* object) {
  owned(kind).erase(object);
  live_object_remove(kind, object);
}

bool array_live(VynArray array) { return array && live_object_is(LiveKind::array, array); }

std::uint64_t& arrays_made() {
  static std::uint64_t count = 0;
  return count;
}

VynArray array_new(int n_objs, int obj_size, int growth) {
  if (n_objs < 0 || obj_size < 1) return nullptr;
  std::size_t bytes = static_cast<std::size_t>(n_objs) * static_cast<std::size_t>(obj_size);
  if (bytes > max_array_bytes) return nullptr;
  void* block = std::calloc(1, header_size + bytes);
  if (!block) return nullptr;
  VynArray array = array_of(block);
  *header_of(array) = ArrayHeader{n_objs, obj_size, growth < 1 ? 1 : growth, n_objs, ++arrays_made()};
  own(LiveKind::array, array);
  return array;
}

void array_delete(VynArray array) {
  disown(LiveKind::array, array);
  std::free(header_of(array));
}

// Inserts n_objs elements copied from objects before index (-1: at the end); the array
// may move and *array follows it.
VynError array_insert(VynArray* array, int index, int n_objs, const void* objects) {
  if (!array || !array_live(*array) || n_objs < 0 || (n_objs > 0 && !objects))
    return VYN_TK_BAD_INPUTS;
  ArrayHeader* header = header_of(*array);
  if (index == -1) index = header->count;
  if (index < 0 || index > header->count) return VYN_TK_BAD_INPUTS;
  if (n_objs == 0) return VYN_TK_NO_ERROR;
  std::size_t size = static_cast<std::size_t>(header->element_size);
  std::size_t needed = static_cast<std::size_t>(header->count) + static_cast<std::size_t>(n_objs);
  if (needed * size > max_array_bytes) return VYN_TK_BAD_INPUTS;
  // The source may lie inside the array itself, which may move below.
  std::vector<unsigned char> source(static_cast<const unsigned char*>(objects),
                                    static_cast<const unsigned char*>(objects) + n_objs * size);
  if (needed > static_cast<std::size_t>(header->capacity)) {
    std::size_t growth = static_cast<std::size_t>(header->growth);
    std::size_t capacity = static_cast<std::size_t>(header->capacity);
    capacity += (needed - capacity + growth - 1) / growth * growth;
    if (capacity * size > max_array_bytes) capacity = needed;
    void* block = std::realloc(header, header_size + capacity * size);
    if (!block) return VYN_TK_GENERAL_ERROR;
    VynArray moved = array_of(block);
    if (moved != *array) {
      disown(LiveKind::array, *array);
      own(LiveKind::array, moved);
      *array = moved;
    }
    header = header_of(*array);
    header->capacity = static_cast<int>(capacity);
  }
  unsigned char* at = element(*array, index);
  std::memmove(at + n_objs * size, at, static_cast<std::size_t>(header->count - index) * size);
  std::memcpy(at, source.data(), source.size());
  header->count += n_objs;
  return VYN_TK_NO_ERROR;
}

VynError array_remove(VynArray* array, int index, int n_objs) {
  if (!array || !array_live(*array) || n_objs < 0) return VYN_TK_BAD_INPUTS;
  ArrayHeader* header = header_of(*array);
  if (index < 0 || index > header->count || n_objs > header->count - index) return VYN_TK_BAD_INPUTS;
  std::size_t size = static_cast<std::size_t>(header->element_size);
  unsigned char* at = element(*array, index);
  std::memmove(at, at + n_objs * size,
               static_cast<std::size_t>(header->count - index - n_objs) * size);
  header->count -= n_objs;
  return VYN_TK_NO_ERROR;
}

// The pointer elements of a live array of pointers; false for anything else.
bool pointer_elements(VynArray array, std::vector<void*>& pointers) {
  if (!array_live(array) || header_of(array)->element_size != static_cast<int>(sizeof(void*)))
    return false;
  pointers.resize(static_cast<std::size_t>(header_of(array)->count));
  if (!pointers.empty()) std::memcpy(pointers.data(), array, pointers.size() * sizeof(void*));
  return true;
}

// Whether every non-null pointer is a distinct live object of kind, so that freeing
// them all frees nothing foreign and nothing twice.
bool all_live_once(const std::vector<void*>& pointers, LiveKind kind) {
  std::set<void*> seen;
  for (void* p : pointers) {
    if (!p) continue;
    if (!live_object_is(kind, p) || !seen.insert(p).second) return false;
  }
  return true;
}

void free_all(const std::vector<void*>& pointers, LiveKind kind) {
  for (void* p : pointers) {
    if (!p) continue;
    disown(kind, p);
    std::free(p);
  }
}

VynWchar* wide_copy(const VynWchar* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  auto* copy = static_cast<VynWchar*>(std::malloc((length + 1) * sizeof(VynWchar)));
  if (!copy) return nullptr;
  std::memcpy(copy, text, (length + 1) * sizeof(VynWchar));
  own(LiveKind::wide_string, copy);
  return copy;
}

}  // namespace

// ---- For the host's modules -----------------------------------------------------------

VynArray host_array_make(int n_objs, int obj_size, int reallocation_size) {
  return array_new(n_objs, obj_size, reallocation_size);
}

VynError host_array_append(VynArray* array, const void* objects, int n_objs) {
  return array_insert(array, -1, n_objs, objects);
}

VynError host_array_hand_out(const void* elements, std::size_t count, int element_size,
                             VynArray* array) {
  if (!array || count > static_cast<std::size_t>(INT_MAX)) return VYN_TK_BAD_INPUTS;
  VynArray made = array_new(static_cast<int>(count), element_size, 1);
  if (!made) return VYN_TK_GENERAL_ERROR;
  if (count > 0) std::memcpy(element(made, 0), elements, count * static_cast<std::size_t>(element_size));
  *array = made;
  return VYN_TK_NO_ERROR;
}

bool host_array_is(VynArray array) { return array_live(array); }

int host_array_size(VynArray array) { return array_live(array) ? header_of(array)->count : -1; }

int host_array_element_size(VynArray array) {
  return array_live(array) ? header_of(array)->element_size : -1;
}

std::uint64_t host_array_serial(VynArray array) {
  return array_live(array) ? header_of(array)->serial : 0;
}

bool host_array_release(VynArray* array) {
  if (!array || !array_live(*array)) return false;
  array_delete(*array);
  *array = nullptr;
  return true;
}

char* host_string_make(const std::string& text) {
  auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, text.c_str(), text.size() + 1);
  own(LiveKind::string, copy);
  return copy;
}

char** host_string_array_make(const std::vector<std::string>& texts) {
  if (texts.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
  // Never a zero-byte request, so that an empty array is a pointer of its own too.
  auto* strings = static_cast<char**>(std::calloc(texts.size() + 1, sizeof(char*)));
  if (!strings) return nullptr;
  for (std::size_t i = 0; i < texts.size(); ++i) strings[i] = host_string_make(texts[i]);
  own(LiveKind::string_array, strings);
  string_array_counts()[strings] = static_cast<int>(texts.size());
  return strings;
}

VynArray host_string_vynarray_make(const std::vector<std::string>& texts) {
  if (texts.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
  VynArray array = array_new(static_cast<int>(texts.size()), sizeof(char*), 1);
  if (!array) return nullptr;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    char* text = host_string_make(texts[i]);
    std::memcpy(element(array, static_cast<int>(i)), &text, sizeof text);
  }
  return array;
}

VynArray host_wstring_vynarray_make(const std::vector<std::u16string>& texts) {
  if (texts.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
  VynArray array = array_new(static_cast<int>(texts.size()), sizeof(VynWchar*), 1);
  if (!array) return nullptr;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    VynWchar* text = wide_copy(texts[i].c_str());
    std::memcpy(element(array, static_cast<int>(i)), &text, sizeof text);
  }
  return array;
}

std::vector<std::string> host_string_vynarray_read(VynArray array) {
  std::vector<void*> pointers;
  std::vector<std::string> texts;
  if (!pointer_elements(array, pointers)) return texts;
  for (void* p : pointers) texts.emplace_back(p ? static_cast<const char*>(p) : "");
  return texts;
}

std::vector<std::string> host_wstring_vynarray_read(VynArray array) {
  std::vector<void*> pointers;
  std::vector<std::string> texts;
  if (!pointer_elements(array, pointers)) return texts;
  for (void* p : pointers)
    texts.push_back(utf8_from_utf16(static_cast<const VynWchar*>(p), std::numeric_limits<std::size_t>::max()));
  return texts;
}

// ---- The plug-in's operations -------------------------------------------------------------

VynError host_array_insert(VynArray* array, int index, int n_objs, const void* objects) {
  return array_insert(array, index, n_objs, objects);
}

VynError host_array_remove(VynArray* array, int index, int n_objs) {
  return array_remove(array, index, n_objs);
}

bool host_string_release(char* string) {
  if (!string || !live_object_is(LiveKind::string, string)) return false;
  disown(LiveKind::string, string);
  std::free(string);
  return true;
}

// count must be the number of strings handed out with the array: a different count is a
// caller's fault, refused before anything is freed.
bool host_string_array_release(char** strings, int count) {
  if (!strings || !live_object_is(LiveKind::string_array, strings)) return false;
  if (string_array_counts()[strings] != count) return false;
  std::vector<void*> pointers(strings, strings + count);
  if (!all_live_once(pointers, LiveKind::string)) return false;
  free_all(pointers, LiveKind::string);
  string_array_counts().erase(strings);
  disown(LiveKind::string_array, strings);
  std::free(strings);
  return true;
}

// The elements must be strings the host made (or null); anything else is refused whole.
bool host_string_vynarray_release(VynArray strings) {
  std::vector<void*> pointers;
  if (!pointer_elements(strings, pointers) || !all_live_once(pointers, LiveKind::string)) return false;
  free_all(pointers, LiveKind::string);
  array_delete(strings);
  return true;
}

// The host keeps copies of the strings; a null string, or an array whose elements are not
// pointers, is refused and nothing is added.
VynError host_wstring_array_insert(VynArray* array, int index, int n_objs, VynWchar** strings) {
  std::vector<void*> current;
  if (!array || !pointer_elements(*array, current) || n_objs < 0 || (n_objs > 0 && !strings))
    return VYN_TK_BAD_INPUTS;
  for (int i = 0; i < n_objs; ++i)
    if (!strings[i]) return VYN_TK_BAD_INPUTS;
  std::vector<void*> copies;
  for (int i = 0; i < n_objs; ++i) copies.push_back(wide_copy(strings[i]));
  VynError status = array_insert(array, index, n_objs, copies.data());
  if (status != VYN_TK_NO_ERROR) free_all(copies, LiveKind::wide_string);
  return status;
}

bool host_wstring_vynarray_release(VynArray* array) {
  std::vector<void*> pointers;
  if (!array || !pointer_elements(*array, pointers) || !all_live_once(pointers, LiveKind::wide_string))
    return false;
  free_all(pointers, LiveKind::wide_string);
  array_delete(*array);
  *array = nullptr;
  return true;
}

void arrays_testing_reset() {
  for (const void* array : std::set<const void*>(owned(LiveKind::array)))
    array_delete(const_cast<void*>(array));
  for (LiveKind kind : {LiveKind::string, LiveKind::string_array, LiveKind::wide_string}) {
    for (const void* object : std::set<const void*>(owned(kind))) {
      disown(kind, object);
      std::free(const_cast<void*>(object));
    }
  }
  string_array_counts().clear();
  arrays_made() = 0;
}

}  // namespace yrlhost
