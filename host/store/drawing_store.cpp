// A drawing's content in the model store: sheets, views, the items of a drawing and
// their rules, and the host-side functions over them (host/store/drawings.h).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/display/graphics.h"
#include "host/util/host_arrays.h"
#include "host/store/model_store.h"

namespace yrlhost {
namespace {

// How far from exact the unit, perpendicular and in-plane tests of an arc's axes may be.
constexpr double axis_tolerance = 1e-6;

bool finite3(const double* v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

double dot3(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool finite_matrix(const double m[4][4]) {
  for (int r = 0; r < 4; ++r)
    if (!finite3(m[r]) || !std::isfinite(m[r][3])) return false;
  return true;
}

// Text lines hold no line break and no NUL, so that a file keeps each on a line.
bool text_lines_fit(const std::vector<std::u16string>& lines) {
  return std::none_of(lines.begin(), lines.end(), [](const std::u16string& line) {
    return line.find(u'\n') != std::u16string::npos || line.find(u'\r') != std::u16string::npos ||
           line.find(u'\0') != std::u16string::npos;
  });
}

VynCurvedata zero_record(int type) {
  VynCurvedata record;
  std::memset(&record, 0, sizeof record);
  record.point.type = type;
  return record;
}

template <typename Map>
std::vector<int> ids_on_sheet(const Map& items, int sheet) {
  std::vector<int> ids;
  for (const auto& [id, item] : items)
    if (sheet == -1 || item.sheet == sheet) ids.push_back(id);
  return ids;
}

bool content_item_live(const DrawingContent& content, int type, int id) {
  switch (type) {
    case item_type_draft_entity: return content.entities.count(id) == 1;
    case item_type_note: return content.notes.count(id) == 1;
    case item_type_symbol: return content.symbols.count(id) == 1;
    case item_type_dimension: return content.dimensions.count(id) == 1;
    case item_type_layer: return content.layers.count(id) == 1;
    default: return false;
  }
}

// An item of a drawing as its owner sees it.
bool item_still_live(const VynModelitem& item) {
  StoredModel* model = stored_drawing(item.owner);
  return model && drawing_item_live(*model, item.type, item.id);
}

std::vector<double> draw_point(const double* p) { return {p[0], p[1], p[2]}; }

}  // namespace

// ---- Store ---------------------------------------------------------------------------

StoredModel* stored_drawing(VynMdl drawing) {
  StoredModel* model = stored_model(drawing);
  return model && model->type == model_type_drawing ? model : nullptr;
}

DrawingContent drawing_content_new() {
  DrawingContent content;
  DrawingSheet sheet;
  sheet.background = stored_view_handle_new();
  sheet.overlay = stored_view_handle_new();
  content.sheets.push_back(sheet);
  return content;
}

DrawingContent drawing_content_copy(const DrawingContent& content) {
  DrawingContent copy = content;
  for (DrawingSheet& sheet : copy.sheets) {
    sheet.background = stored_view_handle_new();
    sheet.overlay = stored_view_handle_new();
  }
  for (DrawingView& view : copy.views) view.handle = stored_view_handle_new();
  return copy;
}

DrawingSheet* drawing_sheet(StoredModel& model, int number) {
  for (DrawingSheet& sheet : model.drawing.sheets)
    if (sheet.number == number) return &sheet;
  return nullptr;
}

DrawingView* drawing_view_by_id(StoredModel& model, int id) {
  for (DrawingView& view : model.drawing.views)
    if (view.id == id) return &view;
  return nullptr;
}

std::optional<ViewPlace> drawing_view_place(const StoredModel& model, VynView view) {
  if (!view) return std::nullopt;
  for (const DrawingSheet& sheet : model.drawing.sheets) {
    if (sheet.background == view) return ViewPlace{sheet.number, view_background};
    if (sheet.overlay == view) return ViewPlace{sheet.number, view_overlay};
  }
  for (const DrawingView& stored : model.drawing.views)
    if (stored.handle == view) return ViewPlace{stored.sheet, stored.id};
  return std::nullopt;
}

VynView drawing_view_handle(const StoredModel& model, int sheet, int view) {
  for (const DrawingSheet& stored : model.drawing.sheets) {
    if (stored.number != sheet) continue;
    if (view == view_background) return stored.background;
    if (view == view_overlay) return stored.overlay;
  }
  for (const DrawingView& stored : model.drawing.views)
    if (stored.id == view && stored.sheet == sheet) return stored.handle;
  return nullptr;
}

std::string drawing_curve_problem(const DraftCurve& curve) {
  const VynCurvedata& r = curve.record;
  switch (r.point.type) {
    case VYN_CURVE_POINT:
      return finite3(r.point.pos) ? "" : "a point's position is not finite";
    case VYN_CURVE_LINE:
      return finite3(r.line.end1) && finite3(r.line.end2) ? "" : "a line's ends are not finite";
    case VYN_CURVE_ARC: {
      const VynArcCurve& a = r.arc;
      if (!finite3(a.vec1) || !finite3(a.vec2) || !finite3(a.origin) ||
          !std::isfinite(a.start_angle))
        return "an arc's axes, origin or start angle are not finite";
      if (!(a.radius > 0) || !std::isfinite(a.radius)) return "an arc's radius is not positive";
      if (!(a.end_angle > 0 && a.end_angle <= full_circle_sweep))
        return "an arc's sweep (its end angle) is not in (0, 2 pi]";
      if (std::fabs(std::sqrt(dot3(a.vec1, a.vec1)) - 1) > axis_tolerance ||
          std::fabs(std::sqrt(dot3(a.vec2, a.vec2)) - 1) > axis_tolerance)
        return "an arc's axes are not unit vectors";
      if (std::fabs(a.vec1[2]) > axis_tolerance ||
          std::fabs(a.vec2[0] + a.vec1[1]) > axis_tolerance ||
          std::fabs(a.vec2[1] - a.vec1[0]) > axis_tolerance || std::fabs(a.vec2[2]) > axis_tolerance)
        return "an arc's second axis is not its first turned a quarter counter-clockwise in the sheet";
      return "";
    }
    case VYN_CURVE_SPLINE: {
      if (curve.spline.size() < 2) return "a spline has fewer than 2 points";
      for (std::size_t i = 0; i < curve.spline.size(); ++i) {
        const SplineKnot& knot = curve.spline[i];
        if (!std::isfinite(knot.parameter) || !finite3(knot.point) || !finite3(knot.tangent))
          return "a spline's parameters, points or tangents are not finite";
        if (i > 0 && !(knot.parameter > curve.spline[i - 1].parameter))
          return "a spline's parameters do not increase";
      }
      return "";
    }
    default:
      return "curve type " + std::to_string(r.point.type) +
             " is not a point (1), line (2), arc (3) or spline (12)";
  }
}

std::string drawing_colour_problem(const VynColor& colour) {
  return host_colour_valid(colour) ? ""
                                   : "a colour is not the default (0), a colour type (1) or "
                                     "red, green and blue in 0..1 (2)";
}

std::string drawing_place_problem(const DrawingContent& content, int sheet, int view) {
  bool sheet_known = std::any_of(content.sheets.begin(), content.sheets.end(),
                                 [sheet](const DrawingSheet& s) { return s.number == sheet; });
  if (!sheet_known) return "sheet " + std::to_string(sheet) + " does not exist";
  if (view == view_background || view == view_overlay) return "";
  for (const DrawingView& stored : content.views)
    if (stored.id == view && stored.sheet == sheet) return "";
  return "view " + std::to_string(view) + " is not a view of sheet " + std::to_string(sheet);
}

std::string drawing_sheet_problem(const DrawingSheet& sheet) {
  bool one_word = !sheet.size.empty() && sheet.size.size() <= host_name_max &&
                  std::none_of(sheet.size.begin(), sheet.size.end(),
                               [](char16_t c) { return c <= u' ' || c == 0x7f; });
  if (!one_word) return "a sheet size is one word of 1 to 31 characters";
  if (!(sheet.scale > 0) || !std::isfinite(sheet.scale)) return "a sheet's scale is not positive";
  if (!finite_matrix(sheet.transform)) return "a sheet's transform is not finite";
  return "";
}

std::string drawing_view_problem(const DrawingContent& content, const DrawingView& view) {
  if (!std::any_of(content.sheets.begin(), content.sheets.end(),
                   [&view](const DrawingSheet& s) { return s.number == view.sheet; }))
    return "sheet " + std::to_string(view.sheet) + " does not exist";
  if (std::find(content.models.begin(), content.models.end(), view.model) == content.models.end())
    return "the view's part is not a model of the drawing";
  if (view.name.empty() || view.name.size() > host_name_max) return "a view name is 1 to 31 characters";
  for (const DrawingView& other : content.views)
    if (other.name == view.name) return "the drawing has a view of that name already";
  if (view.parent != 0 &&
      std::none_of(content.views.begin(), content.views.end(),
                   [&view](const DrawingView& other) { return other.id == view.parent; }))
    return "parent view " + std::to_string(view.parent) + " does not exist";
  if (!finite3(view.position) || !finite_matrix(view.orientation) || !(view.scale > 0) ||
      !std::isfinite(view.scale))
    return "a view's position, scale or orientation is not finite, or its scale not positive";
  return "";
}

std::string drawing_entity_problem(const DrawingContent& content, const DraftEntity& entity) {
  std::string problem = drawing_curve_problem(entity.curve);
  if (problem.empty()) problem = drawing_place_problem(content, entity.sheet, entity.view);
  if (problem.empty()) problem = drawing_colour_problem(entity.colour);
  return problem;
}

std::string drawing_note_problem(const DrawingContent& content, const DraftNote& note) {
  const NoteAttachment& attachment = note.attachment;
  if (attachment.kind == attach_free) {
    if (!finite3(attachment.location)) return "a note's location is not finite";
  } else if (attachment.kind == attach_on_item) {
    if (!content.entities.count(attachment.entity))
      return "a note hangs on entity " + std::to_string(attachment.entity) + ", which does not exist";
    if (!(attachment.parameter >= 0 && attachment.parameter <= 1))
      return "a note's parameter is not in [0, 1]";
  } else {
    return "attachment kind " + std::to_string(attachment.kind) + " is neither free (0) nor on an item (2)";
  }
  if (!text_lines_fit(note.lines)) return "a text line holds a line break or NUL";
  std::string problem = drawing_place_problem(content, note.sheet, note.view);
  return problem.empty() ? drawing_colour_problem(note.colour) : problem;
}

void drawing_note_locate(const DrawingContent& content, DraftNote& note) {
  NoteAttachment& attachment = note.attachment;
  if (attachment.kind == attach_on_item)
    draft_curve_point(content.entities.at(attachment.entity).curve, attachment.parameter,
                      attachment.location);
}

std::string drawing_symbol_problem(const DrawingContent& content, const SymbolInstance& symbol) {
  if (symbol.name.empty() || symbol.name.size() > host_name_max)
    return "a symbol's definition name is 1 to 31 characters";
  if (!finite3(symbol.position)) return "a symbol's position is not finite";
  std::string problem = drawing_place_problem(content, symbol.sheet, symbol.view);
  return problem.empty() ? drawing_colour_problem(symbol.colour) : problem;
}

std::string drawing_dimension_problem(const DrawingContent& content, const DrawingDimension& dimension) {
  const int type = dimension.type;
  if (type != dimension_linear && type != dimension_radius && type != dimension_diameter &&
      type != dimension_angle)
    return "dimension type " + std::to_string(type) +
           " is not linear (9), radius (3), diameter (4) or angle (21)";
  if (!std::isfinite(dimension.value) || !finite3(dimension.position))
    return "a dimension's value or position is not finite";
  if (!text_lines_fit(dimension.lines)) return "a text line holds a line break or NUL";
  for (const DimensionAttachment& attachment : dimension.attachments) {
    if (!content.entities.count(attachment.entity))
      return "a dimension is attached to entity " + std::to_string(attachment.entity) +
             ", which does not exist";
    if (attachment.side < 0 || attachment.side > 2)
      return "an attachment's side is not 0 (the entity), 1 or 2 (an end)";
  }
  return drawing_place_problem(content, dimension.sheet, dimension.view);
}

std::string drawing_layer_member_problem(const DrawingContent& content, const LayerMember& item) {
  const int type = item.type;
  if (type != item_type_draft_entity && type != item_type_note && type != item_type_symbol &&
      type != item_type_dimension)
    return "item type " + std::to_string(type) +
           " is not an entity (77), note (68), symbol instance (76) or dimension (8)";
  return content_item_live(content, type, item.id)
             ? ""
             : "the drawing has no item " + std::to_string(type) + " " + std::to_string(item.id);
}

std::string drawing_layer_problem(const DrawingContent& content, const DrawingLayer& layer) {
  if (layer.name.empty() || layer.name.size() > host_name_max) return "a layer name is 1 to 31 characters";
  for (const auto& [id, other] : content.layers)
    if (id != layer.id && other.name == layer.name) return "the drawing has a layer of that name already";
  for (int status : {layer.status, layer.saved_status})
    if (status != layer_status_shown && status != layer_status_blank)
      return "display status " + std::to_string(status) + " is neither shown (1) nor blank (3)";
  return "";
}

bool drawing_curve_from_record(const VynCurvedata& record, DraftCurve& curve,
                               std::string& error) {
  DraftCurve read;
  read.record = zero_record(record.point.type);
  VynCurvedata& r = read.record;
  switch (record.point.type) {
    case VYN_CURVE_POINT:
      std::copy_n(record.point.pos, 3, r.point.pos);
      break;
    case VYN_CURVE_LINE:
      std::copy_n(record.line.end1, 3, r.line.end1);
      std::copy_n(record.line.end2, 3, r.line.end2);
      break;
    case VYN_CURVE_ARC:
      std::copy_n(record.arc.vec1, 3, r.arc.vec1);
      std::copy_n(record.arc.vec2, 3, r.arc.vec2);
      std::copy_n(record.arc.origin, 3, r.arc.origin);
      r.arc.start_angle = record.arc.start_angle;
      r.arc.end_angle = record.arc.end_angle;
      r.arc.radius = record.arc.radius;
      break;
    case VYN_CURVE_SPLINE: {
      const VynSplineCurve& s = record.spline;
      int n = s.num_points;
      if (host_array_size(s.params) != n || host_array_size(s.points) != n ||
          host_array_size(s.tangents) != n || host_array_element_size(s.params) != sizeof(double) ||
          host_array_element_size(s.points) != 3 * sizeof(double) ||
          host_array_element_size(s.tangents) != 3 * sizeof(double)) {
        error = "a spline's arrays are not host arrays of its point count (doubles, points, vectors)";
        return false;
      }
      const auto* params = static_cast<const double*>(s.params);
      const auto* points = static_cast<const double*>(s.points);
      const auto* tangents = static_cast<const double*>(s.tangents);
      for (int i = 0; i < n; ++i) {
        SplineKnot knot;
        knot.parameter = params[i];
        std::copy_n(points + 3 * i, 3, knot.point);
        std::copy_n(tangents + 3 * i, 3, knot.tangent);
        read.spline.push_back(knot);
      }
      break;
    }
    default:
      break;
  }
  error = drawing_curve_problem(read);
  if (!error.empty()) return false;
  curve = std::move(read);
  return true;
}

int drawing_item_id_take(StoredModel& model, int wanted, std::string& error) {
  if (wanted == 0) return model.next_item_id++;
  if (wanted < model.next_item_id) {
    error = "id " + std::to_string(wanted) + " is not above every id the drawing has used";
    return -1;
  }
  model.next_item_id = wanted + 1;
  return wanted;
}

std::vector<int> drawing_item_ids(const StoredModel& model, int type, int sheet) {
  const DrawingContent& content = model.drawing;
  switch (type) {
    case item_type_draft_entity: return ids_on_sheet(content.entities, sheet);
    case item_type_note: return ids_on_sheet(content.notes, sheet);
    case item_type_symbol: return ids_on_sheet(content.symbols, sheet);
    case item_type_dimension: return ids_on_sheet(content.dimensions, sheet);
    case item_type_layer: {
      std::vector<int> ids;
      for (const auto& [id, layer] : content.layers) ids.push_back(id);
      return ids;
    }
    default: return {};
  }
}

bool drawing_item_live(const StoredModel& model, int type, int id) { return content_item_live(model.drawing, type, id); }

std::vector<VynModelitem> drawing_items(const StoredModel& model, int type, int sheet) {
  std::vector<VynModelitem> items;
  for (int id : drawing_item_ids(model, type, sheet)) items.push_back(VynModelitem{type, id, model.handle});
  return items;
}

VynError drawing_visit(const StoredModel& model, int type, int sheet, VynModelitemVisitAction action,
                       VynModelitemFilterAction filter, void* app_data) {
  return visit_items(drawing_items(model, type, sheet), action, filter, app_data, item_still_live);
}

// An item that leaves the drawing leaves its layers and the windows.
void drawing_item_erased(StoredModel& model, int type, int id) {
  for (auto& [layer_id, layer] : model.drawing.layers) std::erase(layer.items, LayerMember{type, id});
  display_list_item_erase(VynModelitem{type, id, model.handle});
}

// What an entity looks like drawn: one entry for a point, line, arc or full circle, and
// a chain of short lines along a spline.
std::vector<DrawEntry> draft_entity_drawing(VynMdl drawing, const DraftEntity& entity) {
  std::vector<DrawEntry> entries;
  DrawEntry entry;
  entry.colour = entity.colour;
  entry.item = VynModelitem{item_type_draft_entity, entity.id, drawing};
  const VynCurvedata& r = entity.curve.record;
  switch (r.point.type) {
    case VYN_CURVE_POINT:
      entry.kind = DrawKind::point;
      entry.points = {draw_point(r.point.pos)};
      entries.push_back(entry);
      break;
    case VYN_CURVE_LINE:
      entry.kind = DrawKind::line;
      entry.points = {draw_point(r.line.end1), draw_point(r.line.end2)};
      entries.push_back(entry);
      break;
    case VYN_CURVE_ARC: {
      const VynArcCurve& a = r.arc;
      entry.radius = a.radius;
      if (a.end_angle == full_circle_sweep) {
        entry.kind = DrawKind::circle;
        entry.points = {draw_point(a.origin)};
      } else {
        // The arc runs counter-clockwise from the first vector to the second.
        entry.kind = DrawKind::arc;
        std::vector<double> ends[2];
        for (int end = 0; end < 2; ++end) {
          double angle = a.start_angle + end * a.end_angle;
          for (int i = 0; i < 3; ++i)
            ends[end].push_back(std::cos(angle) * a.vec1[i] + std::sin(angle) * a.vec2[i]);
        }
        entry.points = {draw_point(a.origin), ends[0], ends[1]};
      }
      entries.push_back(entry);
      break;
    }
    case VYN_CURVE_SPLINE: {
      entry.kind = DrawKind::line;
      constexpr int steps_per_segment = 8;
      const int steps = steps_per_segment * static_cast<int>(entity.curve.spline.size() - 1);
      double from[3], to[3];
      draft_curve_point(entity.curve, 0, from);
      for (int step = 1; step <= steps; ++step) {
        draft_curve_point(entity.curve, static_cast<double>(step) / steps, to);
        entry.points = {draw_point(from), draw_point(to)};
        entries.push_back(entry);
        std::memcpy(from, to, sizeof from);
      }
      break;
    }
    default:
      break;
  }
  return entries;
}

// ---- Layers --------------------------------------------------------------------------

DrawingLayer* drawing_layer_named(StoredModel& model, const std::u16string& name) {
  for (auto& [id, layer] : model.drawing.layers)
    if (layer.name == name) return &layer;
  return nullptr;
}

void drawing_layer_item_put(StoredModel& model, DrawingLayer& layer, const LayerMember& item) {
  if (std::find(layer.items.begin(), layer.items.end(), item) != layer.items.end()) return;
  layer.items.push_back(item);
  if (layer.status == layer_status_blank)
    display_list_item_erase(VynModelitem{item.type, item.id, model.handle});
}

void drawing_layer_status_set(StoredModel& model, DrawingLayer& layer, int status) {
  layer.status = status;
  if (status != layer_status_blank) return;
  for (const LayerMember& item : layer.items)
    display_list_item_erase(VynModelitem{item.type, item.id, model.handle});
}

void drawing_entity_erase(StoredModel& model, int id) {
  DrawingContent& content = model.drawing;
  auto found = content.entities.find(id);
  if (found == content.entities.end()) return;
  DraftCurve curve = found->second.curve;
  content.entities.erase(found);
  for (auto& [note_id, note] : content.notes) {
    NoteAttachment& attachment = note.attachment;
    if (attachment.kind != attach_on_item || attachment.entity != id) continue;
    draft_curve_point(curve, attachment.parameter, attachment.location);
    attachment = NoteAttachment{attach_free, {attachment.location[0], attachment.location[1],
                                              attachment.location[2]}, 0, 0};
  }
  for (auto& [dimension_id, dimension] : content.dimensions)
    std::erase_if(dimension.attachments, [id](const DimensionAttachment& a) { return a.entity == id; });
  drawing_item_erased(model, item_type_draft_entity, id);
}

void drawing_view_erase(StoredModel& model, int id) {
  DrawingContent& content = model.drawing;
  for (const DrawingView& child : std::vector<DrawingView>(content.views))
    if (child.parent == id) drawing_view_erase(model, child.id);
  for (int entity : drawing_item_ids(model, item_type_draft_entity, -1))
    if (content.entities.at(entity).view == id) drawing_entity_erase(model, entity);
  auto erase_on_view = [&model, id](auto& items, int type) {
    for (auto it = items.begin(); it != items.end();) {
      if (it->second.view != id) {
        ++it;
        continue;
      }
      int item = it->first;
      it = items.erase(it);
      drawing_item_erased(model, type, item);
    }
  };
  erase_on_view(content.notes, item_type_note);
  erase_on_view(content.symbols, item_type_symbol);
  erase_on_view(content.dimensions, item_type_dimension);
  std::erase_if(content.views, [id](const DrawingView& view) { return view.id == id; });
}

// ---- Queries -------------------------------------------------------------------------

const DrawingContent* host_drawing(VynMdl drawing) {
  StoredModel* model = stored_drawing(drawing);
  return model ? &model->drawing : nullptr;
}

bool stored_item_exists(VynMdl handle, int type, int id) {
  StoredModel* model = stored_model(handle);
  if (!model) return false;
  if (type == model->type && id == model->id) return true;
  if (model->type == model_type_drawing) return drawing_item_live(*model, type, id);
  if (type == item_type_feature) return stored_feature(*model, id) != nullptr;
  if (type == item_type_surface)
    for (const StoredFeature& feature : model->features)
      for (const StoredSurface& surface : feature.surfaces)
        if (surface.id == id) return true;
  return false;
}

bool stored_item_hidden(VynMdl handle, int type, int id) {
  StoredModel* model = stored_drawing(handle);
  if (!model || type == item_type_layer || !drawing_item_live(*model, type, id)) return false;
  if (type == item_type_draft_entity && model->drawing.entities.at(id).hidden) return true;
  const LayerMember item{type, id};
  return std::any_of(model->drawing.layers.begin(), model->drawing.layers.end(), [&item](const auto& entry) {
    const DrawingLayer& layer = entry.second;
    return layer.status == layer_status_blank &&
           std::find(layer.items.begin(), layer.items.end(), item) != layer.items.end();
  });
}

const char* drawing_item_word(int type) {
  switch (type) {
    case item_type_draft_entity: return "entity";
    case item_type_note: return "note";
    case item_type_symbol: return "symbol";
    case item_type_dimension: return "dimension";
    default: return "";
  }
}

// ---- Curves --------------------------------------------------------------------------

DraftCurve draft_point(const double point[3]) {
  DraftCurve curve;
  curve.record = zero_record(VYN_CURVE_POINT);
  std::copy_n(point, 3, curve.record.point.pos);
  return curve;
}

DraftCurve draft_line(const double end1[3], const double end2[3]) {
  DraftCurve curve;
  curve.record = zero_record(VYN_CURVE_LINE);
  std::copy_n(end1, 3, curve.record.line.end1);
  std::copy_n(end2, 3, curve.record.line.end2);
  return curve;
}

DraftCurve draft_arc(const double origin[3], double radius, double start, double sweep) {
  DraftCurve curve;
  curve.record = zero_record(VYN_CURVE_ARC);
  VynArcCurve& arc = curve.record.arc;
  double c = std::cos(start), s = std::sin(start);
  arc.vec1[0] = c;
  arc.vec1[1] = s;
  arc.vec2[0] = -s;
  arc.vec2[1] = c;
  std::copy_n(origin, 3, arc.origin);
  arc.end_angle = sweep;
  arc.radius = radius;
  return curve;
}

bool draft_curve_point(const DraftCurve& curve, double parameter, double point[3]) {
  const VynCurvedata& r = curve.record;
  switch (r.point.type) {
    case VYN_CURVE_POINT:
      std::copy_n(r.point.pos, 3, point);
      return true;
    case VYN_CURVE_LINE:
      for (int i = 0; i < 3; ++i)
        point[i] = r.line.end1[i] + parameter * (r.line.end2[i] - r.line.end1[i]);
      return true;
    case VYN_CURVE_ARC: {
      const VynArcCurve& a = r.arc;
      double angle = a.start_angle + parameter * a.end_angle;
      double c = std::cos(angle), s = std::sin(angle);
      for (int i = 0; i < 3; ++i) point[i] = a.origin[i] + a.radius * (c * a.vec1[i] + s * a.vec2[i]);
      return true;
    }
    case VYN_CURVE_SPLINE: {
      const std::vector<SplineKnot>& k = curve.spline;
      if (k.size() < 2) return false;
      double u = k.front().parameter + parameter * (k.back().parameter - k.front().parameter);
      std::size_t segment = 0;
      while (segment + 2 < k.size() && u >= k[segment + 1].parameter) ++segment;
      // Cubic Hermite between the segment's two points with their tangents.
      double h = k[segment + 1].parameter - k[segment].parameter;
      double s = (u - k[segment].parameter) / h, t = 1 - s;
      double h2 = s * t * t, h3 = -s * s * t, h0 = 2 * h2 + t * t, h1 = 1 - h0;
      for (int i = 0; i < 3; ++i)
        point[i] = h0 * k[segment].point[i] + h1 * k[segment + 1].point[i] +
                   h * (h2 * k[segment].tangent[i] + h3 * k[segment + 1].tangent[i]);
      return true;
    }
    default:
      return false;
  }
}

// ---- Host-side changes ---------------------------------------------------------------

namespace {

StoredModel* drawing_for_change(VynMdl drawing, std::string& error) {
  StoredModel* model = stored_drawing(drawing);
  if (!model) error = "not a drawing in session";
  return model;
}

// Adds an item that passed its check to its map under a new id; -1 with the reason.
template <typename Item>
int item_add(StoredModel& model, std::map<int, Item>& items, Item item, const std::string& problem,
             std::string& error) {
  error = problem;
  if (!error.empty()) return -1;
  int id = drawing_item_id_take(model, item.id, error);
  if (id < 0) return -1;
  item.id = id;
  items[id] = std::move(item);
  return id;
}

}  // namespace

int host_sheet_add(VynMdl drawing, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return -1;
  DrawingContent& content = model->drawing;
  DrawingSheet sheet = *drawing_sheet(*model, content.current_sheet);
  sheet.number = content.sheets.back().number + 1;
  sheet.background = stored_view_handle_new();
  sheet.overlay = stored_view_handle_new();
  sheet.regenerations = 0;
  content.sheets.push_back(sheet);
  return sheet.number;
}

bool host_sheet_set(VynMdl drawing, const DrawingSheet& sheet, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return false;
  DrawingSheet* stored = drawing_sheet(*model, sheet.number);
  error = stored ? drawing_sheet_problem(sheet) : "sheet " + std::to_string(sheet.number) + " does not exist";
  if (!error.empty()) return false;
  stored->size = sheet.size;
  stored->scale = sheet.scale;
  std::memcpy(stored->transform, sheet.transform, sizeof stored->transform);
  return true;
}

bool host_current_sheet_set(VynMdl drawing, int sheet, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return false;
  if (!drawing_sheet(*model, sheet)) {
    error = "sheet " + std::to_string(sheet) + " does not exist";
    return false;
  }
  model->drawing.current_sheet = sheet;
  return true;
}

bool host_drawing_model_add(VynMdl drawing, const std::u16string& part, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return false;
  std::vector<std::u16string>& models = model->drawing.models;
  if (part.empty() || part.size() > host_name_max) {
    error = "a part name is 1 to 31 characters";
    return false;
  }
  if (std::find(models.begin(), models.end(), part) != models.end()) {
    error = "the part is a model of the drawing already";
    return false;
  }
  models.push_back(part);
  return true;
}

int host_view_add(VynMdl drawing, const DrawingView& view, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return -1;
  error = drawing_view_problem(model->drawing, view);
  if (!error.empty()) return -1;
  DrawingView stored = view;
  stored.id = drawing_item_id_take(*model, view.id, error);
  if (stored.id < 0) return -1;
  stored.handle = stored_view_handle_new();
  model->drawing.views.push_back(stored);
  return stored.id;
}

int host_entity_add(VynMdl drawing, const DraftEntity& entity, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return -1;
  return item_add(*model, model->drawing.entities, entity,
                  drawing_entity_problem(model->drawing, entity), error);
}

bool host_entity_curve_set(VynMdl drawing, int id, const DraftCurve& curve, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return false;
  auto found = model->drawing.entities.find(id);
  if (found == model->drawing.entities.end()) {
    error = "no entity " + std::to_string(id);
    return false;
  }
  error = drawing_curve_problem(curve);
  if (!error.empty()) return false;
  found->second.curve = curve;
  return true;
}

bool host_entity_delete(VynMdl drawing, int id) {
  StoredModel* model = stored_drawing(drawing);
  if (!model || !model->drawing.entities.count(id)) return false;
  drawing_entity_erase(*model, id);
  return true;
}

int host_note_add(VynMdl drawing, const DraftNote& note, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return -1;
  std::string problem = drawing_note_problem(model->drawing, note);
  DraftNote located = note;
  if (problem.empty()) drawing_note_locate(model->drawing, located);
  return item_add(*model, model->drawing.notes, located, problem, error);
}

int host_symbol_add(VynMdl drawing, const SymbolInstance& symbol, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return -1;
  return item_add(*model, model->drawing.symbols, symbol,
                  drawing_symbol_problem(model->drawing, symbol), error);
}

int host_dimension_add(VynMdl drawing, const DrawingDimension& dimension, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return -1;
  return item_add(*model, model->drawing.dimensions, dimension,
                  drawing_dimension_problem(model->drawing, dimension), error);
}

int host_layer_add(VynMdl drawing, const DrawingLayer& layer, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return -1;
  DrawingLayer made;
  made.id = layer.id;
  made.name = layer.name;
  made.status = made.saved_status = layer.status;
  return item_add(*model, model->drawing.layers, made, drawing_layer_problem(model->drawing, made), error);
}

bool host_layer_item_add(VynMdl drawing, int layer, const LayerMember& item, std::string& error) {
  StoredModel* model = drawing_for_change(drawing, error);
  if (!model) return false;
  auto found = model->drawing.layers.find(layer);
  error = found == model->drawing.layers.end() ? "no layer " + std::to_string(layer)
                                               : drawing_layer_member_problem(model->drawing, item);
  if (!error.empty()) return false;
  drawing_layer_item_put(*model, found->second, item);
  return true;
}

}  // namespace yrlhost
