// The groups of a DXF file, read and checked before dxflib reads them (host/dxf/dxf_read.h).
#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <optional>

#include "host/dxf/dxf_read.h"
#include "host/files/model_file_text.h"
#include "host/util/text_read.h"

namespace yrlhost {
namespace {

// The highest group code of the format (extended data).
constexpr int max_group_code = 1071;

struct Group {
  int code = 0;
  std::string value;
  int line = 0;  // the line of the value
};

// A run of groups that starts with a group of code 0 (its type) up to the next one.
struct Record {
  std::string type;
  int line = 0;  // the line of the type
  std::vector<const Group*> groups;
};

struct Failure {
  std::string text;
};

std::string trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// A value as an error text shows it: quoted, at most 40 bytes, control bytes as '?'.
std::string quoted(const std::string& value) {
  std::string shown = value.substr(0, 40);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return "\"" + shown + (value.size() > 40 ? "...\"" : "\"");
}

// Entity type names are words; anything else is no entity.
bool type_name_is(const std::string& type) {
  return !type.empty() && type.size() <= 64 && std::all_of(type.begin(), type.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '$' || c == '*';
  });
}

class GroupReader {
 public:
  GroupReader(const std::string& where, DxfGroups& out) : where_(where), out_(out) {}

  void read(const std::string& bytes) {
    split(bytes);
    std::size_t at = 0;
    while (true) {
      if (at == groups_.size()) fail_at(0, "the file ends without EOF: it is cut short");
      const Group& group = groups_[at];
      if (group.code == 999) {
        ++at;
        continue;
      }
      std::string value = trimmed(group.value);
      if (group.code != 0) fail_at(group.line, "group " + std::to_string(group.code) + " stands outside a section");
      if (value == "EOF") break;
      if (value != "SECTION") fail_at(group.line, quoted(value) + " stands outside a section");
      at = section(at + 1);
    }
    entities(entity_records_, Context{});
    out_.text = "0\nSECTION\n2\nHEADER\n" + header_ + "0\nENDSEC\n0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n" +
                layers_ + "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities_ +
                "0\nENDSEC\n0\nEOF\n";
  }

 private:
  [[noreturn]] void fail_at(int line, const std::string& what) const {
    throw Failure{line > 0 ? where_ + ":" + std::to_string(line) + ": " + what : where_ + ": " + what};
  }

  // The file's lines taken two by two as (code, value) groups, up to the first EOF.
  void split(const std::string& bytes) {
    std::size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    int line = 0;
    auto next_line = [&](std::string& text) {
      if (at >= bytes.size()) return false;
      std::size_t end = bytes.find('\n', at);
      if (end == std::string::npos) end = bytes.size();
      text.assign(bytes, at, end - at);
      if (!text.empty() && text.back() == '\r') text.pop_back();
      at = end + 1;
      ++line;
      return true;
    };
    std::string code_line;
    while (next_line(code_line)) {
      Group group;
      if (!number_from_text(code_line, group.code) || group.code < 0 || group.code > max_group_code)
        fail_at(line, quoted(code_line) + " is not a group code");
      if (!next_line(group.value))
        fail_at(line, "group " + std::to_string(group.code) + " has no value: the file is cut short");
      group.line = line;
      bool eof = group.code == 0 && trimmed(group.value) == "EOF";
      groups_.push_back(std::move(group));
      if (eof) return;
    }
    if (groups_.empty()) fail_at(0, "the file is empty");
  }

  // Reads the section whose "0 SECTION" stands before at; the position after its ENDSEC.
  std::size_t section(std::size_t at) {
    while (at < groups_.size() && groups_[at].code == 999) ++at;
    if (at == groups_.size() || groups_[at].code != 2)
      fail_at(at < groups_.size() ? groups_[at].line : 0, "a SECTION without its name (group 2)");
    const std::string name = trimmed(groups_[at].value);
    ++at;
    Record head;  // the groups before the first group 0: the header's variables
    std::vector<Record> records;
    Record* current = &head;
    for (;; ++at) {
      if (at == groups_.size()) fail_at(0, "the file ends inside section " + quoted(name) + ": it is cut short");
      const Group& group = groups_[at];
      if (group.code == 999) continue;
      if (group.code != 0) {
        current->groups.push_back(&group);
        continue;
      }
      std::string type = trimmed(group.value);
      if (type == "ENDSEC") break;
      if (type == "SECTION" || type == "EOF")
        fail_at(group.line, type + " inside section " + quoted(name) + ", which has no ENDSEC");
      records.push_back(Record{type, group.line, {}});
      current = &records.back();
    }
    if (name == "HEADER") header(head);
    else if (name == "TABLES") tables(records);
    else if (name == "BLOCKS") blocks(records);
    // Taken once the whole file is read: a block may be defined after its references.
    else if (name == "ENTITIES") entity_records_.insert(entity_records_.end(), records.begin(), records.end());
    return at + 1;
  }

  // ---- Checked values -----------------------------------------------------------------

  [[noreturn]] void fail_group(const Group& group, const std::string& owner, const std::string& what) const {
    fail_at(group.line, owner + ": group " + std::to_string(group.code) + " " + quoted(group.value) + " " + what);
  }

  double real(const Group& group, const std::string& owner) const {
    double value = 0;
    if (!number_from_text(group.value, value) || !std::isfinite(value))
      fail_group(group, owner, "is not a finite number");
    // dxflib reads numbers through a stream, which may refuse a subnormal one.
    return std::fabs(value) < DBL_MIN ? 0.0 : value;
  }

  long whole(const Group& group, const std::string& owner, long low, long high) const {
    long value = 0;
    if (!number_from_text(group.value, value) || value < low || value > high)
      fail_group(group, owner, "is not a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return value;
  }

  const std::string& text(const Group& group, const std::string& owner) const {
    if (group.value.size() > dxf_text_max)
      fail_group(group, owner, "is longer than " + std::to_string(dxf_text_max) + " bytes");
    if (group.value.find('\0') != std::string::npos) fail_group(group, owner, "holds a NUL byte");
    return group.value;
  }

  // The group in plain form for dxflib: codes 10 to 59 and 210 to 239 are numbers, 60 to
  // 79 16-bit and 90 to 99 and 420 to 429 32-bit whole numbers, 0 to 9 texts.
  std::string plain(const Group& group, const std::string& owner) const {
    const int code = group.code;
    std::string value;
    if ((code >= 10 && code <= 59) || (code >= 210 && code <= 239))
      value = number_text(real(group, owner));
    else if (code >= 60 && code <= 79)
      value = std::to_string(whole(group, owner, -32768, 32767));
    else if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429))
      value = std::to_string(whole(group, owner, -2147483648L, 2147483647L));
    else
      value = text(group, owner);
    return std::to_string(code) + "\n" + value + "\n";
  }

  // ---- Sections ------------------------------------------------------------------------

  // The variables the import reads: the version and code page of the text, and the units.
  void header(const Record& head) {
    struct Wanted {
      const char* name;
      int code;
    };
    static const Wanted wanted[] = {
        {"$ACADVER", 1}, {"$DWGCODEPAGE", 3}, {"$INSUNITS", 70}, {"$MEASUREMENT", 70}};
    std::string variable;
    for (const Group* group : head.groups) {
      if (group->code == 9) {
        variable = trimmed(group->value);
        continue;
      }
      for (const Wanted& w : wanted) {
        if (variable != w.name || group->code != w.code) continue;
        std::string line = plain(*group, variable);
        if (variable == "$INSUNITS") whole(*group, variable, 0, 24);
        header_ += "9\n" + variable + "\n" + line;
      }
    }
  }

  // The layer table's entries: name, colour, flags and true colour.
  void tables(const std::vector<Record>& records) {
    std::string table;
    for (const Record& record : records) {
      if (record.type == "TABLE") {
        table.clear();
        for (const Group* group : record.groups)
          if (group->code == 2) table = trimmed(group->value);
        continue;
      }
      if (table != "LAYER" || record.type != "LAYER") continue;
      layers_ += "0\nLAYER\n" + kept(record, {2, 62, 70, 420});
    }
  }

  // The groups of a record that the import reads, in their order.
  std::string kept(const Record& record, const std::vector<int>& codes) const {
    std::string text;
    for (const Group* group : record.groups)
      if (std::find(codes.begin(), codes.end(), group->code) != codes.end())
        text += plain(*group, record.type);
    return text;
  }

  bool paper_space(const Record& record) const {
    return std::any_of(record.groups.begin(), record.groups.end(),
                       [](const Group* group) { return group->code == 67 && trimmed(group->value) == "1"; });
  }

  long flags(const Record& record, int code) const {
    long value = 0;
    for (const Group* group : record.groups)
      if (group->code == code) value = whole(*group, record.type, -32768, 32767);
    return value;
  }

  void skip(const std::string& type, const std::string& reason = "") {
    ++out_.skipped[reason.empty() ? type : type + " (" + reason + ")"];
  }

  // ---- Block references -------------------------------------------------------------------

  // How an entity looks: its layer and colour, and the layer whose colour "by layer" takes.
  struct Look {
    std::string layer = "0";
    int colour = 256;
    int true_colour = -1;
    std::string colour_layer = "0";
  };

  // Where the entities being taken lie: the placement of the block references they come
  // through, the look of the innermost one (what layer "0" and colour "by block" take),
  // the blocks being placed (by key, outermost first) and the line of the outermost
  // reference.
  struct Context {
    DxfPlacement placement;
    std::optional<Look> reference;
    std::vector<std::string> blocks;
    int line = 0;
  };

  struct Block {
    std::string name;
    double base[3] = {0, 0, 0};
    bool external = false;  // an external reference: its entities lie in another file
    std::vector<Record> records;
  };

  // Blocks are named without regard to (ASCII) case.
  static std::string block_key(const std::string& name) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
  }

  // The block definitions: each BLOCK record, the entities after it, up to its ENDBLK (or
  // the next BLOCK). A name defined twice keeps its first definition.
  void blocks(const std::vector<Record>& records) {
    Block* open = nullptr;
    for (const Record& record : records) {
      if (record.type == "ENDBLK") {
        open = nullptr;
        continue;
      }
      if (record.type != "BLOCK") {
        if (open) open->records.push_back(record);
        continue;
      }
      Block block;
      for (const Group* group : record.groups) {
        if (group->code == 2) block.name = text(*group, record.type);
        if (group->code >= 10 && group->code <= 30 && group->code % 10 == 0)
          block.base[group->code / 10 - 1] = real(*group, record.type);
        if (group->code == 70) block.external = (whole(*group, record.type, -32768, 32767) & 4) != 0;
      }
      auto [it, added] = blocks_.emplace(block_key(block.name), std::move(block));
      open = added ? &it->second : nullptr;
    }
  }

  // The look of a record in its context: group 8 (layer), 62 (colour) and 420 (true
  // colour); layer "0" takes the reference's layer, colour 0 (by block) its colour.
  Look look_of(const Record& record, const Context& context) const {
    Look look;
    for (const Group* group : record.groups) {
      if (group->code == 8) look.layer = text(*group, record.type);
      if (group->code == 62) look.colour = static_cast<int>(whole(*group, record.type, -32768, 32767));
      if (group->code == 420)
        look.true_colour = static_cast<int>(whole(*group, record.type, -2147483648L, 2147483647L));
    }
    look.colour_layer = look.layer;
    if (const std::optional<Look>& reference = context.reference) {
      if (look.layer == "0") look.layer = look.colour_layer = reference->layer;
      if (look.colour == 0 && look.true_colour < 0) {
        look.colour = reference->colour;
        look.true_colour = reference->true_colour;
        look.colour_layer = reference->colour_layer;
      }
    }
    return look;
  }

  // What a block reference may still place: the groups of its entities, and one for each
  // placement of a block. Past the bound the file is refused.
  void block_budget_take(const Context& context, long groups) {
    if (context.blocks.empty()) return;
    block_groups_ += groups;
    if (block_groups_ > dxf_block_groups_max)
      fail_at(context.line, "INSERT: block references place more than " +
                                std::to_string(dxf_block_groups_max) + " groups of entities");
  }

  // An INSERT: the entities of its block, placed (in columns and rows for an array of
  // references), each taken as an entity of the drawing.
  void insert(const Record& record, const Context& context) {
    std::string name;
    double insertion[3] = {0, 0, 0}, scale[3] = {1, 1, 1}, extrusion[3] = {0, 0, 1};
    double rotation = 0, spacing[2] = {0, 0};
    long columns = 1, rows = 1;
    for (const Group* group : record.groups) {
      const int code = group->code;
      if (code == 2) name = text(*group, record.type);
      if (code == 10 || code == 20 || code == 30) insertion[code / 10 - 1] = real(*group, record.type);
      if (code >= 41 && code <= 43) scale[code - 41] = real(*group, record.type);
      if (code == 50) rotation = real(*group, record.type);
      if (code == 44 || code == 45) spacing[code - 44] = real(*group, record.type);
      if (code == 70) columns = whole(*group, record.type, -32768, 32767);
      if (code == 71) rows = whole(*group, record.type, -32768, 32767);
      if (code == 210 || code == 220 || code == 230) extrusion[code / 10 - 21] = real(*group, record.type);
    }
    const std::string key = block_key(name);
    const auto found = blocks_.find(key);
    const double length = std::hypot(extrusion[0], extrusion[1], extrusion[2]);
    const char* reason = nullptr;
    if (paper_space(record)) reason = "paper space";
    else if (found == blocks_.end()) reason = "no such block";
    else if (found->second.external) reason = "external reference";
    else if (std::find(context.blocks.begin(), context.blocks.end(), key) != context.blocks.end())
      reason = "block inserts itself";
    else if (static_cast<int>(context.blocks.size()) >= dxf_block_depth_max) reason = "nested too deep";
    else if (!(length > 0) || std::hypot(extrusion[0], extrusion[1]) > 1e-9 * length)
      reason = "not in the sheet plane";
    else if (scale[0] == 0 || scale[1] == 0) reason = "scale 0";
    if (reason) {
      skip(record.type, reason);
      return;
    }
    const Block& block = found->second;
    Context inner;
    inner.reference = look_of(record, context);
    inner.blocks = context.blocks;
    inner.blocks.push_back(key);
    inner.line = context.line > 0 ? context.line : record.line;
    const bool from_below = extrusion[2] < 0;
    // An array of references: columns along x and rows along y of the turned reference,
    // the spacing not scaled.
    const double turn = rotation * std::numbers::pi / 180;
    columns = std::max(columns, 1L);
    rows = std::max(rows, 1L);
    for (long row = 0; row < rows; ++row)
      for (long column = 0; column < columns; ++column) {
        block_budget_take(inner, 1);
        const double dx = static_cast<double>(column) * spacing[0], dy = static_cast<double>(row) * spacing[1];
        const double at[3] = {insertion[0] + dx * std::cos(turn) - dy * std::sin(turn),
                              insertion[1] + dx * std::sin(turn) + dy * std::cos(turn), insertion[2]};
        inner.placement =
            dxf_placement_of_reference(context.placement, block.base, at, scale, rotation, from_below);
        entities(block.records, inner);
      }
  }

  // Starts an entity: its type, line, look and placement; one passed on to dxflib gets
  // the handle that names it.
  void start(const std::string& type, int line, const Look& look, const Context& context,
             bool for_dxflib = true) {
    DxfEntityStart entity;
    entity.type = type;
    entity.line = line;
    entity.layer = look.layer;
    entity.colour = look.colour;
    entity.true_colour = look.true_colour;
    entity.colour_layer = look.colour_layer;
    entity.placement = context.placement;
    if (for_dxflib) {
      char handle[32];
      std::snprintf(handle, sizeof handle, "%zx", out_.entities.size());
      entities_ += "0\n" + type + "\n5\n" + handle + "\n";
    }
    out_.entities.push_back(std::move(entity));
  }

  void entities(const std::vector<Record>& records, const Context& context) {
    static const std::vector<int> common = {8, 62, 420};
    for (std::size_t i = 0; i < records.size(); ++i) {
      const Record& record = records[i];
      const std::string& type = record.type;
      if (!type_name_is(type)) fail_at(record.line, quoted(type) + " is not an entity type");
      if (type == "POLYLINE") {
        i = polyline(records, i, context) - 1;
        continue;
      }
      block_budget_take(context, static_cast<long>(record.groups.size()) + 1);
      if (type == "LWPOLYLINE") {
        lwpolyline(record, context);
        continue;
      }
      if (type == "INSERT") {
        insert(record, context);
        continue;
      }
      if (type == "SPLINE" || type == "ELLIPSE") {
        if (paper_space(record)) {
          skip(type, "paper space");
          continue;
        }
        start(type, record.line, look_of(record, context), context, false);
        if (type == "SPLINE") out_.entities.back().spline = spline(record);
        else out_.entities.back().ellipse = ellipse(record);
        continue;
      }
      if (type == "SEQEND") continue;  // ends a sequence of an entity not passed on
      static const std::map<std::string, std::vector<int>> passed = {
          {"POINT", {10, 20, 30}},
          {"LINE", {10, 20, 30, 11, 21, 31}},
          {"ARC", {10, 20, 30, 40, 50, 51, 210, 220, 230}},
          {"CIRCLE", {10, 20, 30, 40, 210, 220, 230}},
          {"TEXT", {1, 10, 20, 30, 210, 220, 230}},
          {"MTEXT", {1, 3, 10, 20, 30}},
          {"DIMENSION",
           {1, 10, 20, 30, 11, 21, 31, 13, 23, 33, 14, 24, 34, 15, 25, 35, 16, 26, 36, 50, 70, 210, 220, 230}},
      };
      auto found = passed.find(type);
      if (found == passed.end()) {
        skip(type);
        continue;
      }
      if (paper_space(record)) {
        skip(type, "paper space");
        continue;
      }
      if (type == "DIMENSION") {
        long kind = flags(record, 70) & 7;
        if (kind == 6 || kind == 7) {
          skip(type, kind == 6 ? "ordinate" : "of no known kind");
          continue;
        }
      }
      std::string groups = kept(record, common) + kept(record, found->second);
      start(type, record.line, look_of(record, context), context);
      entities_ += groups;
    }
  }

  // ---- Splines and ellipses ---------------------------------------------------------------

  // A point of three groups: x starts it (code), y and z (code + 10, + 20) fill it.
  static void point_group(std::vector<std::array<double, 3>>& points, int code, int base, double value) {
    if (code == base) points.push_back({value, 0, 0});
    else if (!points.empty()) points.back()[(code - base) / 10] = value;
  }

  DxfSpline spline(const Record& record) const {
    DxfSpline spline;
    std::array<double, 3> tangent[2] = {};
    bool tangent_given[2] = {false, false};
    for (const Group* group : record.groups) {
      const int code = group->code;
      if (code == 70) spline.flags = static_cast<int>(whole(*group, record.type, -32768, 32767));
      if (code == 71) spline.degree = static_cast<int>(whole(*group, record.type, -32768, 32767));
      if (code == 40) spline.knots.push_back(real(*group, record.type));
      if (code == 41) spline.weights.push_back(real(*group, record.type));
      if (code == 10 || code == 20 || code == 30) {
        if (code != 10 && spline.control.empty())
          fail_group(*group, record.type, "comes before the first control point (group 10)");
        point_group(spline.control, code, 10, real(*group, record.type));
      }
      if (code == 11 || code == 21 || code == 31) {
        if (code != 11 && spline.fit.empty())
          fail_group(*group, record.type, "comes before the first fit point (group 11)");
        point_group(spline.fit, code, 11, real(*group, record.type));
      }
      for (int end = 0; end < 2; ++end)
        if (code == 12 + end || code == 22 + end || code == 32 + end) {
          tangent[end][(code - 12 - end) / 10] = real(*group, record.type);
          tangent_given[end] = true;
        }
    }
    if (tangent_given[0]) spline.start_tangent = tangent[0];
    if (tangent_given[1]) spline.end_tangent = tangent[1];
    return spline;
  }

  DxfEllipse ellipse(const Record& record) const {
    DxfEllipse ellipse;
    for (const Group* group : record.groups) {
      const int code = group->code;
      if (code == 10 || code == 20 || code == 30) ellipse.center[code / 10 - 1] = real(*group, record.type);
      if (code == 11 || code == 21 || code == 31) ellipse.major[code / 10 - 1] = real(*group, record.type);
      if (code == 210 || code == 220 || code == 230) ellipse.extrusion[code / 10 - 21] = real(*group, record.type);
      if (code == 40) ellipse.ratio = real(*group, record.type);
      if (code == 41) ellipse.start = real(*group, record.type);
      if (code == 42) ellipse.end = real(*group, record.type);
    }
    return ellipse;
  }

  // A polyline of the old form: its VERTEX records and the SEQEND that ends them (a
  // record of another type ends them too). The position after the sequence.
  std::size_t polyline(const std::vector<Record>& records, std::size_t at, const Context& context) {
    const Record& record = records[at];
    std::size_t end = at + 1;
    while (end < records.size() && records[end].type == "VERTEX") ++end;
    bool sequence_end = end < records.size() && records[end].type == "SEQEND";
    const long polyline_flags = flags(record, 70);
    std::vector<const Record*> vertices;
    long groups = 0;
    for (std::size_t i = at; i < end; ++i) {
      groups += static_cast<long>(records[i].groups.size()) + 1;
      if (i > at && !(flags(records[i], 70) & 16)) vertices.push_back(&records[i]);  // 16: a spline's frame
    }
    block_budget_take(context, groups);
    if (paper_space(record)) {
      skip("POLYLINE", "paper space");
    } else if (polyline_flags & (16 | 64)) {
      skip("POLYLINE", "mesh");
    } else if (vertices.size() < 2) {
      skip("POLYLINE", "fewer than 2 vertices");
    } else {
      const Look look = look_of(record, context);
      std::string kept_groups = kept(record, {8, 62, 420, 70, 10, 20, 30, 210, 220, 230});
      start("POLYLINE", record.line, look, context);
      entities_ += kept_groups;
      for (const Record* vertex : vertices) {
        kept_groups = kept(*vertex, {10, 20, 30, 42});
        start("VERTEX", vertex->line, look, context);
        entities_ += kept_groups;
      }
      start("SEQEND", sequence_end ? records[end].line : record.line, look, context);
    }
    return sequence_end ? end + 1 : end;
  }

  // A lightweight polyline, its vertices counted here and written in order: each 10
  // starts a vertex, 20 and 42 give its y and bulge.
  void lwpolyline(const Record& record, const Context& context) {
    if (paper_space(record)) {
      skip(record.type, "paper space");
      return;
    }
    std::string head = kept(record, {8, 62, 420, 70, 38, 210, 220, 230});
    std::string vertices;
    std::size_t count = 0;
    for (const Group* group : record.groups) {
      if (group->code == 10) {
        ++count;
      } else if ((group->code == 20 || group->code == 42) && count == 0) {
        fail_group(*group, record.type, "comes before the first vertex (group 10)");
      } else if (group->code != 20 && group->code != 42) {
        continue;
      }
      vertices += plain(*group, record.type);
    }
    if (count < 2) {
      skip(record.type, "fewer than 2 vertices");
      return;
    }
    start(record.type, record.line, look_of(record, context), context);
    entities_ += head + "90\n" + std::to_string(count) + "\n" + vertices;
  }

  std::string where_;
  DxfGroups& out_;
  std::vector<Group> groups_;
  std::string header_, layers_, entities_;
  std::vector<Record> entity_records_;
  std::map<std::string, Block> blocks_;
  long block_groups_ = 0;
};

}  // namespace

bool dxf_groups_read(const std::string& bytes, const std::string& where, DxfGroups& groups,
                     std::string& error) {
  DxfGroups read;
  try {
    GroupReader(where, read).read(bytes);
  } catch (const Failure& failure) {
    error = failure.text;
    return false;
  }
  groups = std::move(read);
  return true;
}

}  // namespace yrlhost
