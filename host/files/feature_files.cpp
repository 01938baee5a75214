// A part's features made from element trees in the host's model files: the tree of each,
// a sketched feature's section entities and the ids of the datum items it makes. The
// format is described in host/resources/README.md ("Model files").
#include <cmath>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "host/store/elemtrees.h"
#include "host/store/feature_build.h"
#include "host/files/model_file_text.h"
#include "host/store/sections.h"
#include "host/display/selection.h"

namespace yrlhost {
namespace {

const char* kind_word(geom::EntityKind kind) {
  switch (kind) {
    case geom::EntityKind::point: return "point";
    case geom::EntityKind::line: return "line";
    case geom::EntityKind::centerline: return "centerline";
    case geom::EntityKind::arc: return "arc";
    case geom::EntityKind::circle: return "circle";
  }
  return "line";
}

// A string as one word: "null" for none, else "=" and the text escaped.
std::string text_word(const char* text) { return text ? "=" + escape_text(text, true) : "null"; }

std::string value_text(const VynValuedata& data) {
  switch (data.type) {
    case VYN_VALUE_TYPE_INT: return "int " + std::to_string(data.value.i);
    case VYN_VALUE_TYPE_DOUBLE: return "double " + number_text(data.value.d);
    case VYN_VALUE_TYPE_POINTER: return "pointer";
    case VYN_VALUE_TYPE_STRING: return "string " + text_word(data.value.s);
    case VYN_VALUE_TYPE_WSTRING: {
      if (!data.value.w) return "wstring null";
      std::u16string wide(data.value.w);
      return "wstring " + text_word(utf8_from_utf16(wide).c_str());
    }
    case VYN_VALUE_TYPE_SELECTION:
      return "selection " + std::to_string(data.value.r->item.type) + " " + std::to_string(data.value.r->item.id);
    case VYN_VALUE_TYPE_TRANSFORM: {
      std::string line = "transform";
      for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) line += " " + number_text(data.value.t[r][c]);
      return line;
    }
    case VYN_VALUE_TYPE_BOOL: return "bool " + std::to_string(data.value.b);
    default: return "";
  }
}

void tree_lines(VynElement element, int level, std::vector<std::string>& out) {
  std::string line = std::to_string(level) + " " + std::to_string(tree_element_id(element));
  bool list = tree_element_multival(element);
  if (list) line += " list";
  for (const VynValuedata& data : tree_element_values(element)) line += " " + value_text(data);
  out.push_back(line);
  for (VynElement child : tree_element_children(element)) tree_lines(child, level + 1, out);
}

// Reads the value that starts at words[at]; at moves past it.
FileValue value_read(const LineReader& reader, const std::vector<std::string>& words, std::size_t& at) {
  auto next = [&](const char* form) -> const std::string& {
    if (at >= words.size()) reader.fail(std::string("expected ") + form);
    return words[at++];
  };
  FileValue value;
  const std::string kind = next("a value");
  auto text = [&](std::string& out, bool& null) {
    const std::string& word = next("a text (null or =<text>)");
    null = word == "null";
    if (null) return;
    if (word.empty() || word[0] != '=') reader.fail("a text is written null or =<text>");
    if (!unescape_text(word.substr(1), out)) reader.fail("bad %XX escape in \"" + word + "\"");
    if (out.find('\0') != std::string::npos) reader.fail("text \"" + word + "\" holds a NUL");
  };
  if (kind == "int") {
    value.data.type = VYN_VALUE_TYPE_INT;
    value.data.value.i = reader.read_int(next("an integer"), "value");
  } else if (kind == "double") {
    value.data.type = VYN_VALUE_TYPE_DOUBLE;
    value.data.value.d = reader.read_double(next("a number"), "value");
  } else if (kind == "pointer") {
    value.data.type = VYN_VALUE_TYPE_POINTER;
  } else if (kind == "string") {
    value.data.type = VYN_VALUE_TYPE_STRING;
    text(value.text, value.null_text);
  } else if (kind == "wstring") {
    value.data.type = VYN_VALUE_TYPE_WSTRING;
    std::string utf8;
    text(utf8, value.null_text);
    if (!utf16_from_text(utf8, value.wide)) reader.fail("text is not UTF-8");
  } else if (kind == "selection") {
    value.data.type = VYN_VALUE_TYPE_SELECTION;
    value.item.type = reader.read_int(next("an item type"), "item type");
    value.item.id = reader.read_int(next("an item id"), "item id");
  } else if (kind == "transform") {
    value.data.type = VYN_VALUE_TYPE_TRANSFORM;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) value.transform[r][c] = reader.read_double(next("16 numbers"), "number");
  } else if (kind == "bool") {
    value.data.type = VYN_VALUE_TYPE_BOOL;
    value.data.value.b = reader.read_int(next("0 or 1"), "value");
    if (value.data.value.b != 0 && value.data.value.b != 1) reader.fail("a bool is 0 or 1");
  } else {
    reader.fail("unknown value kind \"" + kind + "\"");
  }
  return value;
}

// "tree <n>", then n element lines.
void tree_read(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  reader.expect_words(words, 2, "tree <line count>");
  const int feature = file.features.back().id;
  if (file.feature_trees.count(feature)) reader.fail("\"tree\" given twice for a feature");
  int count = reader.read_int(words[1], "line count");
  if (count < 1) reader.fail("a tree has at least its root");
  std::vector<FileTreeLine> tree;
  const CountedLines block{"the tree's", count, reader.line_number()};
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> line = split_words(reader.take_counted(block));
    if (line.size() < 2) reader.fail("expected \"<level> <element id> [list] [<value>...]\"");
    FileTreeLine element;
    element.level = reader.read_int(line[0], "level");
    element.id = reader.read_int(line[1], "element id");
    if (element.id < 1) reader.fail("element id " + line[1] + " is not positive");
    if (i == 0 && element.level != 0) reader.fail("a tree begins with its root, at level 0");
    if (i > 0 && (element.level < 1 || element.level > tree.back().level + 1))
      reader.fail("level " + line[0] + " does not follow the line above");
    if (i > 0 && element.level > tree.back().level && (!tree.back().values.empty() || tree.back().list))
      reader.fail("an element with values holds no elements");
    std::size_t at = 2;
    if (at < line.size() && line[at] == "list") {
      element.list = true;
      ++at;
    }
    while (at < line.size()) element.values.push_back(value_read(reader, line, at));
    if (!element.list && element.values.size() > 1) reader.fail("several values without \"list\"");
    if ((element.list || !element.values.empty()) && element_id_is_array(element.id))
      reader.fail("array element " + line[1] + " holds no values");
    tree.push_back(std::move(element));
  }
  file.feature_trees[feature] = std::move(tree);
}

// "sketch <n>", then n entity lines.
void sketch_read(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  reader.expect_words(words, 2, "sketch <line count>");
  StoredFeature& feature = file.features.back();
  int count = reader.read_int(words[1], "line count");
  if (count < 0) reader.fail("negative line count");
  if (!feature.sketch.empty()) reader.fail("\"sketch\" given twice for a feature");
  const CountedLines block{"the sketch's", count, reader.line_number()};
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> line = split_words(reader.take_counted(block));
    WordCursor cursor(reader, line, "<id> point|line|centerline|arc|circle <numbers>");
    geom::SectionEntity entity;
    entity.id = reader.read_int(line.empty() ? "" : line[0], "entity id");
    if (entity.id < 1) reader.fail("entity id is not positive");
    for (const geom::SectionEntity& other : feature.sketch)
      if (other.id == entity.id) reader.fail("entity id " + line[0] + " is used twice");
    const std::string kind = cursor.next();
    auto uv = [&cursor](geom::Vec2& point) {
      point[0] = cursor.next_double("coordinate");
      point[1] = cursor.next_double("coordinate");
    };
    if (kind == "point") {
      entity.kind = geom::EntityKind::point;
      uv(entity.start);
    } else if (kind == "line" || kind == "centerline") {
      entity.kind = kind == "line" ? geom::EntityKind::line : geom::EntityKind::centerline;
      uv(entity.start);
      uv(entity.end);
    } else if (kind == "arc" || kind == "circle") {
      entity.kind = kind == "arc" ? geom::EntityKind::arc : geom::EntityKind::circle;
      uv(entity.center);
      entity.radius = cursor.next_double("radius");
      if (!(entity.radius > 0)) reader.fail("radius is not above 0");
      if (kind == "arc") {
        entity.start_angle = cursor.next_double("angle");
        entity.end_angle = cursor.next_double("angle");
      }
    } else {
      reader.fail("unknown entity kind \"" + kind + "\"");
    }
    cursor.end();
    feature.sketch.push_back(entity);
  }
}

// "face <id> <feature> <role> <entity> <occurrence>" and
// "edge <id> <face> <face> <occurrence>".
void item_id_read(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  const bool face = words[0] == "face";
  WordCursor cursor(reader, words, face ? "face <id> <feature> <role> <entity> <occurrence>"
                                        : "edge <id> <face> <face> <occurrence>");
  const int id = reader.read_item_id(file, cursor.next());
  auto count = [&cursor, &reader](const char* what) {
    int value = cursor.next_int(what);
    if (value < 0) reader.fail(std::string(what) + " is negative");
    return value;
  };
  if (face) {
    FaceIdRow row;
    row.id = id;
    row.feature = count("feature");
    row.role = count("role");
    if (row.role > static_cast<int>(geom::FaceRole::side)) reader.fail("role is not 0 to 3");
    row.entity = count("entity");
    row.occurrence = count("occurrence");
    for (const FaceIdRow& other : file.item_ids.faces)
      if (std::tie(other.feature, other.role, other.entity, other.occurrence) ==
          std::tie(row.feature, row.role, row.entity, row.occurrence))
        reader.fail("a second id for the face of that origin");
    file.item_ids.faces.push_back(row);
  } else {
    EdgeIdRow row;
    row.id = id;
    row.face_low = count("face");
    row.face_high = count("face");
    if (row.face_low > row.face_high) reader.fail("the lower face comes first");
    row.occurrence = count("occurrence");
    for (const EdgeIdRow& other : file.item_ids.edges)
      if (std::tie(other.face_low, other.face_high, other.occurrence) ==
          std::tie(row.face_low, row.face_high, row.occurrence))
        reader.fail("a second id for the edge of those faces");
    file.item_ids.edges.push_back(row);
  }
  cursor.end();
}

}  // namespace

void item_id_lines_write(StoredModel& model, std::vector<std::string>& lines) {
  const ItemIdTable table = part_item_ids(model);
  auto line = [&lines](const char* keyword, std::initializer_list<int> numbers) {
    std::string text = keyword;
    for (int n : numbers) text += " " + std::to_string(n);
    lines.push_back(std::move(text));
  };
  for (const FaceIdRow& r : table.faces) line("face", {r.id, r.feature, r.role, r.entity, r.occurrence});
  for (const EdgeIdRow& r : table.edges) line("edge", {r.id, r.face_low, r.face_high, r.occurrence});
}

bool feature_line_read(LineReader& reader, ModelFile& file, const std::vector<std::string>& words) {
  const std::string& keyword = words[0];
  if (keyword == "face" || keyword == "edge") {
    if (file.type != model_type_part) reader.fail("\"" + keyword + "\" in a model that is not a part");
    item_id_read(reader, file, words);
    return true;
  }
  if (keyword != "tree" && keyword != "sketch" && keyword != "datums") return false;
  if (file.type != model_type_part || file.features.empty())
    reader.fail("\"" + keyword + "\" before any feature of a part");
  StoredFeature& feature = file.features.back();
  if (!feature.surfaces.empty()) reader.fail("a feature with planes is not made from a tree");
  if (keyword == "tree") {
    tree_read(reader, file, words);
    return true;
  }
  if (!file.feature_trees.count(feature.id)) reader.fail("\"" + keyword + "\" before the feature's \"tree\"");
  if (keyword == "sketch") {
    sketch_read(reader, file, words);
    return true;
  }
  if (!feature.datum_ids.empty()) reader.fail("\"datums\" given twice for a feature");
  for (std::size_t i = 1; i < words.size(); ++i) feature.datum_ids.push_back(reader.read_item_id(file, words[i]));
  return true;
}

void feature_lines_write(const StoredFeature& feature, std::vector<std::string>& lines) {
  if (!feature.tree) return;
  std::vector<std::string> tree;
  tree_lines(feature.tree, 0, tree);
  lines.push_back("tree " + std::to_string(tree.size()));
  lines.insert(lines.end(), tree.begin(), tree.end());
  lines.push_back("sketch " + std::to_string(feature.sketch.size()));
  for (const geom::SectionEntity& e : feature.sketch) {
    std::string line = std::to_string(e.id) + " " + kind_word(e.kind);
    auto add = [&line](double value) { line += " " + number_text(value); };
    switch (e.kind) {
      case geom::EntityKind::point: add(e.start[0]); add(e.start[1]); break;
      case geom::EntityKind::line:
      case geom::EntityKind::centerline:
        add(e.start[0]); add(e.start[1]); add(e.end[0]); add(e.end[1]);
        break;
      case geom::EntityKind::arc:
      case geom::EntityKind::circle:
        add(e.center[0]); add(e.center[1]); add(e.radius);
        if (e.kind == geom::EntityKind::arc) {
          add(e.start_angle);
          add(e.end_angle);
        }
        break;
    }
    lines.push_back(line);
  }
  std::string datums = "datums";
  for (int id : feature.datum_ids) datums += " " + std::to_string(id);
  lines.push_back(datums);
}

void feature_trees_load(StoredModel& model, const ModelFile& file) {
  for (StoredFeature& feature : model.features) {
    auto found = file.feature_trees.find(feature.id);
    if (found == file.feature_trees.end()) continue;
    std::vector<VynElement> open;  // the last element of each level
    std::vector<VynSelection> selections;
    VynElement root = nullptr;
    for (const FileTreeLine& line : found->second) {
      VynElement element = tree_element_new(line.id);
      std::vector<VynValuedata> values;
      for (const FileValue& value : line.values) {
        VynValuedata data = value.data;
        if (data.type == VYN_VALUE_TYPE_STRING) data.value.s = value.null_text ? nullptr : value.text.c_str();
        if (data.type == VYN_VALUE_TYPE_WSTRING) data.value.w = value.null_text ? nullptr : value.wide.c_str();
        if (data.type == VYN_VALUE_TYPE_TRANSFORM) data.value.t = value.transform;
        if (data.type == VYN_VALUE_TYPE_SELECTION) {
          selections.push_back(selection_make({value.item.type, value.item.id, model.handle}, 0, nullptr));
          data.value.r = selections.back();
        }
        values.push_back(data);
      }
      if (line.list) tree_element_values_set(element, values);
      else if (!values.empty()) tree_element_value_set(element, values.front());
      open.resize(static_cast<std::size_t>(line.level));
      if (line.level == 0) root = element;
      else tree_element_append(open.back(), element);
      open.push_back(element);
    }
    feature.tree = tree_copy(root, true);
    tree_free(root);
    for (VynSelection selection : selections) selection_release(selection);
  }
  part_item_ids_restore(model, file.item_ids);
  part_regenerate(model, nullptr);
  for (StoredFeature& feature : model.features) {
    FeatureDefinition definition;
    std::vector<FeatureError> ignored;
    geom::Frame frame{};
    if (!feature.tree || !feature_definition_read(feature.tree, definition, ignored) || !definition.sketched()) continue;
    if (!part_sketch_frame(model, definition, feature.id, frame)) continue;
    feature.section = section_new(frame, definition.kind == FeatureKind::datum_curve);
    section_entities_set(feature.section, feature.sketch);
  }
}

}  // namespace yrlhost
