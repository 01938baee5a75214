#include "toolkit/util/vecmath.h"

#include <cmath>
#include <cstring>

#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/api/catalogue_udfvardim_xsec_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/strutil_report.h"

const double vyn_util_identity_matrix[4][4] = {
    {1.0, 0.0, 0.0, 0.0},
    {0.0, 1.0, 0.0, 0.0},
    {0.0, 0.0, 1.0, 0.0},
    {0.0, 0.0, 0.0, 1.0},
};

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 6.283185307179586;

// Storage for a host assembly component path: the owner handle, 25 component ids and
// their count. The host fills it; this code only hands its address on.
struct alignas(8) AsmcomppathStorage {
  unsigned char bytes[sizeof(void*) + 26 * sizeof(int) + 4];
};

}  // namespace

double* VynUtilVectorCopy(const double* from, double* to) {
  if (from) {
    std::memcpy(to, from, 3 * sizeof(double));
  } else {
    to[0] = 0.0;
    to[1] = 0.0;
    to[2] = 0.0;
  }
  return to;
}

double* VynUtilVectorCross(const double* a, const double* b, double* c) {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
  return c;
}

double VynUtilVectorDot(const double* a, const double* b) {
  return (a[2] * b[2] + a[1] * b[1]) + a[0] * b[0];
}

double VynUtilVectorLength(const double* v) {
  return std::sqrt((v[0] * v[0] + v[1] * v[1]) + v[2] * v[2]);
}

double* VynUtilVectorNormalize(const double* v, double* out) {
  double s = 1.0 / VynUtilVectorLength(v);
  return VynUtilVectorScale(s, v, out);
}

// The component-wise functions read only index i before writing index i, so their
// target may be one of their inputs.
double* VynUtilVectorScale(double s, const double* v, double* out) {
  for (int i = 0; i < 3; ++i) out[i] = s * v[i];
  return out;
}

double* VynUtilVectorSum(const double* a, const double* b, double* out) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] + b[i];
  return out;
}

double* VynUtilVectorDiff(const double* a, const double* b, double* out) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] - b[i];
  return out;
}

double* VynUtilVectorsLincom(double alpha, const double* u, double beta, const double* v,
                             double* out) {
  for (int i = 0; i < 3; ++i) out[i] = alpha * u[i] + beta * v[i];
  return out;
}

double VynUtilPointsDist(const double* p1, const double* p2) {
  double d[3];
  VynUtilVectorDiff(p1, p2, d);
  return std::sqrt(VynUtilVectorDot(d, d));
}

double VynUtilPointLineDist(const double* p, const double* l1, const double* l2) {
  double u[3];
  VynUtilVectorNormalize(VynUtilVectorDiff(l1, l2, u), u);
  double w[3];
  double s = VynUtilVectorDot(u, VynUtilVectorDiff(p, l1, w));
  double foot[3];
  VynUtilVectorsLincom(1.0, l1, s, u, foot);
  return VynUtilPointsDist(p, foot);
}

double VynUtilPointPlaneDist(const double* p, const double* q, const double* n) {
  double d[3];
  return VynUtilVectorDot(VynUtilVectorDiff(p, q, d), n);
}

double* VynUtilPlaneLineX(const double* q, const double* n, const double* r, const double* d,
                          double* out) {
  double dn = VynUtilVectorDot(n, d);
  // Written so that a NaN also counts as parallel.
  if (!(std::fabs(dn) >= 1.0e-6)) return nullptr;
  double qr[3];
  double t = VynUtilVectorDot(VynUtilVectorDiff(q, r, qr), n) / dn;
  return VynUtilVectorsLincom(1.0, r, t, d, out);
}

int VynUtilVectorsToTransf(const double* x, const double* y, const double* z,
                           const double* origin, double m[4][4]) {
  const double* rows[4] = {x, y, z, origin};
  for (int i = 0; i < 4; ++i) {
    if (rows[i]) VynUtilVectorCopy(rows[i], m[i]);
  }
  for (int i = 0; i < 3; ++i) m[i][3] = 0.0;
  m[3][3] = 1.0;
  return 0;
}

int VynUtilTransfToVectors(const double m[4][4], double* x, double* y, double* z,
                           double* origin) {
  double* rows[4] = {x, y, z, origin};
  for (int i = 0; i < 4; ++i) VynUtilVectorCopy(m ? m[i] : nullptr, rows[i]);
  return 0;
}

void VynUtilMatrixCopy(const double from[4][4], double to[4][4]) {
  std::memcpy(to, from ? from : vyn_util_identity_matrix, 16 * sizeof(double));
}

void VynUtilMatrixProduct(const double a[4][4], const double b[4][4], double out[4][4]) {
  if (!a) {
    VynUtilMatrixCopy(b, out);
    return;
  }
  if (!b) {
    VynUtilMatrixCopy(a, out);
    return;
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      out[i][j] = 0.0;
      for (int k = 0; k < 4; ++k) out[i][j] = a[i][k] * b[k][j] + out[i][j];
    }
  }
}

int VynUtilMatrixInvert(const double m[4][4], double out[4][4]) {
  if (!m) {
    VynUtilMatrixCopy(nullptr, out);
    return 1;
  }
  double s2 = (m[0][0] * m[0][0] + m[0][1] * m[0][1]) + m[0][2] * m[0][2];
  // Written so that a NaN also fails.
  if (!(s2 >= 1.0e-18)) return 0;
  double inv = 1.0 / s2;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) out[i][j] = inv * m[j][i];
    out[i][3] = 0.0;
  }
  for (int j = 0; j < 3; ++j) {
    out[3][j] = 0.0;
    for (int k = 0; k < 3; ++k) out[3][j] = out[3][j] - m[j][k] * m[3][k] * inv;
  }
  out[3][3] = 1.0;
  return 1;
}

double* VynUtilPointTrans(const double m[4][4], const double* p, double* out) {
  if (!m) return VynUtilVectorCopy(p, out);
  double temp[3];
  VynError status = VynPntTrfEval(p, m, temp);
  util_call_report("VynPntTrfEval()", "VynUtilPointTrans()", status);
  // A failed host call leaves temp unset: keep the caller's out as it was.
  if (status == VYN_TK_NO_ERROR) VynUtilVectorCopy(temp, out);
  return out;
}

double* VynUtilVectorTrans(const double m[4][4], const double* v, double* out) {
  if (!m) return VynUtilVectorCopy(v, out);
  VynError status = VynVectorTrfEval(v, m, out);
  util_call_report("VynVectorTrfEval()", "VynUtilVectorTrans()", status);
  return out;
}

int VynUtilInvertCsysMatrix(VynSelection selection, const VynGeomitemdata* csys_data,
                            double out[4][4]) {
  VynUtilMatrixCopy(nullptr, out);
  if (!csys_data) return VYN_TK_BAD_INPUTS;
  AsmcomppathStorage storage;
  std::memset(&storage, 0, sizeof storage);
  VynAsmcomppath* path = reinterpret_cast<VynAsmcomppath*>(&storage);
  VynError status = VynSelectionAsmcomppathGet(selection, path);
  if (status != VYN_TK_NO_ERROR) return status;
  double trf[4][4];
  VynUtilMatrixCopy(nullptr, trf);
  status = VynAsmcomppathTrfGet(path, 1, trf);
  if (status != VYN_TK_NO_ERROR) return status;
  // The data word of the geometry record points to the axes and origin, one after the
  // other.
  const double* vectors = nullptr;
  std::memcpy(&vectors, reinterpret_cast<const unsigned char*>(csys_data) +
                            offsetof(VynGeomitemdata, data),
              sizeof vectors);
  if (!vectors) return VYN_TK_BAD_INPUTS;
  double csys[4][4];
  VynUtilMatrixCopy(nullptr, csys);
  for (int i = 0; i < 4; ++i) VynUtilVectorCopy(vectors + 3 * i, csys[i]);
  double product[4][4];
  VynUtilMatrixProduct(csys, trf, product);
  // Inverting leaves out as the identity when it fails.
  if (!VynUtilMatrixInvert(product, out)) return VYN_TK_GENERAL_ERROR;
  return VYN_TK_NO_ERROR;
}

int VynUtilArc3Points(const double* p1, const double* p2, const double* p3, double* radius,
                      double* centre) {
  double d2[3];
  double d1[3];
  double u2[3];
  double u1[3];
  VynUtilVectorDiff(p3, p2, d2);
  double l2 = VynUtilVectorLength(d2);
  VynUtilVectorNormalize(d2, u2);
  VynUtilVectorDiff(p1, p2, d1);
  double l1 = VynUtilVectorLength(d1);
  VynUtilVectorNormalize(d1, u1);
  double s = 0.0;
  if (l2 != 0.0 && l1 != 0.0) {
    double c[3];
    VynUtilVectorCross(u2, u1, c);
    s = VynUtilVectorDot(c, c);
  }
  if (l2 == 0.0 || l1 == 0.0 || s < 1.0e-10) {
    *radius = 1.0e11;
    return 0;
  }
  double cs = VynUtilVectorDot(u2, u1);
  double chord[3];
  *radius = VynUtilVectorLength(VynUtilVectorDiff(p3, p1, chord)) / (2.0 * std::sqrt(s));
  double a = (1.0 - cs * l1 / l2) * 0.5 / s;
  double b = (1.0 - cs * l2 / l1) * 0.5 / s;
  double offset[3];
  VynUtilVectorsLincom(a, d2, b, d1, offset);
  VynUtilVectorSum(p2, offset, centre);
  return 1;
}

namespace {

// The angle of p about c in the XY plane, in [0, 2*pi); 0 for a point on c.
double angle_about(const double* p, const double* c) {
  double dx = p[0] - c[0];
  double dy = p[1] - c[1];
  if (dx == 0.0 && dy == 0.0) return 0.0;
  double t = std::atan2(dy, dx);
  if (t < 0.0) t += kTwoPi;
  return t;
}

}  // namespace

int VynUtilArcEndPoints(const double p1[3], const double p2[3], const double p3[3],
                        const double c[3], double* start, double* end) {
  // The points arrive as values: copy them before writing start and end, which may be
  // one of them.
  double a[3];
  double b[3];
  VynUtilVectorCopy(p1, a);
  VynUtilVectorCopy(p2, b);
  double t1 = angle_about(p1, c);
  double t2 = angle_about(p2, c);
  double t3 = angle_about(p3, c);
  bool p2_first;
  if ((t3 > t1 && t3 > t2) || (!(t3 >= t1) && !(t3 >= t2))) {
    // The arc through p3 runs past angle 0.
    p2_first = t2 > t1;
  } else {
    p2_first = t2 <= t1;
  }
  VynUtilVectorCopy(p2_first ? b : a, start);
  VynUtilVectorCopy(p2_first ? a : b, end);
  return 0;
}

void VynUtilXRot(double angle, double m[4][4]) {
  double a = angle * kPi / 180.0;
  double c = std::cos(a);
  double s = std::sin(a);
  m[0][0] = 1.0;
  m[0][1] = 0.0;
  m[0][2] = 0.0;
  m[1][0] = 0.0;
  m[1][1] = c;
  m[1][2] = s;
  m[2][0] = 0.0;
  m[2][1] = -s;
  m[2][2] = c;
}

void VynUtilRotZ(double angle, double m[4][4]) {
  double a = angle * kPi / 180.0;
  double c = std::cos(a);
  double s = std::sin(a);
  m[0][0] = c;
  m[0][1] = s;
  m[0][2] = 0.0;
  m[1][0] = -s;
  m[1][1] = c;
  m[1][2] = 0.0;
  m[2][0] = 0.0;
  m[2][1] = 0.0;
  m[2][2] = 1.0;
}
