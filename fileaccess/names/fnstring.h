// The file-name string layer: operations on name texts that need no file handle.
//
// Narrow names are in the session language's encoding; wide names are UTF-16.
#pragma once

#include <cstdint>

#include "runtime/text/lang.h"
#include "runtime/text/wide.h"
#include "runtime/vekbase.h"

namespace vek {

// Built names stay below this many characters; a name of this length or more is refused.
constexpr int VYN_NAME_MAX = 260;

// Calls visit(start, length) for every whole character of the narrow text (char or
// const char), in order, in the encoding of the session language (read once, at the
// start of the walk). The trail byte of a double-byte character may equal '\\', '/' or
// '|'; every search of a name for delimiters walks through here, so that it sees whole
// characters only.
template <typename Char, typename Visit>
void walk_name_chars(Char* text, Visit visit) {
  int language = get_language();
  for (Char* p = text; *p;) {
    int n = mb_char_len(p, language);
    visit(p, n);
    p += n;
  }
}

// The first '/', '\\', '.' or ']' of text (a whole single-byte character), or its
// terminator when it has none. Null for a null text.
const char* find_path_separator(const char* text);

// Appends delimiter to path and returns 1. Returns 0 and leaves path as it was when it
// is null, empty (unless allow_empty), already ends with '\\' or '/', or its length
// has reached maximum - 1 (reported through dbg_print_info; -1: no limit). In a
// multibyte session the last byte of a double-byte character is never taken for a
// delimiter.
int add_dir_delim(char* path, int maximum, char delimiter, int allow_empty);
// The same on wide text.
int add_dir_w_delim(VynWchar* path, int maximum, VynWchar delimiter, int allow_empty);

// Removes one trailing '\\' or '/' from path, in place, and returns 1. Returns 0 and
// leaves path as it was when it is null or empty or does not end with a delimiter, and,
// with keep_root, when the delimiter is the whole path or follows '\\', '/' or ':', so
// that "\\", "C:\\" and a leading "\\\\" stay whole. In a multibyte session the last
// byte of a double-byte character is never taken for a delimiter.
int remove_dir_delim(char* path, int keep_root);
// The same on wide text.
int remove_dir_w_delim(VynWchar* path, int keep_root);

// The split of a file part (the text after the last delimiter) of n units by the
// file-name grammar: the base ends at the first '.', or the second when the part begins
// with '.'; the extension runs from there to the next '.', or, without one, to the next
// ';'; the version follows that separator. single(i) tells whether unit i begins a
// single-unit character (a multibyte character is never a separator).
struct FilePartSplit {
  std::size_t base_end;
  std::size_t extension_begin;
  std::size_t extension_end;
  std::size_t version_begin;
  bool has_extension;
  bool has_version;
};
template <typename C, typename Single>
FilePartSplit split_file_part(const C* part, std::size_t n, Single single) {
  FilePartSplit r{n, n, n, n, false, false};
  auto find = [&](std::size_t from, C c) {
    for (std::size_t i = from; i < n; ++i)
      if (part[i] == c && single(i)) return i;
    return n;
  };
  std::size_t dot = find(n > 0 && part[0] == '.' ? 1 : 0, '.');
  if (dot == n) return r;
  r.base_end = dot;
  r.has_extension = true;
  r.extension_begin = dot + 1;
  std::size_t next = find(dot + 1, '.');
  if (next == n) next = find(dot + 1, ';');
  if (next < n) {
    r.extension_end = next;
    r.has_version = true;
    r.version_begin = next + 1;
  }
  return r;
}
// 1 when the n units are empty or digits with an optional leading '+' or '-'.
template <typename C>
int is_version_text(const C* text, std::size_t n) {
  std::size_t i = n > 0 && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  for (; i < n; ++i)
    if (text[i] < '0' || text[i] > '9') return 0;
  return 1;
}
// Copies the four parts of a name of n units whose file part begins at file and splits
// as split (directory, base name, extension, version) into parts, and points each
// output (may be null) at its part when that is not empty.
template <typename C>
void put_name_parts(const C* name, std::size_t n, std::size_t file, const FilePartSplit& split,
                    C (*parts)[VYN_NAME_MAX + 1], C** outs[4]) {
  const C* part = name + file;
  const C* starts[4] = {name, part, part + split.extension_begin, part + split.version_begin};
  std::size_t lengths[4] = {file, split.base_end, split.extension_end - split.extension_begin,
                            n - file - split.version_begin};
  for (int i = 0; i < 4; ++i) {
    for (std::size_t k = 0; k < lengths[i]; ++k) parts[i][k] = starts[i][k];
    parts[i][lengths[i]] = 0;
    if (outs[i] && lengths[i] > 0) *outs[i] = parts[i];
  }
}
// Offset of the file part: after the last '\\' or '/' of the wide name.
std::size_t file_part_offset(const VynWchar* name);

// ---- Directories and delimiters

// The last '\\' or '/' of path (also ':' with colon_counts) into *position, or the
// character after it with point_after: 1. Without one, *position is the path's start
// and the result 0; 0 for a null path or position.
int get_last_dir_delim(const char* path, const char** position, int colon_counts,
                       int point_after);
int get_last_dir_w_delim(const VynWchar* path, const VynWchar** position, int colon_counts,
                         int point_after);

// out (as large as directory) gets the directory without its last '\\'-component, a
// trailing '\\' ignored first: "\\" when that component's '\\' is the first character,
// empty without any '\\'. 1; 0 for a null argument.
int extract_head_from_dir(const char* directory, char* out);
// Removes one trailing '\\' from directory itself and puts its last component into out
// (as large as directory) when out is not null. 1; 0 for a null directory.
int extract_tail_from_dir(char* directory, char* out);
// 1 when full lies below base, with out (as large as full) holding the rest after the
// '\\'s that follow base; each name loses everything through its first ':' first. An
// empty base gives out = full. 0 when full is empty or not below base.
int extract_relative_path(const char* base, const char* full, char* out);
// Joins two directory texts into out (VYN_NAME_MAX bytes) with one '\\' between them;
// each part loses its leading and trailing blanks first, and an empty part gives the
// other. 1; 0 with out empty for a null out or first, or a result of VYN_NAME_MAX
// characters or more.
int vyn_cat_dirs(const char* first, const char* second, char* out);
// directory and name joined with a '\\' unless directory ends with one (an empty
// directory included) into out (VYN_NAME_MAX bytes). 1; 0 with out empty for a null
// argument or a result of VYN_NAME_MAX characters or more.
int vyn_cat_path(const char* directory, const char* name, char* out);

// 1 when name holds one of \ / : * ? " < > |; 0 for a null name.
int has_invalid_filename_chars(const char* name);
// 1 when the character (or some character of name) is one that tells a name that needs
// parsing from a plain one: . @ ; / [ ] \ $ < > - ~ | ! ( ) :
int is_special_filename_char(VynWchar c);
int string_has_special_chars(const VynWchar* name);

// ---- Splitting names

// Splits name by the file-name grammar: the directory through the last delimiter
// (included), then base name, extension and version of the file part. The outputs (each
// may be null) point into static buffers that the next call overwrites, or are null
// for an empty part. 0; 11 for a null name or one of 261 characters or more.
int parse_os_filename(const VynWchar* name, VynWchar** directory, VynWchar** base,
                      VynWchar** extension, VynWchar** version);
// Splits name through a file handle: location (the location text of the name, or an
// explicit location: the text through a "||"), base name (shorter than 67 characters),
// extension (none for a directory) and version ("%d" of a nonzero one). A name of no
// known object type and no extension is split by parse_os_filename. The outputs (each
// may be null) point into static buffers that the next call overwrites, or are null for
// an empty part. 0; 11 for a null name, one of 261 characters or more, one that does not
// parse, a base name too long, and an explicit location together with a location in the
// rest.
int parse_filename(const VynWchar* name, VynWchar** location, VynWchar** base,
                   VynWchar** extension, VynWchar** version);
// Splits "location instance<generic>.extension.version": a name without special
// characters is itself the generic name; otherwise the bracketed generic is taken off and
// the rest split by parse_filename when it needs parsing. Without a bracket the base
// name is the generic and *instance is null. Outputs as for parse_filename. 0, 11 for a
// bad bracket, or parse_filename's result.
int generic_parse_filename(const VynWchar* name, VynWchar** location, VynWchar** instance,
                           VynWchar** generic, VynWchar** extension, VynWchar** version);
// The same, also refusing (11) a name whose first '>' is not the one that closes the
// file part's '<'.
int generic_parse_filename_weak_check(const VynWchar* name, VynWchar** location,
                                      VynWchar** instance, VynWchar** generic,
                                      VynWchar** extension, VynWchar** version);
// Buffer sizes (units, terminator included) of the two copying forms below; a part is
// cut to fit its buffer.
constexpr int PARSE_LOCATION_SIZE = 260;
constexpr int PARSE_BASE_SIZE = 66;
constexpr int PARSE_EXTENSION_SIZE = 260;
constexpr int PARSE_VERSION_SIZE = 4;
constexpr int GENERIC_PARSE_INSTANCE_SIZE = 32;
constexpr int GENERIC_PARSE_GENERIC_SIZE = 64;
constexpr int GENERIC_PARSE_EXTENSION_SIZE = 4;
// parse_filename and generic_parse_filename copying each part into the caller's buffer
// (each may be null); a missing part, or every part of a failed parse, is empty. The
// parser's result.
int parse_filename_buffer(const VynWchar* name, VynWchar* location, VynWchar* base,
                          VynWchar* extension, VynWchar* version);
int generic_parse_filename_buffer(const VynWchar* name, VynWchar* location,
                                  VynWchar* instance, VynWchar* generic, VynWchar* extension,
                                  VynWchar* version);
// The full name of the generic model of name (location, generic, extension and version
// of generic_parse_filename) into out (VYN_NAME_MAX units). 0; 4 when there is no
// generic name; 11 (out empty) for a name that does not parse or a result too long.
int get_gen_name(const VynWchar* name, VynWchar* out);
// 1 when name parses to a location on this machine, 0 when not or when it does not parse.
int filepath_is_local(const VynWchar* name);
// Splits "instance<generic>" (after the last '\\'): rest gets the name without the
// bracketed part, generic the text between the brackets (empty without '<'). Either
// output may be null; each must hold VYN_NAME_MAX + 1 units. 0; 11 for a '<' without a
// following '>', a stray '>' in the rest, or a null or too long name.
int filename_extract_gen_and_inst(const VynWchar* name, VynWchar* rest, VynWchar* generic);
// 1 when, after the last '\\', a '<' is followed somewhere by a '>'.
int is_family_name(const VynWchar* name);

// ---- Building names (wide; out holds VYN_NAME_MAX units)

// directory\instance<generic>.extension.version, the bracket left out when generic is
// missing or equal to instance (then only the generic is written). 0; 92 for a null
// out; 1 with out empty when the result would reach VYN_NAME_MAX characters.
int make_family_fullname_low(const VynWchar* directory, const VynWchar* instance,
                             const VynWchar* generic, const VynWchar* extension,
                             const VynWchar* version, VynWchar* out);
int make_family_name(const VynWchar* instance, const VynWchar* generic, VynWchar* out);
// make_family_name with the extension of the object type (none for type -1).
int make_family_name_w_ext(const VynWchar* instance, const VynWchar* generic, int object_type,
                           VynWchar* out);
// location, name, "." extension (when not empty) and ".%d" of a nonzero version. A
// location that ends in '\\' or '/' is copied; any other (a device, a data-management
// prefix) is written in its normal form, as a handle of location_type (-1 any) reads it
// back. name may be out itself. 1; 0 with out empty for a null out or name, a location
// that no handle takes, or a result of VYN_NAME_MAX characters or more (a version that
// does not fit is refused too).
int vyn_cat_location_name_ext(const VynWchar* location, int location_type,
                              const VynWchar* name, const VynWchar* extension, int version,
                              VynWchar* out);
int vyn_cat_location_name(const VynWchar* location, int location_type, const VynWchar* name,
                          int version, VynWchar* out);
// A full name from host, device, path and name (and version): without host and device
// it is vyn_cat_location_name. Otherwise "\\\\host\\drive$path\\name" or
// "drive:path\\name", the drive being the device or the current drive in lower case and
// a relative or empty path made full against the current directory. 1; 0 with out
// empty for a null out or a result of VYN_NAME_MAX characters or more.
int vyn_cat_full_path_name(const VynWchar* host, const VynWchar* device, const VynWchar* path,
                           const VynWchar* name, int version, VynWchar* out);
// The same with host and device optional: the rules above past the choice of
// vyn_cat_location_name (all of host, device and path empty gives the name alone), with
// no report; share_mark follows the drive after a host ("$" here).
int cat_full_path_parts(const VynWchar* host, const VynWchar* device, const VynWchar* path,
                        const VynWchar* name, int version, const VynWchar* share_mark,
                        VynWchar* out);
int vyn_cat_full_path_name_ext(const VynWchar* host, const VynWchar* device,
                               const VynWchar* path, const VynWchar* name,
                               const VynWchar* extension, int version, VynWchar* out);

// ---- Directory listings
//
// An entry is packed bytes: a 16-bit length (little-endian), the narrow name and its
// terminator, with no alignment. Entries live in an arena of getmem blocks (block k
// holds rule_for_allocate(k) bytes, blocks 0 to 40) and stay valid until the next
// free_vyn_dirent or vyn_scandir.
struct VynDirent;

constexpr int VYN_DIRENT_BLOCKS = 41;

// The entry's name length and name.
int vyn_dirent_length(const VynDirent* entry);
const char* vyn_dirent_name(const VynDirent* entry);

// Calls of vyn_scandir: filter (0 skips the entry) sees the directory (with its
// delimiter), the wide name and the two arguments; compare sees two entries.
typedef int (*VynDirFilter)(const VynWchar* directory, const VynWchar* name, void* argument1,
                            void* argument2);
typedef int (*VynDirCompare)(const void* a, const void* b);

// Lists directory through the file layer (pfa_open_dir, pfa_read_dir: the directory
// cache and the location apply) into *list, a growable array of entry pointers (null
// when empty), sorted with compare when given: the number of entries. -1 for a null
// list, a directory that does not exist or cannot be read, a listing that breaks off
// (also at an entry the layer cannot name: one whose full name would reach 260
// characters), or names that outgrow the arena: no listing then. An earlier listing (and
// a non-null *list) is released first.
int vyn_scandir(const VynWchar* directory, VynDirent*** list, VynDirFilter filter,
                VynDirCompare compare, void* argument1, void* argument2);
// A copy of entry in the arena; null when the arena is full ("allocate_vyn_dirent:
// Directory too large !" is printed and the arena released) or entry is null.
VynDirent* allocate_vyn_dirent(const VynDirent* entry);
// An entry of name in the arena; null as above, or for a name too long for an entry.
VynDirent* create_vyn_dirent(const char* name);
VynDirent* create_vyn_dirent_w(const VynWchar* name);
// Insert the entry pointer at position (clamped), or at the end (at_end 0: the front);
// the array, also stored in *list.
VynDirent** vyn_dirent_insert(VynDirent*** list, int position, VynDirent* entry);
VynDirent** vyn_dirent_append(VynDirent*** list, int at_end, VynDirent* entry);
// Releases blocks 1 and up and starts again at the beginning of block 0; 0.
int free_vyn_dirent();
// The size of block k.
int rule_for_allocate(int k);
// The entry's name widened into out (VYN_NAME_MAX units, cut when longer).
void copy_dirent_name(VynWchar* out, const VynDirent* entry);
int vyn_get_fdlimit();

}  // namespace vek
