#include "fileaccess/names/pfascan.h"

#include <algorithm>
#include <cstdlib>
#include <strings.h>

#include <cstring>

#include "fileaccess/core/objtype.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/ntver.h"
#include "fileaccess/names/pfascan_testing.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/clump.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/algo/sort.h"
#include "runtime/system/appinfo.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/glob.h"
#include "runtime/text/strmake.h"
#include "runtime/text/strutil.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

constexpr int kPatternSize = 32;
constexpr int kFilterTextSize = 1024;

// The previous scan's records and the pool they come from.
VynFile** dir_contents;
int total;
int scan_pool = -1;

// What the directory reading hands the filter, and whether the entry it last offered is
// a directory.
struct ScanData {
  Pfa_Scan_Filter* filter;
  int flags;
  int is_directory;
};

// The base name and version of an entry's name: a trailing ".N" with N a version.
int split_version(const char* name, char* base) {
  std::strcpy(base, name);
  char* dot = std::strrchr(base, '.');
  if (!dot || !is_vers_string(dot + 1)) return 0;
  int version = std::atoi(dot + 1);
  *dot = '\0';
  return version;
}

// Whether typed patterns may match base: its last extension names an object type that
// takes such a name.
bool typed_may_match(const char* base, int whole_length, int flags) {
  const char* dot = std::strrchr(base, '.');
  if (!dot) return false;
  int type = extension_to_type(dot + 1);
  if (type == -2) return false;
  if (std::strchr(base, '.') != dot && !type_to_weird_chars_OK(type)) return false;
  if (whole_length >= 40 && whole_length >= type_to_name_length(type) &&
      !((flags & PFA_SCAN_INSTANCES) && (type == 1 || type == 2)))
    return false;
  return true;
}

}  // namespace

int pfautl_check_file(const char* name, int is_directory, Pfa_Scan_Filter* filter, int flags) {
  if (is_directory) return (flags & PFA_SCAN_DIRS) != 0 ? 1 : 0;
  if (!(flags & PFA_SCAN_FILES)) return 0;
  if (!filter) return 1;
  if (!name || std::strlen(name) >= 260) return 0;
  char base[260];
  int version = split_version(name, base);
  if (filter->count < 0) return 0;  // a refused filter text matches nothing
  if (filter->count > 0) {
    bool typed_ok = typed_may_match(base, static_cast<int>(std::strlen(name)), flags);
    char upper[260];
    vyn_cnvrt_to_upper(base, upper);
    bool matched = false;
    for (int i = 0; i < filter->count && !matched; ++i) {
      if (filter->typed[i] && !typed_ok) continue;
      matched = vyn_glob_match_ascii(filter->patterns[i], base, 0) ||
                vyn_glob_match_ascii(filter->patterns[i], upper, 0);
    }
    if (!matched) return 0;
  }
  return filter->any_version || version == filter->version ? 1 : 0;
}

namespace {

// The hook of the directory reading: 0 takes the entry.
int scandir_file_filter(const char* name, void* data, int is_directory) {
  auto* scan = static_cast<ScanData*>(data);
  scan->is_directory = is_directory;
  return pfautl_check_file(name, is_directory, scan->filter, scan->flags) ? 0 : 1;
}

VynFile* new_record() {
  const ClumpEntry* pool = clump_entry(scan_pool);
  if (!pool || pool->size != sizeof(VynFile) || std::strcmp(pool->name, "pfa_scandir") != 0)
    scan_pool = create_mem_pool("pfa_scandir", sizeof(VynFile));
  auto* file = static_cast<VynFile*>(scan_pool >= 0 ? getmem_pool(scan_pool) : nullptr);
  if (!file) return nullptr;
  std::memset(file, 0, sizeof *file);
  file->magic = VYN_FILE_MAGIC;
  file->object_type = PFA_TYPE_NONE;
  file->location_type = PFA_LOC_STD_FILESYSTEM;
  return file;
}

void free_record(VynFile* file) {
  if (is_run_mode(9998)) {
    dbg_print_info("pfa_scandir", "Freeing pfa at: %lx\n",
                   static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(file)));
    pfa_mem_debug(file, 0);
  }
  pfa_cleanup(file);
  rlsmem(file);
}

void free_previous_scan() {
  for (int i = 0; i < total; ++i) free_record(dir_contents[i]);
  total = 0;
  if (dir_contents) xar_resize(&dir_contents, 0);
}

// A valid name part: converted to wide text and free of characters names may not hold.
bool valid_part(const char* begin, const char* end) {
  char part[64];
  VynWchar wide[64];
  std::size_t n = static_cast<std::size_t>(end - begin);
  if (n == 0 || n >= sizeof part) return false;
  std::memcpy(part, begin, n);
  part[n] = '\0';
  return strtows_bounded(wide, 64, part) == 0 && !invalid_string(wide);
}

// A family instance "generic<instance>.prt": '<' before position 32, '>' last, less than
// 34 apart, both parts valid names, the extension PRT or ASM.
bool is_instance_name(const VynFile* entry) {
  char name[260], extension[8];
  if (pfa_get_file_name(entry, 8, name) != PFA_E_NO_ERROR) return false;
  const char* open = std::strchr(name, '<');
  std::size_t n = std::strlen(name);
  if (!open || n == 0 || name[n - 1] != '>') return false;
  const char* close = name + n - 1;
  if (open - name >= 32 || close - open >= 34) return false;
  if (!valid_part(name, open) || !valid_part(open + 1, close)) return false;
  if (pfa_component_length(entry, 4) != 3 || pfa_get_extension(entry, extension) != PFA_E_NO_ERROR)
    return false;
  return strcasecmp(extension, "PRT") == 0 || strcasecmp(extension, "ASM") == 0;
}

}  // namespace

// An entry as read: an instance name is marked generic and typed from its extension; a
// directory's name becomes its last path element, a file takes its type from its
// extension; full names keep the case read.
void pfautl_update_entry(VynFile* entry, const VynFile* dir, int is_directory, int instances) {
  if (instances && !is_directory && is_instance_name(entry)) {
    pfa_set_generic_in_name(entry, 1);
    char name[260];
    pfa_get_file_name(entry, 8, name);
    pfa_put_extension_to_type(entry, static_cast<int>(std::strlen(name)), 1);
  }
  if (!pfa_path_is_absolute(entry)) pfa_copy_location(dir, entry);
  if (!pfa_is_generic_in_name(entry) || is_directory) {
    entry->object_type = PFA_TYPE_NONE;
    pfa_to_standard_form_private(entry, is_directory ? 1 : 0);
  }
  entry->flags |= PFA_FLAG_EXACT_CASE;
}

namespace {

// The name text compared: name, '.' and extension, lower-cased unless the type keeps
// mixed case.
void compare_text(const VynFile* file, char* out) {
  int n = 0;
  out[0] = '\0';
  pfa_append_component(file, 3, out, &n, 260);
  if (pfa_component_length(file, 4) > 0) {
    pfa_strcat(".", out, &n);
    pfa_append_component(file, 4, out, &n, 260);
  }
  if (pfa_no_mixed_case(file)) {
    for (char* p = out; *p; ++p) {
      if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
    }
  }
}

int compare_pointers(const void* a, const void* b) {
  return pfautl_comp_all_versions(static_cast<const VynFile*>(a), static_cast<const VynFile*>(b));
}

struct VersionSearch {
  int length;
  const char* name;
  PfaVersionCallback callback;
  void* data;
};

// What an entry is to the name: -1 not it, 0 the name alone, N the name's version N.
int version_after(const char* rest) {
  if (!*rest) return 0;
  if (*rest != '.' || !is_vers_string(rest + 1)) return -1;
  return std::atoi(rest + 1);
}

int vers_filter(const char* entry, void* data, int is_directory) {
  auto* search = static_cast<VersionSearch*>(data);
  // A directory is never a version of a file, whatever its name.
  if (is_directory) return 1;
  int exact = -1, other = -1;
  if (std::strncmp(entry, search->name, static_cast<std::size_t>(search->length)) == 0)
    exact = version_after(entry + search->length);
  else if (strncasecmp(entry, search->name, static_cast<std::size_t>(search->length)) == 0)
    other = version_after(entry + search->length);
  search->callback(exact, other, search->data);
  return 1;
}

}  // namespace

int string_to_Pfa_Scan_Filter(const char* text, int any_version, int version,
                              Pfa_Scan_Filter* filter) {
  if (!filter) return PFA_E_INVALID_INPUT;
  filter->patterns = nullptr;
  filter->typed = nullptr;
  filter->count = 0;
  filter->any_version = any_version;
  filter->version = version;
  if (!text || !text[0] || std::strcmp(text, "*") == 0 || std::strcmp(text, "Select Dir") == 0)
    return PFA_E_NO_ERROR;
  if (std::strlen(text) >= kFilterTextSize) {
    filter->count = -1;
    return PFA_E_INVALID_INPUT;
  }
  char copy[kFilterTextSize + 1];
  std::strcpy(copy, text);
  for (char* piece = copy; *piece;) {
    char* comma = std::strchr(piece, ',');
    if (comma) *comma = '\0';
    if (*piece) {
      if (std::strlen(piece) >= kPatternSize) {
        pfa_clean_scan_filter(filter);
        filter->count = -1;
        return PFA_E_INVALID_INPUT;
      }
      char pattern[kPatternSize] = {};
      std::strcpy(pattern, piece);
      int typed = 0;
      if (const char* dot = std::strchr(pattern, '.')) {
        char extension[kPatternSize];
        std::strcpy(extension, dot + 1);
        std::size_t n = std::strlen(extension);
        if (n && extension[n - 1] == '*') extension[n - 1] = '\0';
        int type = extension_to_type(extension);
        typed = type != -1 && type != -2;
      }
      if (!filter->patterns) {
        filter->patterns = static_cast<char(*)[kPatternSize]>(xar_alloc(0, kPatternSize, 4));
        filter->typed = static_cast<int*>(xar_alloc(0, sizeof(int), 4));
      }
      xar_append(&filter->patterns, 1, pattern);
      xar_append(&filter->typed, 1, &typed);
      ++filter->count;
    }
    if (!comma) break;
    piece = comma + 1;
  }
  return PFA_E_NO_ERROR;
}

int wstring_to_Pfa_Scan_FIlter(const VynWchar* text, int any_version, int version,
                               Pfa_Scan_Filter* filter) {
  char narrow[kFilterTextSize];
  if (text && wstostr_bounded(narrow, sizeof narrow, text)) {
    string_to_Pfa_Scan_Filter(nullptr, any_version, version, filter);
    if (filter) filter->count = -1;
    return PFA_E_INVALID_INPUT;
  }
  return string_to_Pfa_Scan_Filter(text ? narrow : nullptr, any_version, version, filter);
}

void pfa_clean_scan_filter(Pfa_Scan_Filter* filter) {
  if (!filter) return;
  xar_free(&filter->patterns);
  xar_free(&filter->typed);
  filter->count = 0;
}

int pfautl_comp_name(const VynFile* a, const VynFile* b) {
  bool a_dir = a->object_type == PFA_TYPE_DIRECTORY, b_dir = b->object_type == PFA_TYPE_DIRECTORY;
  if (a_dir != b_dir) return a_dir ? 1 : -1;
  char x[300], y[300];
  compare_text(a, x);
  compare_text(b, y);
  const auto* p = reinterpret_cast<const unsigned char*>(x);
  const auto* q = reinterpret_cast<const unsigned char*>(y);
  while (*p && *p == *q) ++p, ++q;
  return *p - *q;
}

int pfautl_comp_all_versions(const VynFile* a, const VynFile* b) {
  int c = pfautl_comp_name(a, b);
  if (c) return c;
  if (a->version != b->version) return a->version < b->version ? -1 : 1;
  dbg_print_info("pfautl_comp_all_versions", "duplicates in file list!");
  return 0;
}

int pfautl_comp_highest_vers(VynFile* kept, VynFile* offered) {
  int c = pfautl_comp_name(kept, offered);
  if (c) return c;
  if (offered->object_type == PFA_TYPE_DIRECTORY) return -1;
  if (offered->version > kept->version) kept->version = offered->version;
  return 0;
}

void sort_pfa_ptrs(VynFile** list, int count) {
  if (list && count > 1) sort_pointers(count, compare_pointers, reinterpret_cast<void**>(list));
}

int pfa_scandir_low(VynFile* dir, int flags, Pfa_Scan_Filter* filter, void* subset, int* count,
                    VynFile*** list) {
  if (!count || !list) return PFA_E_INVALID_INPUT;
  *count = 0;
  *list = nullptr;
  if (pfa_open_dir_subset(dir, nullptr, subset, (flags & PFA_SCAN_INSTANCES) ? 1 : 0) !=
      PFA_E_NO_ERROR)
    return PFA_E_CANT_OPEN;
  // A location that indexes its instances names them itself.
  bool instances = (flags & PFA_SCAN_INSTANCES) != 0 && pfaloc_uses_instance_index(dir) != 1;
  if (!instances) flags &= ~PFA_SCAN_INSTANCES;
  free_previous_scan();
  if (!dir_contents) dir_contents = static_cast<VynFile**>(xar_alloc(0, sizeof(VynFile*), 16));
  ScanData data{filter, flags, 0};
  bool merge = filter && filter->any_version == 1;
  int read = PFA_E_NO_ERROR;
  for (;;) {
    VynFile* entry = new_record();
    if (!entry) {
      read = PFA_E_OUT_OF_MEMORY;
      break;
    }
    read = pfaloc_call_FLPPPI(dir, PfaDirReadNext, entry,
                              reinterpret_cast<void*>(&scandir_file_filter), &data, 1);
    if (read != PFA_E_NO_ERROR) {
      pfa_cleanup(entry);
      rlsmem(entry);
      break;
    }
    pfautl_update_entry(entry, dir, data.is_directory, instances ? 1 : 0);
    xar_append(&dir_contents, 1, &entry);
    ++total;
    if (is_run_mode(9998))
      dbg_print_info("pfa_scandir", "Created new pfa at: %lx\n",
                     static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(entry)));
  }
  if (!(flags & PFA_SCAN_KEEP_OPEN)) pfa_close(dir);
  // A listing that broke off (an entry that does not parse, no memory) is no listing:
  // its caller would take the entries it misses for files that do not exist.
  if (read != PFA_E_QUIT) {
    free_previous_scan();
    return read > 0 ? read : PFA_E_ERROR;
  }

  if ((flags & PFA_SCAN_SORTED) || merge) {
    // Equal entries are merged (the first read keeps the highest version) or, listed
    // twice, kept once; the order is the comparison's when asked, else the reading's.
    int* order = static_cast<int*>(getmem(sizeof(int) * static_cast<std::size_t>(total + 1)));
    for (int i = 0; i < total; ++i) order[i] = i;
    std::stable_sort(order, order + total, [&](int a, int b) {
      int c = pfautl_comp_name(dir_contents[a], dir_contents[b]);
      if (c == 0 && !merge) c = dir_contents[a]->version - dir_contents[b]->version;
      return c < 0;
    });
    auto* keep = static_cast<char*>(getmem(static_cast<std::size_t>(total + 1)));
    for (int i = 0; i < total; ++i) {
      int first = order[i];
      keep[first] = 1;
      int j = i + 1;
      while (j < total) {
        VynFile* a = dir_contents[first];
        VynFile* b = dir_contents[order[j]];
        bool same = merge ? pfautl_comp_highest_vers(a, b) == 0
                          : pfautl_comp_name(a, b) == 0 && a->version == b->version;
        if (!same) break;
        if (!merge) dbg_print_info("pfautl_comp_all_versions", "duplicates in file list!");
        keep[order[j]] = 0;
        ++j;
      }
      i = j - 1;
    }
    VynFile** kept = nullptr;
    int kept_count = 0;
    kept = static_cast<VynFile**>(getmem(sizeof(VynFile*) * static_cast<std::size_t>(total + 1)));
    for (int i = 0; i < total; ++i) {
      int at = (flags & PFA_SCAN_SORTED) ? order[i] : i;
      if (keep[at])
        kept[kept_count++] = dir_contents[at];
      else
        free_record(dir_contents[at]);
    }
    xar_resize(&dir_contents, kept_count);
    for (int i = 0; i < kept_count; ++i) dir_contents[i] = kept[i];
    total = kept_count;
    rlsmem(kept);
    rlsmem(keep);
    rlsmem(order);
  }
  if (flags & PFA_SCAN_PRINT) {
    ivek_printf("\nA list of %d entries from pfa_scandir():\n", total);
    ivek_printf("----------------------------------------\n");
    for (int i = 0; i < total; ++i) dump_vyn_file(dir_contents[i], get_Cur_Dir());
  }
  *count = total;
  *list = dir_contents;
  return PFA_E_NO_ERROR;
}

int pfa_scandir(VynFile* dir, int flags, Pfa_Scan_Filter* filter, int* count, VynFile*** list) {
  return pfa_scandir_low(dir, flags, filter, nullptr, count, list);
}

int pfa_scandir_simple(VynFile* dir, int flags, const VynWchar* filter_text, int* count,
                       VynFile*** list, int any_version) {
  Pfa_Scan_Filter filter;
  wstring_to_Pfa_Scan_FIlter(filter_text, any_version, 0, &filter);
  int result = pfa_scandir(dir, flags, &filter, count, list);
  pfa_clean_scan_filter(&filter);
  return result;
}

int pfa_scandir_to_array(const VynWchar* dir_name, const VynWchar* pattern, int mask, void* names) {
  if (!dir_name || !names) return 0;
  VynFile* dir = pfa_alloc_wdir(dir_name);
  if (!dir) return 0;
  int count = 0;
  VynFile** list = nullptr;
  int result = pfa_scandir_simple(dir, PFA_SCAN_FILES, pattern, &count, &list, 2);
  pfa_free_vyn_file(&dir);
  if (result != PFA_E_NO_ERROR) return 0;
  for (int i = 0; i < count; ++i) {
    char name[260];
    VynWchar wide[260];
    if (pfa_get_file_name(list[i], mask, name) != PFA_E_NO_ERROR ||
        strtows_bounded(wide, 260, name))
      return 0;
    VynWchar* copy = make_wscopy(wide);
    xar_alloc_or_append(names, 1, sizeof copy, 8, &copy);
  }
  return count;
}

int pfa_search_file_versions(VynFile* dir, const char* name, PfaVersionCallback callback,
                             void* data) {
  if (!pfa_is_valid(dir) || !name || !callback) return PFA_E_INVALID_INPUT;
  VersionSearch search{static_cast<int>(std::strlen(name)), name, callback, data};
  return pfaloc_call_FLPPPI(dir, PfaDirReadNext, nullptr, reinterpret_cast<void*>(&vers_filter),
                            &search, 1);
}

void take_max_vers(int exact, int other_case, void* data) {
  int* max = static_cast<int*>(data);
  if (exact > max[0]) max[0] = exact;
  if (other_case > max[1]) max[1] = other_case;
}

void collect_revs(int exact, int other_case, void* data) {
  void** arrays = static_cast<void**>(data);
  if (exact != -1) xar_append(&arrays[0], 1, &exact);
  if (other_case != -1) xar_append(&arrays[1], 1, &other_case);
}

int pfa_get_file_vers_low(VynFile* dir, const char* name, int rule, int* version, int object_type,
                          int ask_location) {
  if (!pfa_is_valid(dir)) return PFA_E_NO_ACCESS;
  if (!version || !name) return PFA_E_INVALID_INPUT;
  if (ask_location) {
    VynFile* file = pfa_alloc_file_in_dir(dir, name);
    int found = 0;
    int answer = file ? pfaloc_call_FIP(file, PfaGetFileVersion, rule, &found) : -1;
    pfa_free_vyn_file(&file);
    if (answer == PFA_E_NO_ERROR) {
      *version = found;
      return PFA_E_NO_ERROR;
    }
  }
  if (pfa_open_dir_subset(dir, name, nullptr, 0) != PFA_E_NO_ERROR) return PFA_E_NO_ACCESS;
  int max[2] = {-1, -1};
  pfa_search_file_versions(dir, name, take_max_vers, max);
  int v = max[0];
  if (max[1] > v &&
      (object_type == PFA_TYPE_UNKNOWN || (object_type >= 134 && object_type <= 137) ||
       pfaloc_call_F(dir, PfaCaseSensitiveLoc) == 0))
    v = max[1];
  pfa_close(dir);
  if (v == -1) {
    if (rule == PFA_RULE_HIGHEST) return PFA_E_NOT_FOUND;
    *version = 1;
  } else if (v == 0) {
    *version = rule == PFA_RULE_HIGHEST ? 0 : 2;
  } else if (rule == PFA_RULE_NEXT) {
    // The next version must still be a version.
    if (v >= PFA_VERSION_MAX) return PFA_E_INVALID_NAME;
    *version = v + 1;
  } else {
    *version = v;
  }
  // The shell opens versioned files with the host once their extension is registered.
  if (!vyn_is_win95_running()) ntver_insure_version_registered(*version);
  return PFA_E_NO_ERROR;
}

int pfa_get_versions(VynFile* file, int** versions) {
  if (is_run_mode(9998)) dbg_print_info("pfa_get_versions", "Find all versions of this file.");
  if (!pfa_is_valid(file) || !versions) return -1;
  VynFile* dir = extract_pfa_dir(file);
  if (!dir) return -1;
  char name[260];
  if (pfa_get_file_name(file, 24, name) != PFA_E_NO_ERROR ||
      pfa_open_dir_subset(dir, name, nullptr, 0) != PFA_E_NO_ERROR) {
    pfa_free_vyn_file(&dir);
    return -1;
  }
  void* arrays[2] = {xar_alloc(0, sizeof(int), 5), xar_alloc(0, sizeof(int), 5)};
  pfa_search_file_versions(dir, name, collect_revs, arrays);
  if (file->object_type == PFA_TYPE_UNKNOWN || pfaloc_call_F(dir, PfaCaseSensitiveLoc) == 0) {
    for (int i = 0, n = xar_count(&arrays[1]); i < n; ++i)
      xar_append(&arrays[0], 1, &static_cast<int*>(arrays[1])[i]);
  }
  pfa_close(dir);
  pfa_free_vyn_file(&dir);
  xar_free(&arrays[1]);
  *versions = static_cast<int*>(arrays[0]);
  return xar_count(&arrays[0]);
}

void pfascan_testing_reset() {
  // The records and the array belong to the pools and the memory chain, which the
  // memory reset releases.
  dir_contents = nullptr;
  total = 0;
  scan_pool = -1;
}

}  // namespace vek
