// The parts of the DXF import (host/dxf/dxf.h) below the conversion into the drawing: the
// check and cut-down of the file's groups before dxflib sees them (dxf_groups.cpp), and
// the DXF text codes (dxf_text.cpp).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace yrlhost {

// ---- Groups (dxf_groups.cpp) ---------------------------------------------------------
//
// dxflib trusts its input: a vertex count sizes an array without a bound, a bulge
// before the first vertex writes in front of that array, a line longer than its buffer
// stops a stream read for good. So the file's groups are read and checked here first,
// and dxflib reads only a rewritten file of what the import takes: the header variables
// it reads, the layer table and the entities it takes, each group checked (numbers
// finite, whole numbers in range, texts short and without NUL) and written in plain
// form, a polyline's vertices counted here. The rest of the file is left unread, but
// every entity of the ENTITIES section that is not passed on is counted.

// An entity passed on to dxflib: its type and the line of the file where it starts. The
// rewritten file gives it a handle (group 5) that is its index in DxfGroups::entities,
// so that each of dxflib's calls names the entity it comes from.
struct DxfEntityStart {
  std::string type;
  int line = 0;
};

struct DxfGroups {
  std::string text;                       // the rewritten file dxflib reads
  std::vector<DxfEntityStart> entities;   // by handle
  std::map<std::string, int> skipped;     // as DxfImport::skipped
};

// The longest text value passed on to dxflib, in bytes.
inline constexpr std::size_t dxf_text_max = 1000;

// Reads and checks the groups of a DXF file's bytes. False with "<where>:<line>: <what>"
// (or "<where>: <what>") in error for a file that is not one.
bool dxf_groups_read(const std::string& bytes, const std::string& where, DxfGroups& groups,
                     std::string& error);

// ---- Text (dxf_text.cpp) ---------------------------------------------------------------

// How a file's text is to be decoded: from its version ($ACADVER) and code page
// ($DWGCODEPAGE). Files of version AC1021 and later hold UTF-8; older files, and those
// that give no version, hold UTF-8 where it is valid UTF-8 and otherwise the code page.
struct DxfTextCoding {
  bool utf8_always = false;
  unsigned code_page = 1252;
};
DxfTextCoding dxf_text_coding(const std::string& version, const std::string& code_page_name);

// A text value of the file as UTF-16; what is not valid in its coding becomes U+FFFD.
std::u16string dxf_text_decode(const std::string& raw, const DxfTextCoding& coding);

// The lines a text shows: the special codes (%%d degree, %%p plus-minus, %%c diameter,
// %%% percent, %%nnn a character by number; the toggles %%u, %%o, %%k are dropped), the
// characters by number (\U+XXXX), and,
// for mtext, its formatting (\P, \X and ^J break the line; \~ is a no-break space;
// \\, \{ and \} are the characters; \S stacks a fraction as "a/b"; braces and the other
// codes, up to their ';', are dropped).
std::vector<std::u16string> dxf_text_lines(const std::u16string& text, bool mtext);

}  // namespace yrlhost
