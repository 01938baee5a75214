// The parts of the DXF import (host/dxf/dxf.h) below the conversion into the drawing: the
// check and cut-down of the file's groups before dxflib sees them, with block references
// exploded (dxf_groups.cpp), splines and ellipses as the drawing's curves and curves
// carried by a block reference's placement (dxf_curves.cpp), and the DXF text codes
// (dxf_text.cpp).
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/store/drawings.h"

namespace yrlhost {

// ---- Placements and curves (dxf_curves.cpp) ---------------------------------------------

// Where an entity of a block definition lands in the drawing: p -> linear p + offset, in
// the file's units, the placements of the block references it came through composed.
// The identity for an entity of the ENTITIES section.
struct DxfPlacement {
  double linear[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double offset[3] = {0, 0, 0};
};

// The placement of a block reference: the block's base point to the insertion point,
// scaled along x, y and z, turned by rotation degrees about z, and, for a reference seen
// from below (extrusion -z), with x and z turned round; then placed by outer.
DxfPlacement dxf_placement_of_reference(const DxfPlacement& outer, const double base[3],
                                        const double insertion[3], const double scale[3],
                                        double rotation, bool from_below);
// A point and a direction (a tangent, no offset) carried by a placement; the offset is
// multiplied by unit_scale first (the file's units into the drawing's).
std::array<double, 3> dxf_placed_point(const DxfPlacement& placement, const double point[3],
                                       double unit_scale);
std::array<double, 3> dxf_placed_direction(const DxfPlacement& placement, const double direction[3]);
// Whether a placement keeps the sheet's shapes in x and y: a turn, a mirror and one scale
// (so arcs stay arcs).
bool dxf_placement_keeps_shapes(const DxfPlacement& placement);

// A curve of the drawing carried by a placement: points and lines point by point, an arc
// as an arc when the placement keeps shapes (turned round by a mirror), otherwise as the
// spline of the ellipse it becomes; a spline's points and tangents.
DraftCurve dxf_placed_curve(const DraftCurve& curve, const DxfPlacement& placement, double unit_scale);

// The spline through the points center + major cos t + minor sin t for t from start to
// end (radians, end above start): cubic Hermite pieces, 64 a full turn, whose points and
// tangents are the ellipse's own, so it keeps within 1e-6 of its larger axis of the
// ellipse.
DraftCurve dxf_elliptic_spline(const double center[3], const double major[3], const double minor[3],
                               double start, double end);

// A SPLINE as the file gives it, in world coordinates.
struct DxfSpline {
  int degree = 0;
  int flags = 0;  // 1 closed, 4 rational
  std::vector<double> knots;
  std::vector<std::array<double, 3>> control;
  std::vector<double> weights;
  std::vector<std::array<double, 3>> fit;
  std::optional<std::array<double, 3>> start_tangent;
  std::optional<std::array<double, 3>> end_tangent;
};

// The drawing's curves of a SPLINE, in its own units: one spline per smooth piece (a knot
// repeated degree times is a corner), through its points at each knot with the curve's
// own tangents (exact for a degree up to 3; a rational or higher-degree curve is cut
// into 32 pieces a knot span, fewer on a long one: at most 100000 points), a degree-1
// spline as lines; a spline of fit points alone runs through them (cubic Hermite,
// chord-length parameters, tangents from the neighbouring points or the file's end
// tangents). Empty with the reason for one the import cannot take ("knots do not fit",
// "fewer than 2 points", "no length", ...).
std::vector<DraftCurve> dxf_spline_curves(const DxfSpline& spline, std::string& reason);

// An ELLIPSE as the file gives it: centre and major axis (from the centre) in world
// coordinates, the extrusion direction, the minor axis's ratio to the major, and the
// start and end parameters (radians).
struct DxfEllipse {
  double center[3] = {0, 0, 0};
  double major[3] = {1, 0, 0};
  double extrusion[3] = {0, 0, 1};
  double ratio = 1;
  double start = 0;
  double end = 6.283185307179586;
};

// The drawing's curve of an ELLIPSE, in its own units: an arc (a full circle when it is
// closed) when its axes are equal, else the ellipse's spline. False with the reason for
// one out of the sheet's plane or without size.
bool dxf_ellipse_curve(const DxfEllipse& ellipse, DraftCurve& out, std::string& reason);

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

// An entity taken from the file: its type, the line of the file where it starts, how it
// looks (layer and colour, as the file gives them, or taken from the block reference it
// came through: layer "0" takes the reference's layer, colour 0 (by block) its colour) and
// its placement. One passed on to dxflib gets a handle (group 5) in the rewritten file
// that is its index in DxfGroups::entities, so that each of dxflib's calls names the
// entity it comes from; a SPLINE or an ELLIPSE is read here and not passed on.
struct DxfEntityStart {
  std::string type;
  int line = 0;
  std::string layer = "0";  // group 8, undecoded
  int colour = 256;         // group 62; 256 by layer
  int true_colour = -1;     // group 420; -1 none
  std::string colour_layer = "0";  // the layer whose colour "by layer" takes
  DxfPlacement placement;
  std::optional<DxfSpline> spline;
  std::optional<DxfEllipse> ellipse;
};

struct DxfGroups {
  std::string text;                       // the rewritten file dxflib reads
  std::vector<DxfEntityStart> entities;   // by handle
  std::map<std::string, int> skipped;     // as DxfImport::skipped
};

// The longest text value passed on to dxflib, in bytes.
inline constexpr std::size_t dxf_text_max = 1000;
// How deep block references may nest, and how much they may place: the groups of the
// entities they place, each reference to a block counting one more.
inline constexpr int dxf_block_depth_max = 32;
inline constexpr long dxf_block_groups_max = 1000000;

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
