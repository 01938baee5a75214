// The host's model files (drawings and template parts) in plain text: writing, reading
// with line-exact error texts, and retrieving them into session (the host-side open, and
// host_model_load, which VynMdlLoad answers with). The format is described in host/resources/README.md.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "host/store/extdata.h"
#include "host/files/file_set.h"
#include "host/files/model_files.h"
#include "host/files/model_file_text.h"
#include "host/store/model_store.h"
#include "host/util/text_read.h"
#include "host/util/utf16.h"
#include "platform/w32/error.h"
#include "platform/w32/path.h"

namespace yrlhost {
namespace {

constexpr const char* file_header = "yrlhost-model 1";

const char* type_word(int type) { return type == model_type_drawing ? "drawing" : "part"; }

class Reader : public LineReader {
 public:
  using LineReader::LineReader;

  ModelFile read() {
    bool header = false, ended = false;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      std::string line = lines_[index_];
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::vector<std::string> words = split_words(line);
      if (words.empty() || words[0][0] == '#') continue;
      if (ended) fail("text after \"end\"");
      if (!header) {
        if (line != file_header) fail(std::string("expected \"") + file_header + "\"");
        header = true;
        continue;
      }
      const std::string& keyword = words[0];
      if (keyword == "type") read_type(words);
      else if (keyword == "name") read_name(text_after_words(line, 1));
      else if (keyword == "units") read_units(words);
      else if (keyword == "feature") read_feature(words, line);
      else if (keyword == "plane") read_plane(words);
      else if (keyword == "parameter") read_parameter(words, line);
      else if (keyword == "extdata") read_extdata(words);
      else if (keyword == "end") ended = true;
      else if (feature_line_read(*this, file_, words)) continue;
      else if (file_.type != model_type_drawing || !drawing_line_read(*this, file_, words))
        fail("unknown keyword \"" + keyword + "\"");
    }
    index_ = lines_.empty() ? 0 : lines_.size() - 1;
    if (!header) fail(std::string("empty file, expected \"") + file_header + "\"");
    if (!ended) fail("missing \"end\"");
    if (file_.type == 0) fail("missing \"type\"");
    if (file_.name.empty()) fail("missing \"name\"");
    if (file_.type == model_type_drawing) drawing_file_finish(*this, file_);
    return std::move(file_);
  }

 private:
  void read_type(const std::vector<std::string>& words) {
    expect_words(words, 2, "type part|drawing");
    if (file_.type != 0) fail("\"type\" given twice");
    if (words[1] == "part") file_.type = model_type_part;
    else if (words[1] == "drawing") file_.type = model_type_drawing;
    else fail("unknown model type \"" + words[1] + "\"");
  }

  void read_name(const std::string& text) {
    if (!file_.name.empty()) fail("\"name\" given twice");
    file_.name = read_wide_name(text, false);
  }

  void read_units(const std::vector<std::string>& words) {
    expect_words(words, 2, "units <name>");
    file_.units = words[1];
  }

  void read_feature(const std::vector<std::string>& words, const std::string& line) {
    if (file_.type != model_type_part) fail("a feature outside a part (give \"type part\" first)");
    if (words.size() < 5) fail("expected \"feature <id> <type> <status> <visible> [<name>]\"");
    StoredFeature feature;
    feature.id = read_item_id(file_, words[1]);
    feature.type = read_int(words[2], "feature type");
    feature.status = read_int(words[3], "feature status");
    int visible = read_int(words[4], "visibility");
    if (visible != 0 && visible != 1) fail("visibility \"" + words[4] + "\" is not 0 or 1");
    feature.visible = visible == 1;
    // The name is whatever follows the fourth value.
    std::string name = text_after_words(line, 5);
    feature.name = read_wide_name(name, true);
    if (!feature.name.empty())
      for (const StoredFeature& other : file_.features)
        if (other.name == feature.name) fail("feature name \"" + name + "\" is used twice");
    file_.features.push_back(std::move(feature));
  }

  void read_plane(const std::vector<std::string>& words) {
    if (file_.features.empty()) fail("a plane before any feature");
    if (file_.feature_trees.count(file_.features.back().id)) fail("a plane of a feature made from a tree");
    expect_words(words, 14, "plane <id> <origin x y z> <e1 x y z> <e2 x y z> <e3 x y z>");
    StoredSurface surface;
    surface.id = read_item_id(file_, words[1]);
    double* targets[4] = {surface.plane.origin, surface.plane.e1, surface.plane.e2,
                          surface.plane.e3};
    for (int v = 0; v < 4; ++v)
      for (int i = 0; i < 3; ++i)
        targets[v][i] = read_double(words[2 + 3 * v + i], "coordinate");
    const HostPlane& p = surface.plane;
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    constexpr double tolerance = 1e-9;
    for (const double* axis : {p.e1, p.e2, p.e3})
      if (std::fabs(dot(axis, axis) - 1.0) > tolerance) fail("plane axes are not unit vectors");
    double cross[3] = {p.e1[1] * p.e2[2] - p.e1[2] * p.e2[1], p.e1[2] * p.e2[0] - p.e1[0] * p.e2[2],
                       p.e1[0] * p.e2[1] - p.e1[1] * p.e2[0]};
    if (std::fabs(dot(p.e1, p.e2)) > tolerance ||
        std::fabs(cross[0] - p.e3[0]) + std::fabs(cross[1] - p.e3[1]) +
                std::fabs(cross[2] - p.e3[2]) > tolerance)
      fail("plane axes are not a right-handed frame (e3 = e1 x e2)");
    file_.features.back().surfaces.push_back(surface);
  }

  // parameter model|<feature id> <name> <value type> [<value>]
  void read_parameter(const std::vector<std::string>& words, const std::string& line) {
    if (words.size() < 4) fail("expected \"parameter model|<feature id> <name> <type> [<value>]\"");
    StoredParameter parameter;
    if (words[1] == "model") {
      parameter.owner_type = 0;  // the model itself, set when it is loaded
    } else {
      parameter.owner_type = item_type_feature;
      parameter.owner_id = read_int(words[1], "feature id");
      bool known = false;
      for (const StoredFeature& feature : file_.features) known = known || feature.id == parameter.owner_id;
      if (!known) fail("parameter of unknown feature " + words[1]);
    }
    parameter.name = read_wide_name(words[2], false);
    VynParamvalue& value = parameter.value;
    value.type = read_int(words[3], "value type");
    std::size_t value_words = value.type == VYN_PARAM_VOID ? 4 : 5;
    switch (value.type) {
      case VYN_PARAM_DOUBLE:
        expect_words(words, value_words, "parameter ... 50 <number>");
        value.value.as_double = read_double(words[4], "value");
        break;
      case VYN_PARAM_STRING: {
        // The string is the rest of the line after the type.
        std::string text;
        std::u16string wide;
        if (!unescape_text(text_after_words(line, 4), text)) fail("bad %XX escape in the value");
        if (!utf16_from_text(text, wide)) fail("value is not UTF-8");
        if (wide.size() >= VYN_PARAM_STRING_SIZE) fail("string value is too long");
        if (wide.find(u'\0') != std::u16string::npos) fail("string value holds a NUL");
        std::copy(wide.begin(), wide.end(), value.value.as_string);
        break;
      }
      case VYN_PARAM_INTEGER:
      case VYN_PARAM_ID:
        expect_words(words, value_words, "parameter ... <type> <integer>");
        value.value.as_int = read_int(words[4], "value");
        break;
      case VYN_PARAM_BOOLEAN:
        expect_words(words, value_words, "parameter ... 53 0|1");
        value.value.as_bool = static_cast<short>(read_int(words[4], "value") != 0);
        break;
      case VYN_PARAM_VOID:
        expect_words(words, value_words, "parameter ... 57");
        break;
      default:
        fail("unknown value type " + words[3]);
    }
    for (const StoredParameter& other : file_.parameters)
      if (other.owner_type == parameter.owner_type && other.owner_id == parameter.owner_id &&
          other.name == parameter.name)
        fail("parameter \"" + words[2] + "\" is given twice");
    file_.parameters.push_back(std::move(parameter));
  }

  // extdata <count>, then that many lines taken as they stand.
  void read_extdata(const std::vector<std::string>& words) {
    expect_words(words, 2, "extdata <line count>");
    if (file_.extdata_line != 0) fail("\"extdata\" given twice");
    int count = read_int(words[1], "line count");
    if (count < 0) fail("negative line count");
    // The lines are taken as they stand; the file goes on with its "end".
    if (lines_.size() - index_ - 1 < static_cast<std::size_t>(count) + 1)
      fail("the external data's count, " + words[1] + ", runs past its lines: the file ends first");
    file_.extdata_line = static_cast<int>(index_) + 1;
    for (int i = 0; i < count; ++i) file_.extdata.push_back(take_line("external data"));
  }

  ModelFile file_;
};

bool read_lines(const std::string& path, std::vector<std::string>& lines) {
  std::error_code failure;
  if (!std::filesystem::is_regular_file(path, failure)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return !in.bad();
}

// The file of lines read as a model file; false with the reason in error.
bool parse(const std::vector<std::string>& lines, const std::string& where, ModelFile& file,
           std::string& error) {
  try {
    file = Reader(lines, where).read();
  } catch (const ReadError& failure) {
    error = failure.text;
    return false;
  }
  return true;
}

StoredModel* model_from_file(ModelFile file, const std::u16string& path, const std::string& where,
                             const std::string& folder, std::string& error);

// Brings a drawing's models into session: each is the part of its name in session, else
// the part's file beside the drawing (in folder; none when folder is empty). False with
// the reason in error.
bool drawing_models_load(const ModelFile& file, const std::string& where, const std::string& folder,
                         std::string& error) {
  for (std::size_t i = 0; i < file.drawing.models.size(); ++i) {
    const std::u16string& name = file.drawing.models[i];
    if (stored_model_find(model_type_part, name)) continue;
    const std::string at = where + ":" + std::to_string(file.model_lines[i]) + ": part \"" +
                           utf8_from_utf16(name) + "\" is ";
    if (folder.empty()) {
      error = at + "not in session";
      return false;
    }
    const std::string path = (std::filesystem::path(folder) / drawing_part_file_name(name)).string();
    std::vector<std::string> lines;
    ModelFile part;
    if (!read_lines(path, lines)) {
      error = at + "neither in session nor in " + path;
      return false;
    }
    if (!parse(lines, path, part, error)) return false;
    if (part.type != model_type_part || part.name != name) {
      error = path + ": holds no part named \"" + utf8_from_utf16(name) + "\"";
      return false;
    }
    std::u16string wide_path;
    utf16_from_text(path, wide_path);
    StoredModel* loaded = model_from_file(std::move(part), wide_path, path, "", error);
    if (!loaded) return false;
    notify_model_retrieved(loaded->handle);
  }
  return true;
}

// Brings a model read from a file into session, a drawing's models first. Null, with the
// reason in error, when a model or its external data does not load (the model does not
// stay in session then; models loaded for it do).
StoredModel* model_from_file(ModelFile file, const std::u16string& path, const std::string& where,
                             const std::string& folder, std::string& error) {
  if (file.type == model_type_drawing && !drawing_models_load(file, where, folder, error)) return nullptr;
  StoredModel& model = stored_model_add(file.type, std::move(file.name), std::move(file.units));
  model.path = path;
  model.features = std::move(file.features);
  for (StoredFeature& feature : model.features)
    for (StoredSurface& surface : feature.surfaces) surface.handle = stored_surface_handle_new();
  model.next_item_id = std::max(file.max_id + 1, file.next_id);
  if (model.type == model_type_part) feature_trees_load(model, file);
  for (StoredParameter& parameter : file.parameters) {
    if (parameter.owner_type == 0) {
      parameter.owner_type = model.type;
      parameter.owner_id = model.id;
    }
    model.parameters.push_back(std::move(parameter));
  }
  if (model.type == model_type_drawing) model.drawing = drawing_content_copy(file.drawing);
  if (file.extdata_line != 0) {
    std::string reason;
    if (!extdata_load_lines(model.handle, file.extdata, reason)) {
      error = where + ":" + std::to_string(file.extdata_line) + ": external data: " + reason;
      stored_model_erase(model.handle);
      return nullptr;
    }
  }
  return &model;
}

// Reads a model file's lines into a new current model (host_model_read), its drawing
// models from folder.
VynMdl model_read(const std::vector<std::string>& lines, const std::string& where,
                  const std::string& folder, std::string& error) {
  ModelFile file;
  if (!parse(lines, where, file, error)) return nullptr;
  if (stored_model_find(file.type, file.name)) {
    error = where + ": a " + type_word(file.type) + " named \"" + utf8_from_utf16(file.name) +
            "\" is already in session";
    return nullptr;
  }
  std::u16string path;
  utf16_from_text(where, path);
  StoredModel* model = model_from_file(std::move(file), path, where, folder, error);
  if (!model) return nullptr;
  VynMdl handle = model->handle;
  host_model_make_current(handle);
  notify_model_retrieved(handle);
  return handle;
}

std::string folder_of(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

std::string& last_load_error() {
  static std::string error;
  return error;
}

}  // namespace

std::vector<std::string> host_model_lines(VynMdl handle) {
  StoredModel* model = stored_model(handle);
  if (!model) return {};
  std::vector<std::string> lines = {file_header, std::string("type ") + type_word(model->type),
                                    "name " + escape_text(utf8_from_utf16(model->name), false), "units " + model->units};
  if (model->type == model_type_drawing) drawing_lines_write(*model, lines);
  for (const StoredFeature& feature : model->features) {
    std::string line = "feature " + std::to_string(feature.id) + " " + std::to_string(feature.type) +
                       " " + std::to_string(feature.status) + " " + (feature.visible ? "1" : "0");
    if (!feature.name.empty()) line += " " + escape_text(utf8_from_utf16(feature.name), false);
    lines.push_back(line);
    // A feature made from a tree gets its planes from its regeneration.
    feature_lines_write(feature, lines);
    if (feature.tree) continue;
    for (const StoredSurface& surface : feature.surfaces) {
      line = "plane " + std::to_string(surface.id);
      for (const double* v : {surface.plane.origin, surface.plane.e1, surface.plane.e2, surface.plane.e3})
        for (int i = 0; i < 3; ++i) line += " " + number_text(v[i]);
      lines.push_back(line);
    }
  }
  if (model->type == model_type_part) item_id_lines_write(*model, lines);
  for (const StoredParameter& parameter : model->parameters) {
    bool own = parameter.owner_type == model->type && parameter.owner_id == model->id;
    if (!own && parameter.owner_type != item_type_feature) continue;
    std::string line = "parameter " + (own ? std::string("model") : std::to_string(parameter.owner_id)) +
                       " " + escape_text(utf8_from_utf16(parameter.name), true) + " " + std::to_string(parameter.value.type);
    const auto& value = parameter.value.value;
    switch (parameter.value.type) {
      case VYN_PARAM_DOUBLE: line += " " + number_text(value.as_double); break;
      case VYN_PARAM_STRING: {
        std::size_t length = 0;
        while (length < VYN_PARAM_STRING_SIZE && value.as_string[length] != 0) ++length;
        line += " " + escape_text(utf8_from_utf16(value.as_string, length), false);
        break;
      }
      case VYN_PARAM_INTEGER:
      case VYN_PARAM_ID: line += " " + std::to_string(value.as_int); break;
      case VYN_PARAM_BOOLEAN: line += value.as_bool ? " 1" : " 0"; break;
      default: break;
    }
    lines.push_back(line);
  }
  std::vector<std::string> extdata = extdata_save_lines(handle);
  lines.push_back("extdata " + std::to_string(extdata.size()));
  lines.insert(lines.end(), extdata.begin(), extdata.end());
  lines.push_back("end");
  return lines;
}

namespace {

std::string file_text(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

// Adds a model's file to a save, and a part's solid beside it: the solid's .brep file,
// or its removal when the part has none, so that the file beside never shows another
// solid.
void model_files_add(const StoredModel& model, const std::string& path, FileSet& files) {
  files.write(path, file_text(host_model_lines(model.handle)));
  if (model.type != model_type_part) return;
  const std::string brep = part_brep_path(path);
  if (model.solid.empty()) {
    files.remove(brep);
    return;
  }
  geom::Shape solid = model.solid;
  files.write_with(brep, [solid](const std::string& temporary) {
    return geom::brep_write(solid, temporary) == geom::Status::ok;
  });
}

}  // namespace

bool host_model_save(VynMdl handle, const std::string& path, std::string& error) {
  StoredModel* model = stored_model(handle);
  if (!model) {
    error = "not a model in session";
    return false;
  }
  // A drawing's models in session are saved beside it, under the names it reads them by,
  // in one set with it: the drawing never names a part file of another save.
  FileSet files;
  std::vector<std::pair<StoredModel*, std::string>> saved;
  for (const std::u16string& name : model->drawing.models) {
    StoredModel* part = stored_model_find(model_type_part, name);
    if (!part) continue;
    const std::string part_path = (std::filesystem::path(folder_of(path)) / drawing_part_file_name(name)).string();
    model_files_add(*part, part_path, files);
    saved.emplace_back(part, part_path);
  }
  model_files_add(*model, path, files);
  saved.emplace_back(model, path);
  if (!files.commit(error)) return false;
  for (auto& [each, each_path] : saved) utf16_from_text(each_path, each->path);
  return true;
}

VynMdl host_model_read(const std::vector<std::string>& lines, const std::string& where,
                       std::string& error) {
  return model_read(lines, where, "", error);
}

VynMdl host_model_open(const std::string& path, std::string& error) {
  std::vector<std::string> lines;
  if (!read_lines(path, lines)) {
    error = path + ": cannot be read";
    return nullptr;
  }
  return model_read(lines, path, folder_of(path), error);
}

bool host_model_parse(const std::vector<std::string>& lines, const std::string& where,
                      std::string& error) {
  ModelFile file;
  return parse(lines, where, file, error);
}

std::string host_model_load_error() { return last_load_error(); }

std::string part_brep_path(const std::string& path) {
  return std::filesystem::path(path).replace_extension(".brep").string();
}

VynError host_model_load(const VynWchar* path, int type, VynMdl* model) {
  std::string& error = last_load_error();
  error.clear();
  if (!path || !model || (type != -1 && type != model_type_part && type != model_type_drawing))
    return VYN_TK_BAD_INPUTS;
  std::u16string wide_path;
  for (std::size_t i = 0; path[i] != 0; ++i) {
    if (i + 1 >= static_cast<std::size_t>(VYN_PATH_SIZE)) return VYN_TK_BAD_INPUTS;
    wide_path.push_back(path[i]);
  }
  if (wide_path.empty()) return VYN_TK_BAD_INPUTS;
  std::string where = utf8_from_utf16(wide_path);
  char posix[w32::W32_PATH_CAPACITY];
  if (!w32::w32_resolve_path_w(path, posix, sizeof posix)) {
    w32::DWORD reason = w32::GetLastError();
    error = where + ": path does not resolve";
    bool missing = reason == w32::ERROR_PATH_NOT_FOUND || reason == w32::ERROR_FILE_NOT_FOUND;
    return missing ? VYN_TK_E_NOT_FOUND : VYN_TK_BAD_INPUTS;
  }
  std::vector<std::string> lines;
  if (!read_lines(posix, lines)) {
    error = where + ": no such file";
    return VYN_TK_E_NOT_FOUND;
  }
  ModelFile file;
  if (!parse(lines, where, file, error)) return VYN_TK_GENERAL_ERROR;
  if (type != -1 && file.type != type) {
    error = where + ": holds a " + type_word(file.type);
    return VYN_TK_BAD_INPUTS;
  }
  // A model of that name already in session is the one the caller gets.
  if (StoredModel* existing = stored_model_find(file.type, file.name)) {
    *model = existing->handle;
    return VYN_TK_NO_ERROR;
  }
  StoredModel* loaded = model_from_file(std::move(file), wide_path, where, folder_of(posix), error);
  if (!loaded) return VYN_TK_GENERAL_ERROR;
  *model = loaded->handle;
  notify_model_retrieved(loaded->handle);
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
