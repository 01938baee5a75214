// Points and parameters along the curve of a drawing item, in the toolkit's curve record
// layout (toolkit/local/geomdata.h), as the application reads it:
//   - a line runs from end1 (parameter 0) to end2 (parameter 1);
//   - an arc lies in the drawing plane around origin with radius, from the angle a0 =
//     atan2 of vec1's y and x, plus start_angle, over the sweep end_angle: its point at
//     parameter t is origin + radius (cos a, sin a, 0) with a = a0 + t end_angle. A full
//     circle (end_angle exactly 2 pi) starts at angle 0 whatever vec1 and start_angle say.
// Other kinds of curve have no parameter here.
#pragma once

#include "toolkit/local/geomdata.h"

namespace yrlhost {

// The point at parameter t (0 to 1) of a line or an arc; false, nothing written, for
// another kind of curve.
bool curve_point_at(const VynCurvedata& curve, double t, double point[3]);

// The parameter (0 to 1) of the point of a line or an arc nearest point, which is
// projected onto the line or, for an arc, onto its plane and its circle: a point beyond
// either end takes the nearer end's parameter (for an arc, the end nearer in angle).
// False, nothing written, for another kind of curve.
bool curve_parameter_at(const VynCurvedata& curve, const double point[3], double* parameter);

}  // namespace yrlhost
