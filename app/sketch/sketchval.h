// The section profile of a sketched feature as records in view coordinates, and its
// validation: where the entities meet, touch, cross or overlap, how each end is
// classified, how the entities chain into loops, which side of a revolve axis they lie
// on, and the counts and verdict the feature build and the validation dialog read.
#pragma once

#include <cstdlib>

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// End status bits of one end of a profile entity.
enum : int {
  YRL_SKETCH_END_OPEN = 2,
  YRL_SKETCH_END_CLOSED = 4,
  YRL_SKETCH_END_INTERSECTS = 8,
  YRL_SKETCH_END_OVERLAPS = 16,
};
typedef int YrlSketchEndStatus;

// One meeting of two entities (or of an entity with the revolve axis: both indexes the
// entity's): the parameters along each (0 start, 1 end; along an arc by its sweep) and
// the point in view coordinates.
struct YrlSketchIntPoint {
  int first;
  int second;
  double t_first;
  double t_second;
  double point[3];
};
static_assert(sizeof(YrlSketchIntPoint) == 48);

// The meetings kept at one end side of an entity: a plain growable array owned by the
// entity (calloc'd, freed by YrlSketchEntitiesFree).
struct YrlSketchIntPointList {
  YrlSketchIntPoint* items;
  int count;
  int capacity;
};

struct YrlSketchEntity {
  VynModelitem item;
  int entity_id;
  int curve_type;  // 2 line, 3 arc, 10 circle
  VynColor colour;
  double start[3];
  double end[3];
  double centre[3];
  double start_angle;  // absolute, radians
  double end_angle;    // start angle plus the sweep
  double radius;
  YrlSketchIntPointList start_side;
  YrlSketchIntPointList end_side;
  YrlSketchEndStatus start_status;
  YrlSketchEndStatus end_status;
  int loop;        // -1 before loop identification
  int visited;     // 1 start side, 2 end side
  int start_axis_side;  // 0 on the revolve axis, 1 or 2
  int end_axis_side;
  int degenerate;  // 1: a line whose ends coincide; it meets nothing
};

struct YrlSketchValInfo {
  VynSelection* selections;  // owned, count of them
  int count;
  YrlSketchEntity* entities;  // owned, count of them
  int view_id;                // -1 none
  char view_name[32];
  int rule1;                  // always 1 after a validation
  int no_open_ends;
  int revolve_sides;          // 1 when no ends lie on both sides of the axis (revolve)
  int loop_count;
  int open_ends;
  int unclosed_with_points;
  int intersecting_ends;
  int overlapping_ends;
  int valid;                  // the profile can build a section
  int degenerate_entities;    // lines whose two ends coincide
  // Kept by the feature run for the sketch set-up and the built section.
  int view_kind;
  VynModelitem orientation_ref;
  int orientation_code;
  VynModelitem first_ref;
  VynModelitem second_ref;
  VynModelitem view_datum;
  int plane_id;
  VynModelitem created_plane;  // a datum plane the run created
  int use_found_plane;
  VynModelitem found_plane;
  double offset;
  // A section or auxiliary profile view: the sketch's rotation (radians) and its matrix.
  double rotation;
  double rotation_matrix[4][4];
  // An auxiliary profile view: aux_placed set, aux_to_part carries the view's points, in
  // model units as its drawing-to-model transform gives them, onto the sketch plane's
  // face in the part (see YrlSketchPlaneforAuxViewGet).
  int aux_placed;
  double aux_to_part[4][4];
  // A section profile view: section_placed set once its cutting line is known;
  // section_line holds the line's ends in the part (in its view's reference plane) and
  // section_ref the point of the section view, in drawing coordinates, that stands for
  // one of them (see YrlSketchPlaneforSectionViewGet).
  int section_placed;
  double section_line[2][3];
  double section_ref[3];
};

// Tolerances of the validation.
//
// Two ends meet (are closed) when they lie within YRL_SKETCH_END_TOL of each other, a
// distance in drawing units: the tolerance within which the host's sections join the
// ends of their entities. A gap the validation calls closed is then closed in the
// section too; any wider gap stays open, and the Close and Extend repairs are offered
// for it. The parameter tolerance only says whether a crossing lies inside an entity.
inline constexpr double YRL_SKETCH_END_TOL = 1e-6;
inline constexpr double YRL_SKETCH_PARAM_TOL = 0.01;
inline constexpr double YRL_SKETCH_DIST_TOL = 0.01;
inline constexpr double YRL_SKETCH_ANGLE_TOL = 0.0001;
inline constexpr double YRL_TWO_PI = 6.283185307179586;

int IsYrlSketchEndStatusMatch(YrlSketchEndStatus status, int mask);
int IsYrlSketchEndOpen(YrlSketchEndStatus status);
int IsYrlSketchEndClosed(YrlSketchEndStatus status);
int IsYrlSketchEndIntersects(YrlSketchEndStatus status);
int IsYrlSketchEndOverlaps(YrlSketchEndStatus status);

int YrlSketchLineParamFullyInside(double t);
int YrlSketchLineParamWithinEnds(double t);
int YrlSketchParamsIntersects(double t1, double t2);
int YrlSelIntPointIsIntersection(const YrlSketchIntPoint* p);

// Appends item to a plain growable list {items, count, capacity} (realloc'd, doubling);
// false, with the list as it was, when no room can be had.
template <typename List, typename Item>
bool YrlSketchListAdd(List* list, const Item& item) {
  if (list->count == list->capacity) {
    int capacity = list->capacity < 4 ? 4 : list->capacity * 2;
    void* grown = std::realloc(list->items, static_cast<std::size_t>(capacity) * sizeof(Item));
    if (grown == nullptr) return false;
    list->items = static_cast<Item*>(grown);
    list->capacity = capacity;
  }
  list->items[list->count++] = item;
  return true;
}

// The sweep of an arc (2 pi for a full circle).
double YrlSketchEntitySweep(const YrlSketchEntity* e);

// Whether the entity is a full circle: curve type 10, or an arc whose sweep is within
// 0.01 of 2 pi.
int IsYrlSketchEntityCircle(const YrlSketchEntity* e);
// Whether the entity is an arc or a circle.
int IsYrlSketchEntityRound(const YrlSketchEntity* e);

// Fills entities with a line, an arc (centre, radius, absolute start angle, sweep) or a
// circle (curve type 10) in view coordinates; end points, statuses and arrays set up.
void YrlSketchEntityLineSet(YrlSketchEntity* e, const double* start, const double* end);
void YrlSketchEntityArcSet(YrlSketchEntity* e, const double* centre, double radius, double start,
                           double sweep);
void YrlSketchEntityCircleSet(YrlSketchEntity* e, const double* centre, double radius);

// Frees the meeting arrays of n entities (the entity array itself stays).
void YrlSketchEntitiesFree(YrlSketchEntity* entities, int n);

// Finds where every pair of entities meets and sets the end statuses from it.
void YrlSketchIntersectionsFill(YrlSketchEntity* entities, int n);
// The revolve-axis check: sides of each entity's ends, meetings with the axis recorded;
// 1 when no end lies on one side while another lies on the other.
int YrlSketchRevolveSidesCheck(const YrlSketchEntity* axis, YrlSketchEntity* entities, int n);
// Consolidates end statuses, counts and loops into info's result fields; cut nonzero
// turns open ends into closed ones; revolve nonzero adds the sides verdict.
void YrlSketchResultsCompute(YrlSketchValInfo* info, int cut, int revolve);
// Follows the chain of entities from entity i's side (0 start, 1 end), giving each
// entity it reaches the loop number *counter; the counter rises by one when the walk
// ends at an open end of a chain, at a lone open line or at a circle, and not when it
// comes round to where it began (a closed loop). The counter after the walk.
int YrlSketchValLoopsDefine(YrlSketchEntity* entities, int n, int i, int side, int* counter);
// The loops of the profile: each open chain, lone open line and circle counts one (an
// open chain whose walk begins at an entity in its middle too); the loop count.
int YrlSketchValLoopsIdentify(YrlSketchEntity* entities, int n);

// The whole validation of info's entities: intersections, cleared results, the axis
// check (axis not null: a revolve; a null axis of a revolve fails the sides verdict)
// and results. Always 0.
int YrlSketchValidate(YrlSketchValInfo* info, int revolve, const YrlSketchEntity* axis, int cut);
