// A drawing's content in the host's model files: the lines that hold sheets, drawing
// models and scales, views, entities, notes, symbol instances, dimensions and layers,
// written and read back with the checks of the store (host/resources/README.md).
#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "host/files/model_file_text.h"
#include "host/util/text_read.h"

namespace yrlhost {
namespace {

// ---- Writing ---------------------------------------------------------------------------

std::string name_word(const std::u16string& name) { return escape_text(utf8_from_utf16(name), true); }

std::string numbers(const double* values, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += " " + number_text(values[i]);
  return text;
}

std::string matrix_text(const double m[4][4]) {
  std::string text;
  for (int r = 0; r < 4; ++r) text += numbers(m[r], 4);
  return text;
}

std::string view_word(int view) {
  return view == view_background ? "background" : view == view_overlay ? "overlay" : std::to_string(view);
}

std::string colour_text(const VynColor& colour) {
  switch (colour.method) {
    case 1: return "type " + std::to_string(colour.value.type);
    case 2: return "rgb" + numbers(colour.value.rgb, 3);
    default: return "default";
  }
}

std::string curve_text(const DraftCurve& curve) {
  const VynCurvedata& r = curve.record;
  switch (r.point.type) {
    case VYN_CURVE_POINT: return "point" + numbers(r.point.pos, 3);
    case VYN_CURVE_LINE: return "line" + numbers(r.line.end1, 3) + numbers(r.line.end2, 3);
    case VYN_CURVE_ARC: {
      const VynArcCurve& a = r.arc;
      const double angles[3] = {a.start_angle, a.end_angle, a.radius};
      return "arc" + numbers(a.vec1, 3) + numbers(a.vec2, 3) + numbers(a.origin, 3) + numbers(angles, 3);
    }
    default: {
      std::string text = "spline " + std::to_string(curve.spline.size());
      for (const SplineKnot& knot : curve.spline)
        text += numbers(&knot.parameter, 1) + numbers(knot.point, 3) + numbers(knot.tangent, 3);
      return text;
    }
  }
}

// The start of an item's line: keyword, id, sheet and view.
template <typename Item>
std::string item_head(const char* keyword, const Item& item) {
  return std::string(keyword) + " " + std::to_string(item.id) + " " + std::to_string(item.sheet) + " " +
         view_word(item.view);
}

// The type of a layer item's word in a file; 0 for a word that names none.
int layer_item_type(const std::string& word) {
  for (int type : {item_type_draft_entity, item_type_note, item_type_symbol, item_type_dimension})
    if (word == drawing_item_word(type)) return type;
  return 0;
}

void text_lines_write(const std::vector<std::u16string>& texts, std::vector<std::string>& lines) {
  for (const std::u16string& text : texts) {
    std::string escaped = escape_text(utf8_from_utf16(text), false);
    lines.push_back(escaped.empty() ? "text" : "text " + escaped);
  }
}

// ---- Reading ---------------------------------------------------------------------------

// Drawing lines other than sheets need the sheets: a file that gives none has the one
// sheet a new drawing has.
void drawing_start(ModelFile& file) {
  if (file.drawing_started) return;
  file.drawing_started = true;
  if (file.drawing.sheets.empty()) file.drawing.sheets.push_back(DrawingSheet{});
}

bool sheet_exists(const DrawingContent& content, int number) {
  return std::any_of(content.sheets.begin(), content.sheets.end(),
                     [number](const DrawingSheet& s) { return s.number == number; });
}

void check(const LineReader& reader, const std::string& problem) {
  if (!problem.empty()) reader.fail(problem);
}

int read_view(WordCursor& words) {
  const std::string& word = words.next();
  if (word == "background") return view_background;
  if (word == "overlay") return view_overlay;
  return words.read_int(word, "view");
}

VynColor read_colour(const LineReader& reader, WordCursor& words) {
  VynColor colour{};
  const std::string& kind = words.next();
  if (kind == "type") {
    colour.method = 1;
    colour.value.type = words.next_int("colour type");
  } else if (kind == "rgb") {
    colour.method = 2;
    for (double& part : colour.value.rgb) part = words.next_double("colour part");
  } else if (kind != "default") {
    reader.fail("colour \"" + kind + "\" is not default, type <n> or rgb <r> <g> <b>");
  }
  return colour;
}

DraftCurve read_curve(const LineReader& reader, WordCursor& words) {
  DraftCurve curve;
  const std::string& kind = words.next();
  double a[3], b[3], c[3];
  if (kind == "point") {
    words.next_point(a, "coordinate");
    curve = draft_point(a);
  } else if (kind == "line") {
    words.next_point(a, "coordinate");
    words.next_point(b, "coordinate");
    curve = draft_line(a, b);
  } else if (kind == "arc") {
    words.next_point(a, "coordinate");
    words.next_point(b, "coordinate");
    words.next_point(c, "coordinate");
    curve = draft_arc(c, 1, 0, 1);
    VynArcCurve& arc = curve.record.arc;
    std::copy_n(a, 3, arc.vec1);
    std::copy_n(b, 3, arc.vec2);
    arc.start_angle = words.next_double("start angle");
    arc.end_angle = words.next_double("sweep");
    arc.radius = words.next_double("radius");
  } else if (kind == "spline") {
    const double origin[3] = {0, 0, 0};
    curve = draft_point(origin);
    curve.record.point.type = VYN_CURVE_SPLINE;
    int count = words.next_int("point count");
    for (int i = 0; i < count; ++i) {
      SplineKnot knot;
      knot.parameter = words.next_double("parameter");
      words.next_point(knot.point, "coordinate");
      words.next_point(knot.tangent, "coordinate");
      curve.spline.push_back(knot);
    }
  } else {
    reader.fail("curve \"" + kind + "\" is not a point, line, arc or spline");
  }
  check(reader, drawing_curve_problem(curve));
  return curve;
}

// count lines "text <escaped text>" after the current one, of the item `of`.
std::vector<std::u16string> read_text_lines(LineReader& reader, int count, const std::string& of) {
  if (count < 0) reader.fail("negative line count");
  std::vector<std::u16string> texts;
  const CountedLines block{of + "'s text line", count, reader.line_number()};
  for (int i = 0; i < count; ++i) {
    std::string line = reader.take_counted(block);
    std::vector<std::string> words = split_words(line);
    if (words.empty() || words[0] != "text") reader.fail("expected \"text <line>\"");
    texts.push_back(reader.read_wide_text(text_after_words(line, 1)));
  }
  return texts;
}

void read_sheet(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  if (file.drawing_started) reader.fail("a sheet after the drawing's other lines");
  WordCursor cursor(reader, words, "sheet <number> <size> <scale> <transform: 16 numbers>");
  DrawingSheet sheet;
  sheet.number = cursor.next_int("sheet");
  int last = file.drawing.sheets.empty() ? 0 : file.drawing.sheets.back().number;
  if (sheet.number <= last)
    reader.fail("sheet " + std::to_string(sheet.number) + " does not come after sheet " + std::to_string(last));
  sheet.size = reader.read_wide_name(cursor.next(), false);
  sheet.scale = cursor.next_double("scale");
  for (auto& row : sheet.transform)
    for (double& value : row) value = cursor.next_double("transform");
  cursor.end();
  check(reader, drawing_sheet_problem(sheet));
  file.drawing.sheets.push_back(sheet);
}

void read_scale(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  WordCursor cursor(reader, words, "scale <sheet> <scale> <part>");
  DrawingScale scale;
  scale.sheet = cursor.next_int("sheet");
  scale.scale = cursor.next_double("scale");
  scale.model = reader.read_wide_name(cursor.next(), false);
  cursor.end();
  DrawingContent& content = file.drawing;
  if (!sheet_exists(content, scale.sheet))
    reader.fail("sheet " + std::to_string(scale.sheet) + " does not exist");
  if (std::find(content.models.begin(), content.models.end(), scale.model) == content.models.end())
    reader.fail("the scale's part is not a model of the drawing");
  if (!(scale.scale > 0)) reader.fail("a scale is not positive");
  for (const DrawingScale& other : content.scales)
    if (other.model == scale.model && other.sheet == scale.sheet) reader.fail("the scale is given twice");
  content.scales.push_back(scale);
}

void read_view_line(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  WordCursor cursor(reader, words,
                    "view <id> <sheet> <parent> <scale> <x y z> <orientation: 16 numbers> <part> <name>");
  DrawingView view;
  int id = reader.read_item_id(file, cursor.next());
  view.sheet = cursor.next_int("sheet");
  view.parent = cursor.next_int("parent");
  view.scale = cursor.next_double("scale");
  cursor.next_point(view.position, "coordinate");
  for (auto& row : view.orientation)
    for (double& value : row) value = cursor.next_double("orientation");
  view.model = reader.read_wide_name(cursor.next(), false);
  view.name = reader.read_wide_name(cursor.next(), false);
  cursor.end();
  check(reader, drawing_view_problem(file.drawing, view));
  view.id = id;
  file.drawing.views.push_back(view);
}

template <typename Item>
void read_place(WordCursor& cursor, Item& item) {
  item.sheet = cursor.next_int("sheet");
  item.view = read_view(cursor);
}

void read_entity(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  WordCursor cursor(reader, words, "entity <id> <sheet> <view> <hidden> <colour> <curve>");
  DraftEntity entity;
  entity.id = reader.read_item_id(file, cursor.next());
  read_place(cursor, entity);
  int hidden = cursor.next_int("hidden");
  if (hidden != 0 && hidden != 1) reader.fail("hidden \"" + std::to_string(hidden) + "\" is not 0 or 1");
  entity.hidden = hidden == 1;
  entity.colour = read_colour(reader, cursor);
  entity.curve = read_curve(reader, cursor);
  cursor.end();
  check(reader, drawing_entity_problem(file.drawing, entity));
  file.drawing.entities[entity.id] = std::move(entity);
}

void read_note(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  WordCursor cursor(reader, words,
                    "note <id> <sheet> <view> <colour> free <x y z>|on <entity> <parameter> <lines>");
  DraftNote note;
  note.id = reader.read_item_id(file, cursor.next());
  read_place(cursor, note);
  note.colour = read_colour(reader, cursor);
  const std::string& kind = cursor.next();
  if (kind == "free") {
    cursor.next_point(note.attachment.location, "coordinate");
  } else if (kind == "on") {
    note.attachment.kind = attach_on_item;
    note.attachment.entity = cursor.next_int("entity");
    note.attachment.parameter = cursor.next_double("parameter");
  } else {
    reader.fail("attachment \"" + kind + "\" is neither free nor on");
  }
  int count = cursor.next_int("line count");
  cursor.end();
  check(reader, drawing_note_problem(file.drawing, note));
  drawing_note_locate(file.drawing, note);
  note.lines = read_text_lines(reader, count, "note " + std::to_string(note.id));
  file.drawing.notes[note.id] = std::move(note);
}

void read_symbol(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  WordCursor cursor(reader, words, "symbol <id> <sheet> <view> <colour> <x y z> <name>");
  SymbolInstance symbol;
  symbol.id = reader.read_item_id(file, cursor.next());
  read_place(cursor, symbol);
  symbol.colour = read_colour(reader, cursor);
  cursor.next_point(symbol.position, "coordinate");
  symbol.name = reader.read_wide_name(cursor.next(), false);
  cursor.end();
  check(reader, drawing_symbol_problem(file.drawing, symbol));
  file.drawing.symbols[symbol.id] = std::move(symbol);
}

void read_dimension(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  WordCursor cursor(reader, words,
                    "dimension <id> <sheet> <view> <type> <value> <x y z> <attachments> "
                    "[<entity> <side> ...] <lines>");
  DrawingDimension dimension;
  dimension.id = reader.read_item_id(file, cursor.next());
  read_place(cursor, dimension);
  dimension.type = cursor.next_int("dimension type");
  dimension.value = cursor.next_double("value");
  cursor.next_point(dimension.position, "coordinate");
  int attachments = cursor.next_int("attachment count");
  if (attachments < 0) reader.fail("negative attachment count");
  for (int i = 0; i < attachments; ++i) {
    DimensionAttachment attachment;
    attachment.entity = cursor.next_int("entity");
    attachment.side = cursor.next_int("side");
    dimension.attachments.push_back(attachment);
  }
  int count = cursor.next_int("line count");
  cursor.end();
  check(reader, drawing_dimension_problem(file.drawing, dimension));
  dimension.lines = read_text_lines(reader, count, "dimension " + std::to_string(dimension.id));
  file.drawing.dimensions[dimension.id] = std::move(dimension);
}

// The layer's line, then its n lines "item <kind> <id>". The status is the saved one,
// and becomes the layer's status too.
void read_layer(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  WordCursor cursor(reader, words, "layer <id> <status> <items> <name>");
  DrawingLayer layer;
  int id = reader.read_item_id(file, cursor.next());
  layer.status = layer.saved_status = cursor.next_int("display status");
  int count = cursor.next_int("item count");
  if (count < 0) reader.fail("negative item count");
  layer.name = reader.read_wide_name(cursor.next(), false);
  cursor.end();
  layer.id = id;
  check(reader, drawing_layer_problem(file.drawing, layer));
  std::set<std::pair<int, int>> held;
  const CountedLines block{"layer " + std::to_string(id) + "'s item", count, reader.line_number()};
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> item = split_words(reader.take_counted(block));
    if (item.size() != 3 || item[0] != "item") reader.fail("expected \"item <kind> <id>\"");
    LayerMember member{layer_item_type(item[1]), reader.read_int(item[2], "item id")};
    if (member.type == 0)
      reader.fail("item kind \"" + item[1] + "\" is not entity, note, symbol or dimension");
    check(reader, drawing_layer_member_problem(file.drawing, member));
    if (!held.insert({member.type, member.id}).second) reader.fail("the item is on the layer twice");
    layer.items.push_back(member);
  }
  file.drawing.layers[id] = std::move(layer);
}

}  // namespace

bool drawing_line_read(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  const std::string& keyword = words[0];
  if (keyword == "sheet") {
    read_sheet(reader, file, words);
    return true;
  }
  static const char* const others[] = {"next-id", "current-sheet", "model", "scale", "view",
                                       "entity", "note", "symbol", "dimension", "layer"};
  if (std::find_if(std::begin(others), std::end(others),
                   [&keyword](const char* known) { return keyword == known; }) == std::end(others))
    return false;
  if (keyword == "next-id") {
    reader.expect_words(words, 2, "next-id <id>");
    if (file.next_id != 0) reader.fail("\"next-id\" given twice");
    file.next_id = reader.read_int(words[1], "next id");
    if (file.next_id < 1 || file.next_id > max_item_id + 1)
      reader.fail("next id " + words[1] + " is out of range");
    return true;
  }
  drawing_start(file);
  if (keyword == "current-sheet") {
    reader.expect_words(words, 2, "current-sheet <sheet>");
    file.drawing.current_sheet = reader.read_int(words[1], "sheet");
    if (!sheet_exists(file.drawing, file.drawing.current_sheet))
      reader.fail("sheet " + words[1] + " does not exist");
  } else if (keyword == "model") {
    reader.expect_words(words, 2, "model <part>");
    std::u16string part = reader.read_wide_name(words[1], false);
    std::vector<std::u16string>& models = file.drawing.models;
    if (std::find(models.begin(), models.end(), part) != models.end())
      reader.fail("model \"" + words[1] + "\" is given twice");
    models.push_back(part);
    file.model_lines.push_back(reader.line_number());
  } else if (keyword == "scale") {
    read_scale(reader, file, words);
  } else if (keyword == "view") {
    read_view_line(reader, file, words);
  } else if (keyword == "entity") {
    read_entity(reader, file, words);
  } else if (keyword == "note") {
    read_note(reader, file, words);
  } else if (keyword == "symbol") {
    read_symbol(reader, file, words);
  } else if (keyword == "layer") {
    read_layer(reader, file, words);
  } else {
    read_dimension(reader, file, words);
  }
  return true;
}

void drawing_file_finish(const LineReader& reader, ModelFile& file) {
  drawing_start(file);
  if (file.next_id != 0 && file.next_id <= file.max_id)
    reader.fail("next id " + std::to_string(file.next_id) + " is not above every id (" +
                std::to_string(file.max_id) + ")");
  if (!sheet_exists(file.drawing, file.drawing.current_sheet))
    file.drawing.current_sheet = file.drawing.sheets.front().number;
}

void drawing_lines_write(const StoredModel& model, std::vector<std::string>& lines) {
  const DrawingContent& content = model.drawing;
  lines.push_back("next-id " + std::to_string(model.next_item_id));
  for (const DrawingSheet& sheet : content.sheets)
    lines.push_back("sheet " + std::to_string(sheet.number) + " " + name_word(sheet.size) +
                    numbers(&sheet.scale, 1) + matrix_text(sheet.transform));
  lines.push_back("current-sheet " + std::to_string(content.current_sheet));
  for (const std::u16string& part : content.models) lines.push_back("model " + name_word(part));
  for (const DrawingScale& scale : content.scales)
    lines.push_back("scale " + std::to_string(scale.sheet) + numbers(&scale.scale, 1) + " " +
                    name_word(scale.model));
  for (const DrawingView& view : content.views)
    lines.push_back("view " + std::to_string(view.id) + " " + std::to_string(view.sheet) + " " +
                    std::to_string(view.parent) + numbers(&view.scale, 1) + numbers(view.position, 3) +
                    matrix_text(view.orientation) + " " + name_word(view.model) + " " + name_word(view.name));
  for (const auto& [id, entity] : content.entities)
    lines.push_back(item_head("entity", entity) + (entity.hidden ? " 1 " : " 0 ") + colour_text(entity.colour) +
                    " " + curve_text(entity.curve));
  for (const auto& [id, note] : content.notes) {
    const NoteAttachment& a = note.attachment;
    std::string where = a.kind == attach_on_item
                            ? "on " + std::to_string(a.entity) + numbers(&a.parameter, 1)
                            : "free" + numbers(a.location, 3);
    lines.push_back(item_head("note", note) + " " + colour_text(note.colour) + " " + where + " " +
                    std::to_string(note.lines.size()));
    text_lines_write(note.lines, lines);
  }
  for (const auto& [id, symbol] : content.symbols)
    lines.push_back(item_head("symbol", symbol) + " " + colour_text(symbol.colour) + numbers(symbol.position, 3) +
                    " " + name_word(symbol.name));
  for (const auto& [id, dimension] : content.dimensions) {
    std::string line = item_head("dimension", dimension) + " " + std::to_string(dimension.type) +
                       numbers(&dimension.value, 1) + numbers(dimension.position, 3) + " " +
                       std::to_string(dimension.attachments.size());
    for (const DimensionAttachment& a : dimension.attachments)
      line += " " + std::to_string(a.entity) + " " + std::to_string(a.side);
    lines.push_back(line + " " + std::to_string(dimension.lines.size()));
    text_lines_write(dimension.lines, lines);
  }
  for (const auto& [id, layer] : content.layers) {
    lines.push_back("layer " + std::to_string(id) + " " + std::to_string(layer.saved_status) + " " +
                    std::to_string(layer.items.size()) + " " + name_word(layer.name));
    for (const LayerMember& item : layer.items)
      lines.push_back(std::string("item ") + drawing_item_word(item.type) + " " + std::to_string(item.id));
  }
}

std::string drawing_part_file_name(const std::u16string& part) {
  static const char digits[] = "0123456789ABCDEF";
  std::string name;
  for (char c : utf8_from_utf16(part)) {
    unsigned char byte = static_cast<unsigned char>(c);
    bool kept = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                byte == '_' || byte == '-' || byte >= 0x80;
    if (kept) {
      name += c;
    } else {
      name += '%';
      name += digits[byte >> 4];
      name += digits[byte & 15];
    }
  }
  return name + ".prt";
}

}  // namespace yrlhost
