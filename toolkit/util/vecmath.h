// Vector and 4x4 transform utilities on caller-owned double arrays.
//
// A vector or point is 3 doubles. A transform is 16 doubles row by row: rows 0-2 hold
// the x, y and z axes in their first three columns, row 3 the origin, and column 3 is
// (0, 0, 0, 1). A point maps as p' = p[0]*row0 + p[1]*row1 + p[2]*row2 + row3, so a
// product a*b applies a first, then b.
//
// Sums are formed in a fixed order (given with each function) so that results are
// reproducible bit for bit. Functions that return their target return the pointer to
// the caller's result array, so calls nest. No function allocates or keeps state; output
// pointers are required. Only the point and vector transforms and the coordinate-system
// inverse call the host.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// The identity transform.
extern const double vyn_util_identity_matrix[4][4];

// to = from (bit for bit); a null from gives (0, 0, 0). Returns to.
double* VynUtilVectorCopy(const double* from, double* to);
// c = a x b; c must be another array than a and b. Returns c.
double* VynUtilVectorCross(const double* a, const double* b, double* c);
// (a[2]*b[2] + a[1]*b[1]) + a[0]*b[0].
double VynUtilVectorDot(const double* a, const double* b);
// sqrt((v[0]*v[0] + v[1]*v[1]) + v[2]*v[2]).
double VynUtilVectorLength(const double* v);
// out = v * (1.0 / length(v)); a zero vector gives non-finite components. out may be v.
double* VynUtilVectorNormalize(const double* v, double* out);
// Component by component; out may be any of the inputs.
double* VynUtilVectorScale(double s, const double* v, double* out);
double* VynUtilVectorSum(const double* a, const double* b, double* out);
double* VynUtilVectorDiff(const double* a, const double* b, double* out);
// out = alpha*u + beta*v.
double* VynUtilVectorsLincom(double alpha, const double* u, double beta, const double* v,
                             double* out);

// Distance between two points.
double VynUtilPointsDist(const double* p1, const double* p2);
// Distance from p to the line through l1 and l2 (non-finite when l1 equals l2).
double VynUtilPointLineDist(const double* p, const double* l1, const double* l2);
// (p - q) . n: the signed distance for a unit normal n.
double VynUtilPointPlaneDist(const double* p, const double* q, const double* n);
// The point where the line through r with direction d meets the plane through q with
// normal n, in out; out, or null with out untouched when |n . d| < 1e-6 (or NaN).
double* VynUtilPlaneLineX(const double* q, const double* n, const double* r, const double* d,
                          double* out);

// Puts each given vector into the first three columns of its row (x 0, y 1, z 2, origin
// 3; a null vector leaves its row), then column 3 to (0, 0, 0, 1). 0.
int VynUtilVectorsToTransf(const double* x, const double* y, const double* z,
                           const double* origin, double m[4][4]);
// Splits m into its axes and origin (zero vectors for a null m). 0.
int VynUtilTransfToVectors(const double m[4][4], double* x, double* y, double* z,
                           double* origin);
// to = from (bit for bit); a null from gives the identity.
void VynUtilMatrixCopy(const double from[4][4], double to[4][4]);
// out = a*b; a null a copies b (identity when both are null), a null b copies a. out
// must be another array than a and b.
void VynUtilMatrixProduct(const double a[4][4], const double b[4][4], double out[4][4]);
// The inverse of a rotation-and-uniform-scale transform with origin, from its transposed
// axes divided by the squared length of the x axis: 1; 0 with out untouched when that
// squared length is below 1e-18 (or NaN). A null m gives the identity and 1. out must be
// another array than m.
int VynUtilMatrixInvert(const double m[4][4], double out[4][4]);

// Maps point p through m with the host (out = p for a null m). out is left untouched
// when the host fails. Returns out.
double* VynUtilPointTrans(const double m[4][4], const double* p, double* out);
// Maps direction v through m with the host (out = v for a null m). Returns out.
double* VynUtilVectorTrans(const double m[4][4], const double* v, double* out);
// The inverse of the matrix of a coordinate system picked in an assembly, taken through
// the selection's component path: csys_data is the coordinate system's geometry data,
// whose data word points to its x, y and z axes and origin (3 doubles each, in that
// order). 0; out starts as the identity and stays so on failure: the first failing
// host status, -2 for null data, -1 when the matrix cannot be inverted.
int VynUtilInvertCsysMatrix(VynSelection selection, const VynGeomitemdata* csys_data,
                            double out[4][4]);

// The circle through three points: 1 with its radius and centre; 0 with radius 1.0e11
// and centre untouched when two points coincide or the three are nearly on one line.
int VynUtilArc3Points(const double* p1, const double* p2, const double* p3, double* radius,
                      double* centre);
// Orders the end points p1 and p2 of an arc through p3 about centre c, in the XY plane,
// into start and end (copied whole). 0.
int VynUtilArcEndPoints(const double p1[3], const double p2[3], const double p3[3],
                        const double c[3], double* start, double* end);

// Rotation about x by angle degrees into the upper-left 3x3 of m; row 3 and column 3
// are left as they were.
void VynUtilXRot(double angle, double m[4][4]);
// Rotation about z by angle degrees into the upper-left 3x3 of m: rows (cos, sin, 0),
// (-sin, cos, 0), (0, 0, 1); row 3 and column 3 are left as they were.
void VynUtilRotZ(double angle, double m[4][4]);
