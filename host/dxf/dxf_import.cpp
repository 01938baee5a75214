// DXF drawings read with dxflib into the drawing store (host/dxf/dxf.h): dxflib reads the
// groups that dxf_groups.cpp checked, and its calls become draft entities, notes and
// dimensions of a new drawing.
#include "host/dxf/dxf.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <numbers>
#include <optional>
#include <sstream>

#include "host/store/drawings.h"
#include "host/dxf/dxf_read.h"
#include "host/store/model_store.h"
#include "host/util/text_read.h"

namespace yrlhost {
namespace {

constexpr double degree = std::numbers::pi / 180.0;

// ---- Units ---------------------------------------------------------------------------

struct UnitsChoice {
  const char* units;
  double scale;  // one file unit in the drawing's units
};

// $INSUNITS 0 to 24: inch-based units become INCH, metric ones MM; "none" (0) takes
// $MEASUREMENT (1 metric, else inch) at scale 1.
UnitsChoice units_of(int insunits, int measurement) {
  constexpr double survey = 1.0 / (39.37 * 0.0254);  // a US survey inch in inches
  static const UnitsChoice table[25] = {
      {"INCH", 1},         {"INCH", 1},        {"INCH", 12},        {"INCH", 63360},
      {"MM", 1},           {"MM", 10},         {"MM", 1e3},         {"MM", 1e6},
      {"INCH", 1e-6},      {"INCH", 1e-3},     {"INCH", 36},        {"MM", 1e-7},
      {"MM", 1e-6},        {"MM", 1e-3},       {"MM", 100},         {"MM", 1e4},
      {"MM", 1e5},         {"MM", 1e12},       {"MM", 1.495978707e14},
      {"MM", 9.4607304725808e18},              {"MM", 3.0856775814913673e19},
      {"INCH", 12 * survey}, {"INCH", survey}, {"INCH", 36 * survey}, {"INCH", 63360 * survey},
  };
  if (insunits == 0) return {measurement == 1 ? "MM" : "INCH", 1};
  return table[insunits];
}

// ---- Colours -------------------------------------------------------------------------

VynColor rgb(double r, double g, double b) { return host_rgb_colour(r, g, b); }

// Index 10 to 249: 24 hues 15 degrees apart (10 red), each in ten shades: value 1, 0.65,
// 0.5, 0.3, 0.15, each at saturation 1 and then 0.5.
VynColor palette_shade(int index) {
  static const double values[5] = {1, 0.65, 0.5, 0.3, 0.15};
  const int hue = (index - 10) / 10, shade = (index - 10) % 10;
  const double value = values[shade / 2], saturation = shade % 2 ? 0.5 : 1.0;
  const double h = hue * 15.0 / 60.0;  // the hue in sixths of the circle
  const double chroma = value * saturation, low = value - chroma;
  const double x = chroma * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = chroma, g = x; break;
    case 1: r = x, g = chroma; break;
    case 2: g = chroma, b = x; break;
    case 3: g = x, b = chroma; break;
    case 4: r = x, b = chroma; break;
    default: r = chroma, b = x; break;
  }
  return rgb(r + low, g + low, b + low);
}

// ---- Geometry ------------------------------------------------------------------------

// Where an entity of the object coordinate system lies: its extrusion direction is +z,
// -z (mirrored: x and z turn round), or out of the sheet's plane.
enum class Plane { up, down, other };

Plane plane_of(const DL_Extrusion& extrusion) {
  double d[3];
  extrusion.getDirection(d);
  double length = std::hypot(d[0], d[1], d[2]);
  if (!(length > 0) || std::hypot(d[0], d[1]) > 1e-9 * length) return Plane::other;
  return d[2] > 0 ? Plane::up : Plane::down;
}

// The angle (degrees) in [0, 360).
double turned(double angle) {
  double a = std::fmod(angle, 360.0);
  return a < 0 ? a + 360.0 : a;
}

// The sweep (radians) of an arc from start to end degrees counter-clockwise; equal
// angles make a full circle.
double sweep_of(double start, double end) {
  double sweep = turned(turned(end) - turned(start));
  if (sweep == 0) return full_circle_sweep;
  return std::min(sweep * degree, full_circle_sweep);
}

double distance(const double a[3], const double b[3]) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

// The angle (degrees, 0 to 180) between two directions; 0 when one has no length.
double angle_between(const double a[3], const double b[3]) {
  double la = std::hypot(a[0], a[1], a[2]), lb = std::hypot(b[0], b[1], b[2]);
  if (!(la > 0) || !(lb > 0)) return 0;
  double c = (a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) / (la * lb);
  return std::acos(std::clamp(c, -1.0, 1.0)) / degree;
}

// A polyline vertex in sheet coordinates with the bulge of the segment it starts.
struct Vertex {
  double point[3];
  double bulge;
};

// The segment from a to b: a line, or with a bulge (the tangent of a quarter of the
// included angle; positive counter-clockwise) an arc. Nothing for a segment without
// length.
bool segment_curve(const Vertex& a, const double b[3], DraftCurve& curve) {
  const double dx = b[0] - a.point[0], dy = b[1] - a.point[1];
  const double chord = std::hypot(dx, dy);
  if (!(chord > 0)) return false;
  const double bulge = a.bulge;
  if (std::fabs(bulge) < 1e-12) {
    curve = draft_line(a.point, b);
    return true;
  }
  // The centre lies off the chord's middle, along its left normal, by
  // chord/2 (1 - bulge^2) / (2 bulge).
  const double offset = chord / 2 * (1 - bulge * bulge) / (2 * bulge);
  const double centre[3] = {(a.point[0] + b[0]) / 2 - dy / chord * offset,
                            (a.point[1] + b[1]) / 2 + dx / chord * offset, a.point[2]};
  const double radius = chord * (1 + bulge * bulge) / (4 * std::fabs(bulge));
  const double* from = bulge > 0 ? a.point : b;  // arcs run counter-clockwise
  const double start = std::atan2(from[1] - centre[1], from[0] - centre[0]);
  const double sweep = std::min(4 * std::atan(std::fabs(bulge)), full_circle_sweep);
  curve = draft_arc(centre, radius, start, sweep);
  return true;
}

// A dimension's value as its text shows it: at most four decimals, no trailing zeros.
std::u16string value_text(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, std::fabs(value) < 1e15 ? "%.4f" : "%.6g", value);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return std::u16string(text.begin(), text.end());
}

// ---- The import ----------------------------------------------------------------------

struct PendingEntity {
  DraftEntity entity;
  std::size_t start = 0;  // index of the DXF entity
  std::u16string layer;
};

struct PendingNote {
  DraftNote note;
  std::size_t start = 0;
  std::u16string layer;
};

// What a dimension measures, for finding the entities it is attached to: two points
// (linear and aligned) or a circle (radius and diameter).
struct PendingDimension {
  DrawingDimension dimension;
  std::size_t start = 0;
  std::u16string layer;
  int points = 0;  // 2: ends[0] and ends[1]; 0: the circle; -1: nothing (angular)
  double ends[2][3] = {};
  double centre[3] = {};
  double radius = 0;
  // What the value measures, in sheet coordinates before the entity's placement: along
  // a direction between the ends (linear), straight between them (aligned, radius from
  // the centre ends[0], diameter), or the angle between two legs.
  enum class Measure { along, between, radius, diameter, angle } measure = Measure::between;
  double direction[3] = {};
  double legs[2][3] = {};
};

struct Failure {
  std::string text;
};

class Importer : public DL_CreationAdapter {
 public:
  Importer(const DxfGroups& groups, const std::string& where, DxfImport& import)
      : groups_(groups), where_(where), import_(import) {
    choose_units();
  }

  void setVariableInt(const std::string& key, int value, int) override {
    if (key == "$INSUNITS") insunits_ = value;
    if (key == "$MEASUREMENT") measurement_ = value;
    choose_units();
  }
  void setVariableString(const std::string& key, const std::string& value, int) override {
    if (key == "$ACADVER") version_ = value;
    if (key == "$DWGCODEPAGE") code_page_ = value;
    coding_ = dxf_text_coding(version_, code_page_);
  }

  void addLayer(const DL_LayerData& data) override {
    DxfLayer layer;
    layer.name = dxf_text_decode(data.name, coding_);
    int index = attributes.getColor();
    layer.off = index < 0;
    layer.frozen = (data.flags & 1) != 0;
    layer.colour = dxf_colour(std::abs(index), attributes.getColor24());
    import_.layers.push_back(layer);
  }

  void addPoint(const DL_PointData& data) override {
    std::size_t start = entity_start();
    const double p[3] = {data.x, data.y, data.z};
    add_curve(start, draft_point(scaled(p).data()));
  }

  void addLine(const DL_LineData& data) override {
    std::size_t start = entity_start();
    const double a[3] = {data.x1, data.y1, data.z1}, b[3] = {data.x2, data.y2, data.z2};
    add_curve(start, draft_line(scaled(a).data(), scaled(b).data()));
  }

  void addCircle(const DL_CircleData& data) override {
    std::size_t start = entity_start();
    Plane plane = plane_of(*getExtrusion());
    if (!in_plane(start, plane) || !radius_fits(start, data.radius)) return;
    const double c[3] = {data.cx, data.cy, data.cz};
    add_curve(start, draft_arc(sheet_point(c, plane).data(), data.radius * import_.scale, 0,
                               full_circle_sweep));
  }

  void addArc(const DL_ArcData& data) override {
    std::size_t start = entity_start();
    Plane plane = plane_of(*getExtrusion());
    if (!in_plane(start, plane) || !radius_fits(start, data.radius)) return;
    const double c[3] = {data.cx, data.cy, data.cz};
    // Seen from below, the arc from angle1 to angle2 runs from 180 - angle2 to 180 - angle1.
    double from = plane == Plane::up ? data.angle1 : 180.0 - data.angle2;
    double to = plane == Plane::up ? data.angle2 : 180.0 - data.angle1;
    add_curve(start, draft_arc(sheet_point(c, plane).data(), data.radius * import_.scale,
                               turned(from) * degree, sweep_of(from, to)));
  }

  // A polyline's vertices come in addVertex calls after it, up to endEntity (or
  // endSequence, or the next entity).
  void addPolyline(const DL_PolylineData& data) override {
    polyline_end();
    std::size_t start = entity_start();
    Polyline polyline;
    polyline.start = start;
    polyline.closed = (data.flags & 1) != 0;
    polyline.three_d = groups_.entities[start].type == "POLYLINE" && (data.flags & 8) != 0;
    polyline.plane = polyline.three_d ? Plane::up : plane_of(*getExtrusion());
    polyline.elevation = getExtrusion()->getElevation();
    polyline.look = look();
    polyline_ = polyline;
  }

  // A 3-D polyline's vertices lie in the drawing's coordinates and have no bulges; a
  // polyline out of the sheet's plane keeps none (it is left out at its end).
  void addVertex(const DL_VertexData& data) override {
    if (!polyline_ || polyline_->plane == Plane::other) return;
    Polyline& polyline = *polyline_;
    const double p[3] = {data.x, data.y, polyline.three_d ? data.z : polyline.elevation};
    Vertex vertex{};
    std::array<double, 3> point = sheet_point(p, polyline.plane);
    std::copy_n(point.data(), 3, vertex.point);
    vertex.bulge = polyline.three_d ? 0 : polyline.plane == Plane::down ? -data.bulge : data.bulge;
    polyline.vertices.push_back(vertex);
  }

  void endEntity() override { polyline_end(); }
  void endSequence() override { polyline_end(); }

  void addText(const DL_TextData& data) override {
    std::size_t start = entity_start();
    Plane plane = plane_of(*getExtrusion());
    if (!in_plane(start, plane)) return;
    const double p[3] = {data.ipx, data.ipy, data.ipz};
    add_note(start, dxf_text_lines(dxf_text_decode(data.text, coding_), false), sheet_point(p, plane));
  }

  void addMTextChunk(const std::string& text) override { mtext_chunks_ += text; }

  void addMText(const DL_MTextData& data) override {
    std::size_t start = entity_start();
    std::string raw = mtext_chunks_ + data.text;
    mtext_chunks_.clear();
    const double p[3] = {data.ipx, data.ipy, data.ipz};
    add_note(start, dxf_text_lines(dxf_text_decode(raw, coding_), true), scaled(p));
  }

  void addDimLinear(const DL_DimensionData& data, const DL_DimLinearData& linear) override {
    PendingDimension pending;
    if (!dimension_start(data, dimension_linear, pending)) return;
    set_ends(pending, linear.dpx1, linear.dpy1, linear.dpz1, linear.dpx2, linear.dpy2, linear.dpz2);
    // The angle is in the dimension's plane: seen from below it turns round.
    const double a = (plane_of(*getExtrusion()) == Plane::down ? 180.0 - linear.angle : linear.angle) * degree;
    pending.measure = PendingDimension::Measure::along;
    pending.direction[0] = std::cos(a);
    pending.direction[1] = std::sin(a);
    dimension_end(data, pending);
  }

  void addDimAlign(const DL_DimensionData& data, const DL_DimAlignedData& aligned) override {
    PendingDimension pending;
    if (!dimension_start(data, dimension_linear, pending)) return;
    set_ends(pending, aligned.epx1, aligned.epy1, aligned.epz1, aligned.epx2, aligned.epy2, aligned.epz2);
    dimension_end(data, pending);
  }

  void addDimRadial(const DL_DimensionData& data, const DL_DimRadialData& radial) override {
    add_round(data, dimension_radius, radial.dpx, radial.dpy, radial.dpz);
  }

  void addDimDiametric(const DL_DimensionData& data, const DL_DimDiametricData& diametric) override {
    add_round(data, dimension_diameter, diametric.dpx, diametric.dpy, diametric.dpz);
  }

  // The angle between the lines 13-14 and 15-10.
  void addDimAngular(const DL_DimensionData& data, const DL_DimAngular2LData& angular) override {
    const double p13[3] = {angular.dpx1, angular.dpy1, angular.dpz1};
    const double p14[3] = {angular.dpx2, angular.dpy2, angular.dpz2};
    const double p15[3] = {angular.dpx3, angular.dpy3, angular.dpz3};
    const double p10[3] = {data.dpx, data.dpy, data.dpz};
    add_angle(data, p13, p14, p15, p10);
  }

  // The angle at 15 between its legs to 13 and 14.
  void addDimAngular3P(const DL_DimensionData& data, const DL_DimAngular3PData& angular) override {
    const double p13[3] = {angular.dpx1, angular.dpy1, angular.dpz1};
    const double p14[3] = {angular.dpx2, angular.dpy2, angular.dpz2};
    const double p15[3] = {angular.dpx3, angular.dpy3, angular.dpz3};
    add_angle(data, p15, p13, p15, p14);
  }

  // Ends what dxflib left open, and takes the entities read without it: splines and
  // ellipses.
  void finish() {
    polyline_end();
    for (std::size_t start = 0; start < groups_.entities.size(); ++start) {
      const DxfEntityStart& entity = groups_.entities[start];
      std::vector<DraftCurve> curves;
      std::string reason;
      if (entity.spline) {
        curves = dxf_spline_curves(*entity.spline, reason);
      } else if (entity.ellipse) {
        DraftCurve curve;
        if (dxf_ellipse_curve(*entity.ellipse, curve, reason)) curves.push_back(curve);
      } else {
        continue;
      }
      if (curves.empty()) {
        skip(start, reason.c_str());
        continue;
      }
      // In the file's units: scaled into the drawing's before the placement.
      DxfPlacement placement = entity.placement;
      for (auto& row : placement.linear)
        for (double& value : row) value *= import_.scale;
      for (const DraftCurve& curve : curves)
        add_curve(start, dxf_placed_curve(curve, placement, import_.scale), look_of(entity), false);
    }
  }

  std::vector<PendingEntity> entities;
  std::vector<PendingNote> notes;
  std::vector<PendingDimension> dimensions;

 private:
  // The colour (by layer resolved) and layer of the entity of dxflib's current call.
  struct Look {
    VynColor colour{};
    std::u16string layer;
  };

  struct Polyline {
    std::size_t start = 0;
    bool closed = false;
    bool three_d = false;
    Plane plane = Plane::up;
    double elevation = 0;
    Look look;  // the polyline's own: its segments end after its vertices' calls
    std::vector<Vertex> vertices;
  };

  void choose_units() {
    UnitsChoice choice = units_of(insunits_, measurement_);
    import_.insunits = insunits_;
    import_.units = choice.units;
    import_.scale = choice.scale;
  }

  // The index of the DXF entity of dxflib's current call, from the handle the groups
  // gave it.
  std::size_t entity_start() const {
    int handle = attributes.getHandle();
    if (handle < 0 || static_cast<std::size_t>(handle) >= groups_.entities.size())
      fail_at(groups_.entities.size(), "dxflib gave an entity the groups did not pass on");
    return static_cast<std::size_t>(handle);
  }

  // Ends the import: dxflib's reading unwinds up to host_dxf_load.
  [[noreturn]] void fail_at(std::size_t start, const std::string& what) const {
    const DxfEntityStart* entity = start < groups_.entities.size() ? &groups_.entities[start] : nullptr;
    throw Failure{entity ? where_ + ":" + std::to_string(entity->line) + ": " + entity->type + ": " + what
                         : where_ + ": " + what};
  }

  void skip(std::size_t start, const char* reason) {
    ++import_.skipped[groups_.entities[start].type + " (" + reason + ")"];
  }

  bool in_plane(std::size_t start, Plane plane) {
    if (plane != Plane::other) return true;
    skip(start, "not in the sheet plane");
    return false;
  }

  bool radius_fits(std::size_t start, double radius) {
    if (radius > 0) return true;
    skip(start, "radius not positive");
    return false;
  }

  std::array<double, 3> scaled(const double p[3]) const {
    return {p[0] * import_.scale, p[1] * import_.scale, p[2] * import_.scale};
  }

  // A point of the object coordinate system in sheet coordinates.
  std::array<double, 3> sheet_point(const double p[3], Plane plane) const {
    std::array<double, 3> q = scaled(p);
    // 0.0 - v rather than -v: a point on an axis keeps +0.
    if (plane == Plane::down) q[0] = 0.0 - q[0], q[2] = 0.0 - q[2];
    return q;
  }

  // The look of the entity of dxflib's current call.
  Look look() const { return look_of(groups_.entities[entity_start()]); }

  // An entity's colour (by layer: the colour of its colour layer in the layer table, the
  // default colour for a layer not there) and layer.
  Look look_of(const DxfEntityStart& entity) const {
    Look look{VynColor{}, dxf_text_decode(entity.layer, coding_)};
    if (entity.colour != 256 || entity.true_colour >= 0) {
      look.colour = dxf_colour(entity.colour, entity.true_colour);
      return look;
    }
    const std::u16string layer = dxf_text_decode(entity.colour_layer, coding_);
    for (const DxfLayer& stored : import_.layers)
      if (stored.name == layer) look.colour = stored.colour;
    return look;
  }

  // The placement of the entity of dxflib's current call; null for one of the ENTITIES
  // section, which stays where it is.
  const DxfPlacement* placement_of(std::size_t start) const {
    static const DxfPlacement identity;
    const DxfPlacement& placement = groups_.entities[start].placement;
    if (std::equal(&placement.linear[0][0], &placement.linear[0][0] + 9, &identity.linear[0][0]) &&
        std::equal(placement.offset, placement.offset + 3, identity.offset))
      return nullptr;
    return &placement;
  }

  std::array<double, 3> placed(std::size_t start, const double point[3]) const {
    const DxfPlacement* placement = placement_of(start);
    return placement ? dxf_placed_point(*placement, point, import_.scale)
                     : std::array<double, 3>{point[0], point[1], point[2]};
  }

  void add_curve(std::size_t start, const DraftCurve& curve) { add_curve(start, curve, look()); }
  // A curve in the entity's own place, carried to the drawing by its placement (unless
  // it is there already).
  void add_curve(std::size_t start, const DraftCurve& curve, const Look& look, bool to_place = true) {
    const DxfPlacement* placement = to_place ? placement_of(start) : nullptr;
    DraftCurve placed_curve = placement ? dxf_placed_curve(curve, *placement, import_.scale) : curve;
    std::string problem = drawing_curve_problem(placed_curve);
    if (!problem.empty()) fail_at(start, problem);
    PendingEntity pending;
    pending.entity.colour = look.colour;
    pending.entity.curve = std::move(placed_curve);
    pending.start = start;
    pending.layer = look.layer;
    entities.push_back(std::move(pending));
  }

  void polyline_end() {
    if (!polyline_) return;
    Polyline polyline = std::move(*polyline_);
    polyline_.reset();
    if (!in_plane(polyline.start, polyline.plane)) return;
    const std::vector<Vertex>& v = polyline.vertices;
    std::size_t before = entities.size();
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (i + 1 == v.size() && !polyline.closed) break;
      DraftCurve curve;
      if (segment_curve(v[i], v[(i + 1) % v.size()].point, curve)) add_curve(polyline.start, curve, polyline.look);
    }
    if (entities.size() == before) skip(polyline.start, "no length");
  }

  void add_note(std::size_t start, std::vector<std::u16string> lines, const std::array<double, 3>& at) {
    bool blank = std::all_of(lines.begin(), lines.end(), [](const std::u16string& line) {
      return line.find_first_not_of(u" \t\u00A0") == std::u16string::npos;
    });
    if (blank) return skip(start, "no text");
    PendingNote pending;
    const Look entity_look = look();
    pending.note.colour = entity_look.colour;
    pending.note.lines = std::move(lines);
    const std::array<double, 3> location = placed(start, at.data());
    std::copy(location.begin(), location.end(), pending.note.attachment.location);
    if (!std::all_of(location.begin(), location.end(), [](double v) { return std::isfinite(v); }))
      fail_at(start, "a note's location is not finite");
    pending.start = start;
    pending.layer = entity_look.layer;
    notes.push_back(std::move(pending));
  }

  bool dimension_start(const DL_DimensionData& data, int type, PendingDimension& pending) {
    pending.start = entity_start();
    if (!in_plane(pending.start, plane_of(*getExtrusion()))) return false;
    pending.dimension.type = type;
    pending.points = 2;
    const double middle[3] = {data.mpx, data.mpy, data.mpz};
    std::array<double, 3> position = sheet_point(middle, plane_of(*getExtrusion()));
    std::copy(position.begin(), position.end(), pending.dimension.position);
    return true;
  }

  void set_ends(PendingDimension& pending, double x1, double y1, double z1, double x2, double y2, double z2) {
    const double a[3] = {x1, y1, z1}, b[3] = {x2, y2, z2};
    std::array<double, 3> sa = scaled(a), sb = scaled(b);
    std::copy(sa.begin(), sa.end(), pending.ends[0]);
    std::copy(sb.begin(), sb.end(), pending.ends[1]);
  }

  // A radius dimension from its centre (10) to the arc (15), or a diameter dimension
  // across the circle from 10 to 15.
  void add_round(const DL_DimensionData& data, int type, double x, double y, double z) {
    PendingDimension pending;
    if (!dimension_start(data, type, pending)) return;
    set_ends(pending, data.dpx, data.dpy, data.dpz, x, y, z);
    pending.points = 0;
    pending.measure = type == dimension_diameter ? PendingDimension::Measure::diameter
                                                 : PendingDimension::Measure::radius;
    dimension_end(data, pending);
  }

  // An angle dimension: the angle between the directions from a to b and from c to d.
  void add_angle(const DL_DimensionData& data, const double a[3], const double b[3], const double c[3],
                 const double d[3]) {
    PendingDimension pending;
    if (!dimension_start(data, dimension_angle, pending)) return;
    for (int i = 0; i < 3; ++i) {
      pending.legs[0][i] = b[i] - a[i];
      pending.legs[1][i] = d[i] - c[i];
    }
    pending.points = -1;
    pending.measure = PendingDimension::Measure::angle;
    dimension_end(data, pending);
  }

  // The dimension's points carried by its entity's placement, and what it measures there.
  void dimension_place(PendingDimension& pending) const {
    const DxfPlacement* placement = placement_of(pending.start);
    if (placement) {
      for (double* point : {pending.ends[0], pending.ends[1], pending.dimension.position}) {
        const std::array<double, 3> p = dxf_placed_point(*placement, point, import_.scale);
        std::copy(p.begin(), p.end(), point);
      }
      for (double* direction : {pending.direction, pending.legs[0], pending.legs[1]}) {
        const std::array<double, 3> d = dxf_placed_direction(*placement, direction);
        std::copy(d.begin(), d.end(), direction);
      }
    }
    using Measure = PendingDimension::Measure;
    const double* e = pending.ends[0];
    const double* f = pending.ends[1];
    double& value = pending.dimension.value;
    switch (pending.measure) {
      case Measure::along: {
        const double* d = pending.direction;
        value = std::fabs((f[0] - e[0]) * d[0] + (f[1] - e[1]) * d[1]) / std::hypot(d[0], d[1]);
        break;
      }
      case Measure::between:
        value = distance(e, f);
        break;
      case Measure::radius:
      case Measure::diameter: {
        const bool diameter = pending.measure == Measure::diameter;
        value = distance(e, f);
        pending.radius = diameter ? value / 2 : value;
        for (int i = 0; i < 3; ++i) pending.centre[i] = diameter ? (e[i] + f[i]) / 2 : e[i];
        break;
      }
      case Measure::angle:
        value = angle_between(pending.legs[0], pending.legs[1]);
        break;
    }
  }

  // The text ("<>" or none: the value) with the value put in for "<>", and the checks.
  void dimension_end(const DL_DimensionData& data, PendingDimension& pending) {
    dimension_place(pending);
    DrawingDimension& dimension = pending.dimension;
    std::u16string value = value_text(dimension.value);
    if (dimension.type == dimension_radius) value = u"R" + value;
    if (dimension.type == dimension_diameter) value = u"\u2300" + value;
    if (dimension.type == dimension_angle) value += u"\u00B0";
    std::u16string text = dxf_text_decode(data.text, coding_);
    if (text.empty()) text = u"<>";
    for (std::size_t at = text.find(u"<>"); at != std::u16string::npos; at = text.find(u"<>", at + value.size()))
      text.replace(at, 2, value);
    dimension.lines = dxf_text_lines(text, true);
    bool finite = std::isfinite(dimension.value) && std::isfinite(pending.radius);
    for (const double* p : {static_cast<const double*>(pending.ends[0]), static_cast<const double*>(pending.ends[1]),
                            static_cast<const double*>(dimension.position)})
      finite = finite && std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
    if (!finite) fail_at(pending.start, "a dimension's points or value are not finite");
    pending.layer = look().layer;
    dimensions.push_back(std::move(pending));
  }

  const DxfGroups& groups_;
  std::string where_;
  DxfImport& import_;
  int insunits_ = 0;
  int measurement_ = 0;
  std::string version_, code_page_;
  DxfTextCoding coding_ = dxf_text_coding("", "");
  std::optional<Polyline> polyline_;
  std::string mtext_chunks_;
};

// ---- Dimensions and their entities ---------------------------------------------------

// How near a point of a dimension must lie to an entity's point to be that point.
double tolerance_at(const double p[3]) {
  return 1e-6 * std::max({1.0, std::fabs(p[0]), std::fabs(p[1]), std::fabs(p[2])});
}

bool full_circle(const DraftCurve& curve) {
  return curve.record.point.type == VYN_CURVE_ARC && curve.record.arc.end_angle == full_circle_sweep;
}

// The side (1 first end, 2 second end) of an entity's line or arc at point; 0 for none.
int end_at(const DraftEntity& entity, const double point[3]) {
  int type = entity.curve.record.point.type;
  if ((type != VYN_CURVE_LINE && type != VYN_CURVE_ARC) || full_circle(entity.curve)) return 0;
  double end[3];
  for (int side = 1; side <= 2; ++side) {
    draft_curve_point(entity.curve, side - 1.0, end);
    if (distance(end, point) <= tolerance_at(point)) return side;
  }
  return 0;
}

// The entities a dimension is attached to, by id: for two points, the first entity
// with an end at each (for the second, another entity than the first's when there is
// one; a line or arc whose two ends are the two points is attached once, as a whole);
// for a circle, the first arc or circle of that centre and radius.
std::vector<DimensionAttachment> attachments_of(const PendingDimension& pending,
                                                const std::vector<PendingEntity>& entities) {
  std::vector<DimensionAttachment> found;
  if (pending.points == 0) {
    for (const PendingEntity& candidate : entities) {
      const VynCurvedata& r = candidate.entity.curve.record;
      if (r.point.type == VYN_CURVE_ARC && distance(r.arc.origin, pending.centre) <= tolerance_at(pending.centre) &&
          std::fabs(r.arc.radius - pending.radius) <= tolerance_at(pending.centre)) {
        found.push_back({candidate.entity.id, 0});
        break;
      }
    }
  } else if (pending.points == 2) {
    for (int end = 0; end < 2; ++end) {
      DimensionAttachment chosen;
      for (const PendingEntity& candidate : entities) {
        int side = end_at(candidate.entity, pending.ends[end]);
        if (side == 0) continue;
        if (chosen.entity == 0) chosen = {candidate.entity.id, side};
        if (found.empty() || candidate.entity.id != found[0].entity) {
          chosen = {candidate.entity.id, side};
          break;
        }
      }
      if (chosen.entity == 0) continue;
      if (!found.empty() && chosen.entity == found[0].entity) {
        found[0].side = 0;
        continue;
      }
      found.push_back(chosen);
    }
  }
  return found;
}

// The drawing's name from a file's: without folder and extension, at most 31 units.
std::string drawing_name(const std::string& path) {
  std::u16string name = utf16_from_text(std::filesystem::path(path).stem().string());
  if (name.size() > host_name_max) {
    std::size_t cut = host_name_max;
    if (name[cut - 1] >= 0xD800 && name[cut - 1] <= 0xDBFF) --cut;  // keep a pair whole
    name.resize(cut);
  }
  return utf8_from_utf16(name);
}

// Puts what the import read into a new drawing, current, and lists its items in import.
// Null with the reason when it cannot be made; nothing of it stays then, and the model
// current before is current again.
VynMdl drawing_make(Importer& read, const DxfGroups& groups, const std::string& name,
                    const std::string& where, DxfImport& import, std::string& error) {
  VynMdl previous = host_current_model();
  std::string problem;
  VynMdl drawing = host_model_create(model_type_drawing, name, problem, import.units);
  bool made = drawing != nullptr;
  auto keep = [&](int type, int id, std::size_t start, const std::u16string& layer) {
    made = id > 0;
    if (made) import.items.push_back(DxfItem{type, id, groups.entities[start].type, layer, groups.entities[start].line});
  };
  // In file order: splines and ellipses were taken after dxflib's entities.
  std::stable_sort(read.entities.begin(), read.entities.end(),
                   [](const PendingEntity& a, const PendingEntity& b) { return a.start < b.start; });
  for (std::size_t i = 0; made && i < read.entities.size(); ++i) {
    PendingEntity& p = read.entities[i];
    p.entity.id = host_entity_add(drawing, p.entity, problem);
    keep(item_type_draft_entity, p.entity.id, p.start, p.layer);
  }
  for (std::size_t i = 0; made && i < read.notes.size(); ++i) {
    PendingNote& p = read.notes[i];
    keep(item_type_note, host_note_add(drawing, p.note, problem), p.start, p.layer);
  }
  for (std::size_t i = 0; made && i < read.dimensions.size(); ++i) {
    PendingDimension& p = read.dimensions[i];
    p.dimension.attachments = attachments_of(p, read.entities);
    keep(item_type_dimension, host_dimension_add(drawing, p.dimension, problem), p.start, p.layer);
  }
  if (made) made = dxf_layers_assign(drawing, import, problem);
  if (!made) {
    if (drawing) host_model_erase(drawing);
    host_model_make_current(previous);
    import.items.clear();
    error = where + ": " + problem;
    return nullptr;
  }
  utf16_from_text(where, stored_model(drawing)->path);
  return drawing;
}

}  // namespace

VynColor dxf_colour(int index, int true_colour) {
  if (true_colour >= 0)
    return rgb(((true_colour >> 16) & 255) / 255.0, ((true_colour >> 8) & 255) / 255.0, (true_colour & 255) / 255.0);
  switch (index) {
    case 1: return rgb(1, 0, 0);
    case 2: return rgb(1, 1, 0);
    case 3: return rgb(0, 1, 0);
    case 4: return rgb(0, 1, 1);
    case 5: return rgb(0, 0, 1);
    case 6: return rgb(1, 0, 1);
    case 8: return rgb(128 / 255.0, 128 / 255.0, 128 / 255.0);
    case 9: return rgb(192 / 255.0, 192 / 255.0, 192 / 255.0);
    default: break;
  }
  if (index >= 10 && index <= 249) return palette_shade(index);
  static const int greys[6] = {51, 80, 105, 130, 190, 255};
  if (index >= 250 && index <= 255) {
    double grey = greys[index - 250] / 255.0;
    return rgb(grey, grey, grey);
  }
  return VynColor{};
}

bool dxf_path_is(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".dxf";
}

std::string dxf_skipped_text(const DxfImport& import) {
  std::string text;
  for (const auto& [type, count] : import.skipped)
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + type;
  return text;
}

VynMdl host_dxf_load(const std::string& bytes, const std::string& name, const std::string& where,
                     DxfImport& import, std::string& error) {
  DxfImport result;
  DxfGroups groups;
  if (!dxf_groups_read(bytes, where, groups, error)) return nullptr;
  result.skipped = groups.skipped;
  Importer read(groups, where, result);
  try {
    std::istringstream in(groups.text);
    DL_Dxf dxf;
    if (!dxf.in(in, &read)) {
      error = where + ": dxflib cannot read it";
      return nullptr;
    }
    read.finish();
  } catch (const Failure& failure) {
    error = failure.text;
    return nullptr;
  } catch (const std::exception& exception) {
    error = where + ": dxflib failed: " + exception.what();
    return nullptr;
  }
  VynMdl drawing = drawing_make(read, groups, name, where, result, error);
  if (!drawing) return nullptr;
  import = std::move(result);
  notify_model_retrieved(drawing);
  return drawing;
}

VynMdl host_dxf_open(const std::string& path, DxfImport& import, std::string& error) {
  std::string bytes;
  if (!file_text_read(path, bytes)) {
    error = path + ": cannot be read";
    return nullptr;
  }
  return host_dxf_load(bytes, drawing_name(path), path, import, error);
}

// ---- Layers ----------------------------------------------------------------------------

namespace {

// A DXF layer name as the drawing keeps it: at most 31 characters.
std::u16string layer_name_kept(const std::u16string& name) {
  return name.size() > 31 ? name.substr(0, 31) : name;
}

// DXF compares layer names without regard to (ASCII) case.
std::u16string layer_key(const std::u16string& name) {
  std::u16string key = layer_name_kept(name);
  for (char16_t& c : key)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return key;
}

}  // namespace

bool dxf_layers_assign(VynMdl drawing, const DxfImport& import, std::string& error) {
  std::map<std::u16string, int> layer_ids;  // by key
  auto layer_of = [&](const std::u16string& name, bool blank) {
    auto [it, added] = layer_ids.emplace(layer_key(name), 0);
    if (added) {
      DrawingLayer layer;
      layer.name = layer_name_kept(name);
      layer.status = layer.saved_status = blank ? layer_status_blank : layer_status_shown;
      it->second = host_layer_add(drawing, layer, error);
    }
    return it->second;
  };
  // The table's layers first, in file order and spelling; then those only items name.
  for (const DxfLayer& layer : import.layers)
    if (layer_of(layer.name, layer.off || layer.frozen) < 0) return false;
  for (const DxfItem& item : import.items) {
    int layer = layer_of(item.layer, false);
    if (layer < 0 || !host_layer_item_add(drawing, layer, LayerMember{item.type, item.id}, error))
      return false;
  }
  return true;
}

}  // namespace yrlhost
