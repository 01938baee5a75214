// The report of the session's models that yrlhost prints after a scenario.
#include "host/store/model_report.h"

#include <algorithm>
#include <cstdio>

#include "host/store/feature_build.h"
#include "host/store/model_store.h"

namespace yrlhost {
namespace {

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

std::string point(const double* p) { return "(" + number(p[0]) + ", " + number(p[1]) + ", " + number(p[2]) + ")"; }

std::string text(const std::u16string& wide) { return utf8_from_utf16(wide); }

std::string view_text(int view) {
  return view == view_background ? "background" : view == view_overlay ? "overlay" : std::to_string(view);
}

std::string colour_text(const VynColor& colour) {
  switch (colour.method) {
    case 1: return "type " + std::to_string(colour.value.type);
    case 2: return "rgb " + number(colour.value.rgb[0]) + " " + number(colour.value.rgb[1]) + " " +
                   number(colour.value.rgb[2]);
    default: return "default";
  }
}

std::string curve_text(const DraftCurve& curve) {
  const VynCurvedata& r = curve.record;
  switch (r.point.type) {
    case VYN_CURVE_POINT: return "point " + point(r.point.pos);
    case VYN_CURVE_LINE: return "line " + point(r.line.end1) + " " + point(r.line.end2);
    case VYN_CURVE_ARC: {
      const VynArcCurve& a = r.arc;
      if (a.end_angle == full_circle_sweep) return "circle " + point(a.origin) + " radius " + number(a.radius);
      double start[3], end[3];
      draft_curve_point(curve, 0, start);
      draft_curve_point(curve, 1, end);
      return "arc " + point(a.origin) + " radius " + number(a.radius) + " from " + point(start) + " to " +
             point(end);
    }
    default: {
      double start[3], end[3];
      draft_curve_point(curve, 0, start);
      draft_curve_point(curve, 1, end);
      return "spline of " + std::to_string(curve.spline.size()) + " points " + point(start) + " to " + point(end);
    }
  }
}

std::string status_text(int status) { return status == layer_status_blank ? "blank" : "shown"; }

std::string lines_text(const std::vector<std::u16string>& lines) {
  std::string joined;
  for (const std::u16string& line : lines) joined += (joined.empty() ? "\"" : " | \"") + text(line) + "\"";
  return joined;
}

// A table under a title: its rows padded to columns, the last column left as it is.
void table(std::vector<std::string>& out, const std::string& title,
           const std::vector<std::vector<std::string>>& rows) {
  if (rows.size() <= 1) {
    out.push_back("    " + title + ": none");
    return;
  }
  out.push_back("    " + title + ":");
  std::vector<std::size_t> widths;
  for (const auto& row : rows)
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (widths.size() <= i) widths.push_back(0);
      widths[i] = std::max(widths[i], row[i].size());
    }
  for (const auto& row : rows) {
    std::string line = "     ";
    for (std::size_t i = 0; i < row.size(); ++i)
      line += " " + (i + 1 < row.size() ? row[i] + std::string(widths[i] - row[i].size(), ' ') : row[i]);
    out.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
  }
}

void drawing_report(const StoredModel& model, std::vector<std::string>& out) {
  const DrawingContent& c = model.drawing;
  out.push_back("  drawing " + text(model.name) + " (" + model.units + "), current sheet " +
                std::to_string(c.current_sheet));
  std::vector<std::vector<std::string>> rows = {{"sheet", "size", "scale", "transform"}};
  for (const DrawingSheet& sheet : c.sheets) {
    std::string transform;
    for (const auto& row : sheet.transform)
      transform += (transform.empty() ? "" : " / ") + number(row[0]) + " " + number(row[1]) + " " +
                   number(row[2]) + " " + number(row[3]);
    rows.push_back({std::to_string(sheet.number), text(sheet.size), number(sheet.scale), transform});
  }
  table(out, "sheets", rows);

  rows = {{"part", "sheet", "scale"}};
  for (const std::u16string& part : c.models) {
    bool any = false;
    for (const DrawingScale& scale : c.scales)
      if (scale.model == part) {
        rows.push_back({text(part), std::to_string(scale.sheet), number(scale.scale)});
        any = true;
      }
    if (!any) rows.push_back({text(part), "-", "-"});
  }
  table(out, "models and scales", rows);

  rows = {{"id", "name", "sheet", "parent", "part", "scale", "position"}};
  for (const DrawingView& view : c.views)
    rows.push_back({std::to_string(view.id), text(view.name), std::to_string(view.sheet),
                    view.parent ? std::to_string(view.parent) : "-", text(view.model), number(view.scale),
                    point(view.position)});
  table(out, "views", rows);

  rows = {{"id", "sheet", "view", "colour", "hidden", "curve"}};
  for (const auto& [id, entity] : c.entities)
    rows.push_back({std::to_string(id), std::to_string(entity.sheet), view_text(entity.view),
                    colour_text(entity.colour), stored_item_hidden(model.handle, item_type_draft_entity, id) ? "yes" : "no",
                    curve_text(entity.curve)});
  table(out, "entities", rows);

  rows = {{"id", "sheet", "view", "colour", "attachment", "text"}};
  for (const auto& [id, note] : c.notes) {
    const NoteAttachment& a = note.attachment;
    std::string where = a.kind == attach_on_item
                            ? "on " + std::to_string(a.entity) + " at " + number(a.parameter)
                            : "free at " + point(a.location);
    rows.push_back({std::to_string(id), std::to_string(note.sheet), view_text(note.view), colour_text(note.colour),
                    where, lines_text(note.lines)});
  }
  table(out, "notes", rows);

  rows = {{"id", "sheet", "view", "colour", "position", "symbol"}};
  for (const auto& [id, symbol] : c.symbols)
    rows.push_back({std::to_string(id), std::to_string(symbol.sheet), view_text(symbol.view),
                    colour_text(symbol.colour), point(symbol.position), text(symbol.name)});
  table(out, "symbols", rows);

  rows = {{"id", "sheet", "view", "type", "value", "position", "attached", "text"}};
  for (const auto& [id, dimension] : c.dimensions) {
    std::string attached;
    for (const DimensionAttachment& a : dimension.attachments)
      attached += (attached.empty() ? "" : ",") + std::to_string(a.entity) + (a.side ? "/" + std::to_string(a.side) : "");
    rows.push_back({std::to_string(id), std::to_string(dimension.sheet), view_text(dimension.view),
                    std::to_string(dimension.type), number(dimension.value), point(dimension.position),
                    attached.empty() ? "-" : attached, lines_text(dimension.lines)});
  }
  table(out, "dimensions", rows);

  rows = {{"id", "name", "status", "saved", "items"}};
  for (const auto& [id, layer] : c.layers) {
    std::string items;
    for (const LayerMember& item : layer.items)
      items += (items.empty() ? "" : ", ") + std::string(drawing_item_word(item.type)) + " " + std::to_string(item.id);
    rows.push_back({std::to_string(id), text(layer.name), status_text(layer.status), status_text(layer.saved_status),
                    items.empty() ? "-" : items});
  }
  table(out, "layers", rows);
}

std::string feature_status_text(int status) {
  switch (status) {
    case feature_status_active: return "active";
    case feature_status_incomplete: return "incomplete";
    case feature_status_failed: return "failed";
    default: return std::to_string(status);
  }
}

void part_report(const StoredModel& model, std::vector<std::string>& out) {
  out.push_back("  part " + text(model.name) + " (" + model.units + "), " + std::to_string(model.features.size()) +
                " features");
  std::vector<std::vector<std::string>> rows = {{"id", "type", "name", "status"}};
  for (const StoredFeature& feature : model.features)
    rows.push_back({std::to_string(feature.id), std::to_string(feature.type),
                    feature.name.empty() ? "-" : text(feature.name), feature_status_text(feature.status)});
  table(out, "features", rows);
  if (model.solid.empty()) {
    out.push_back("    solid: none");
    return;
  }
  const geom::SolidSummary s = geom::solid_summary(model.solid);
  out.push_back("    solid: volume " + number(s.volume) + ", solids " + std::to_string(s.solids) + ", faces " +
                std::to_string(s.faces) + ", box " +
                point(s.box.min.data()) + " - " + point(s.box.max.data()));
}

}  // namespace

std::vector<std::string> host_models_report() {
  std::vector<std::string> out;
  for (const StoredModel* model : stored_models()) {
    if (model->type == model_type_drawing) {
      drawing_report(*model, out);
    } else {
      part_report(*model, out);
    }
  }
  return out;
}

}  // namespace yrlhost
