// Outlines of drawing entities: the axis-aligned box that holds an entity's curve (points,
// lines, arcs, circles, splines), grown point by point, and the tests whether an outline
// or a single location lies inside a pick box or crosses it.
#pragma once

#include "toolkit/api/host_base_types.h"
#include "toolkit/tkbase.h"

// A 3-D box: minimum x, y, z then maximum x, y, z. A pick box is one filled from two
// picked corners in any order.
struct ViewOutline {
  double min[3];
  double max[3];
};

// The corner value of an empty outline (the double just below 1e9).
inline constexpr double YRL_OUTLINE_EMPTY = 999999999.9999999;

// Every minimum at YRL_OUTLINE_EMPTY, every maximum at its negative.
void InitViewOutline(ViewOutline* outline);
// first set: both corners become the point; else the box widens to hold it.
void UpdateBox(ViewOutline* outline, const double* point, int first);

// Outline of the whole entity with both z values 0; the status of reading the curve.
// Curve types other than point, line, arc, circle and spline add nothing.
int GetEntityOutline(const VynCurvedata* curve, ViewOutline* outline);
// Grows outline by the entity between the parameters t0 and t1 (0 to 1); init empties it
// first.
int GetEntityOutlineLow(const VynCurvedata* curve, int curve_type, double t0, double t1,
                        ViewOutline* outline, int init);
// Point of an arc (or circle) at a parameter from 0 to 1; nothing written without point.
int EvalArcEntity(const VynCurvedata* curve, double t, double* point);
// Grows outline by the arc centre + x cos a + y sin a for a from start_angle to end_angle,
// where start and end are its end points.
void GenArcOutline(const double* centre, const double* x_axis, const double* y_axis,
                   double start_angle, double end_angle, const double* start, const double* end,
                   ViewOutline* outline, int first);
// Shifts angle by whole periods into [reference - period/2, reference + period/2); a
// period of 0 or less leaves it.
void AdjustAngle(double reference, double* angle, double period);
// Cubic Hermite basis at s: values, first and second derivatives (each may be null).
void YrlHermite3(double s, double* values, double* first, double* second);
// Point and derivatives of a spline at t (normalised: 0 to 1 over the whole spline);
// nothing with fewer than two points. Outputs may be null.
void EvalSplineEntity(const double* params, const double (*points)[3], const double (*tangents)[3], int count,
                      double t, int normalised, double* point, double* first, double* second);
// Grows outline by a spline (its points and each segment's extremes).
int YrlSplineOutlineGet(const VynCurvedata* curve, ViewOutline* outline);

// Relative equality: both below 1e-30 in magnitude, or |a - b| <= 1e-12 |a|.
int floating_equal(double a, double b);
// 1 when the 2-D point lies in the box, edges included.
int IsPntIn2dBox(const double* point, const ViewOutline* box);
// 1 when the outline lies within the box in x and y.
int OutlineInBox(const ViewOutline* outline, const ViewOutline* box);
// 1 when the outline crosses the box; count (may be null) gives on entry how many of the
// outline's corners inside the box make a crossing and holds on return those found.
int OutlineAcrossBox(const ViewOutline* outline, const ViewOutline* box, int* count);
int IsEntityInBox(const VynCurvedata* curve, const ViewOutline* box);
int IsEntityCrossBox(const VynCurvedata* curve, const ViewOutline* box);
int IsLocationInBox(const double* point, const ViewOutline* box);
int IsLocationCrossBox(const double* point, const ViewOutline* box);

// 0 for a full circle (an arc whose sweep is exactly 2 pi), else 1.
int IsEntArc(const VynCurvedata* curve);
