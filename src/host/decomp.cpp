#include "host/decomp.h"

#include <cmath>

namespace {

// Column-vector 3 x 3 matrices in double: the decomposition iterates, and float round-off would
// decide when it stops.
using Mat = double[3][3];

void Identity(Mat m) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

void Copy(Mat to, const Mat from) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) to[i][j] = from[i][j];
}

void Cross(const double* a, const double* b, double* out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

double NormInf(const Mat m) {
  double best = 0.0;
  for (int i = 0; i < 3; ++i) {
    double sum = std::fabs(m[i][0]) + std::fabs(m[i][1]) + std::fabs(m[i][2]);
    if (sum > best) best = sum;
  }
  return best;
}

double NormOne(const Mat m) {
  double best = 0.0;
  for (int j = 0; j < 3; ++j) {
    double sum = std::fabs(m[0][j]) + std::fabs(m[1][j]) + std::fabs(m[2][j]);
    if (sum > best) best = sum;
  }
  return best;
}

void AdjointTranspose(const Mat m, Mat out) {
  Cross(m[1], m[2], out[0]);
  Cross(m[2], m[0], out[1]);
  Cross(m[0], m[1], out[2]);
}

int FindMaxColumn(const Mat m) {
  double best = 0.0;
  int column = -1;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      if (std::fabs(m[i][j]) > best) {
        best = std::fabs(m[i][j]);
        column = j;
      }
    }
  return column;
}

// A Householder vector u that reflects v onto the Z axis.
void MakeReflector(const double* v, double* u) {
  double s = std::sqrt(Dot(v, v));
  u[0] = v[0];
  u[1] = v[1];
  u[2] = v[2] + (v[2] < 0.0 ? -s : s);
  s = std::sqrt(2.0 / Dot(u, u));
  for (int i = 0; i < 3; ++i) u[i] *= s;
}

void ReflectColumns(Mat m, const double* u) {
  for (int i = 0; i < 3; ++i) {
    double s = u[0] * m[0][i] + u[1] * m[1][i] + u[2] * m[2][i];
    for (int j = 0; j < 3; ++j) m[j][i] -= u[j] * s;
  }
}

void ReflectRows(Mat m, const double* u) {
  for (int i = 0; i < 3; ++i) {
    double s = Dot(u, m[i]);
    for (int j = 0; j < 3; ++j) m[i][j] -= u[j] * s;
  }
}

// The orthogonal factor of a matrix of rank 1 (or 0).
void OrthogonalOfRank1(Mat m, Mat q) {
  Identity(q);
  int column = FindMaxColumn(m);
  if (column < 0) return;
  double v1[3] = {m[0][column], m[1][column], m[2][column]};
  MakeReflector(v1, v1);
  ReflectColumns(m, v1);
  double v2[3] = {m[2][0], m[2][1], m[2][2]};
  MakeReflector(v2, v2);
  ReflectRows(m, v2);
  if (m[2][2] < 0.0) q[2][2] = -1.0;
  ReflectColumns(q, v1);
  ReflectRows(q, v2);
}

// The orthogonal factor of a matrix of rank 2, given its adjoint transpose.
void OrthogonalOfRank2(Mat m, const Mat adjointT, Mat q) {
  int column = FindMaxColumn(adjointT);
  if (column < 0) {
    OrthogonalOfRank1(m, q);
    return;
  }
  double v1[3] = {adjointT[0][column], adjointT[1][column], adjointT[2][column]};
  MakeReflector(v1, v1);
  ReflectColumns(m, v1);
  double v2[3];
  Cross(m[0], m[1], v2);
  MakeReflector(v2, v2);
  ReflectRows(m, v2);
  double w = m[0][0], x = m[0][1], y = m[1][0], z = m[1][1];
  double c, s;
  Identity(q);
  if (w * z > x * y) {
    c = z + w;
    s = y - x;
    double d = std::sqrt(c * c + s * s);
    c /= d;
    s /= d;
    q[0][0] = q[1][1] = c;
    q[1][0] = s;
    q[0][1] = -s;
  } else {
    c = z - w;
    s = y + x;
    double d = std::sqrt(c * c + s * s);
    c /= d;
    s /= d;
    q[1][1] = c;
    q[0][0] = -c;
    q[0][1] = q[1][0] = s;
  }
  ReflectColumns(q, v1);
  ReflectRows(q, v2);
}

// M = Q * S with Q orthogonal and S symmetric positive semi-definite; returns det(Q)'s sign
// carrier (the last determinant of the iteration).
double PolarDecompose(const Mat m, Mat q, Mat s) {
  constexpr double kTolerance = 1.0e-6;
  Mat mk, adjointTk, ek;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) mk[i][j] = m[j][i];
  double mOne = NormOne(mk), mInf = NormInf(mk), det = 0.0;
  for (int iteration = 0; iteration < 100; ++iteration) {
    AdjointTranspose(mk, adjointTk);
    det = Dot(mk[0], adjointTk[0]);
    if (det == 0.0) {
      Mat rank2;
      Copy(rank2, mk);
      OrthogonalOfRank2(rank2, adjointTk, mk);
      break;
    }
    double adjOne = NormOne(adjointTk), adjInf = NormInf(adjointTk);
    double gamma = std::sqrt(std::sqrt((adjOne * adjInf) / (mOne * mInf)) / std::fabs(det));
    double g1 = gamma * 0.5, g2 = 0.5 / (gamma * det);
    Copy(ek, mk);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) mk[i][j] = g1 * mk[i][j] + g2 * adjointTk[i][j];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) ek[i][j] -= mk[i][j];
    double eOne = NormOne(ek);
    mOne = NormOne(mk);
    mInf = NormInf(mk);
    if (eOne <= mOne * kTolerance) break;
  }
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) q[i][j] = mk[j][i];
  // S = Q^T * M, symmetrised against round-off.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      s[i][j] = mk[i][0] * m[0][j] + mk[i][1] * m[1][j] + mk[i][2] * m[2][j];
  for (int i = 0; i < 3; ++i)
    for (int j = i; j < 3; ++j) s[i][j] = s[j][i] = 0.5 * (s[i][j] + s[j][i]);
  return det;
}

// Eigenvectors (columns of U) and eigenvalues of a symmetric matrix, by Jacobi rotations.
Point3 SpectralDecompose(const Mat s, Mat u) {
  static constexpr int kNext[3] = {1, 2, 0};
  Identity(u);
  double diag[3] = {s[0][0], s[1][1], s[2][2]};
  double off[3] = {s[1][2], s[2][0], s[0][1]};  // indexed by the omitted axis
  for (int sweep = 20; sweep > 0; --sweep) {
    if (std::fabs(off[0]) + std::fabs(off[1]) + std::fabs(off[2]) == 0.0) break;
    for (int i = 2; i >= 0; --i) {
      int p = kNext[i], q = kNext[p];
      double absOff = std::fabs(off[i]);
      if (absOff <= 0.0) continue;
      double g = 100.0 * absOff, h = diag[q] - diag[p], t;
      if (std::fabs(h) + g == std::fabs(h)) {
        t = off[i] / h;
      } else {
        double theta = 0.5 * h / off[i];
        t = 1.0 / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        if (theta < 0.0) t = -t;
      }
      double c = 1.0 / std::sqrt(t * t + 1.0), sn = t * c, tau = sn / (c + 1.0);
      double ta = t * off[i];
      off[i] = 0.0;
      diag[p] -= ta;
      diag[q] += ta;
      double offQ = off[q];
      off[q] -= sn * (off[p] + tau * off[q]);
      off[p] += sn * (offQ - tau * off[p]);
      for (int j = 2; j >= 0; --j) {
        double a = u[j][p], b = u[j][q];
        u[j][p] -= sn * (b + tau * a);
        u[j][q] += sn * (a - tau * b);
      }
    }
  }
  return Point3(static_cast<float>(diag[0]), static_cast<float>(diag[1]),
                static_cast<float>(diag[2]));
}

// The host matrix of a column-vector rotation: its transpose, read as rows.
Matrix3 RowMatrixOf(const Mat columnMatrix) {
  Matrix3 m;
  for (int row = 0; row < 3; ++row)
    m.SetRow(row, Point3(static_cast<float>(columnMatrix[0][row]),
                         static_cast<float>(columnMatrix[1][row]),
                         static_cast<float>(columnMatrix[2][row])));
  return m;
}

}  // namespace

void decomp_affine(const Matrix3& m, AffineParts* parts) {
  Mat a, q, s, u;
  // The host's rows are the images of the axes: as a column-vector matrix they are the columns.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) a[i][j] = m[j][i];
  parts->t = m.GetTrans();
  double det = PolarDecompose(a, q, s);
  if (det < 0.0) {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) q[i][j] = -q[i][j];
    parts->f = -1.0f;
  } else {
    parts->f = 1.0f;
  }
  parts->q = Quat(RowMatrixOf(q));
  parts->k = SpectralDecompose(s, u);
  parts->u = Quat(RowMatrixOf(u));
}

namespace {

// Without shear the stretch is the axes' lengths along the axes themselves, and the rotation the
// normalised axes: what the full decomposition finds, without its iterations. Animation samples
// are nearly always of this kind.
bool DecomposeWithoutShear(const Matrix3& m, Point3& position, Quat& rotation, Point3& scale) {
  double length[3];
  for (int i = 0; i < 3; ++i) length[i] = std::sqrt(static_cast<double>(m[i].LengthSquared()));
  if (length[0] == 0.0 || length[1] == 0.0 || length[2] == 0.0) return false;
  // Axes square to within a millionth: what float rounding leaves in a product of rotations.
  constexpr double kOrthogonal = 1e-6;
  for (int i = 0; i < 3; ++i) {
    int j = (i + 1) % 3;
    double dot = static_cast<double>(m[i].x) * m[j].x + static_cast<double>(m[i].y) * m[j].y +
                 static_cast<double>(m[i].z) * m[j].z;
    if (std::fabs(dot) > kOrthogonal * length[i] * length[j]) return false;
  }
  if (m.Determinant() <= 0.0f) return false;
  Matrix3 axes;
  for (int i = 0; i < 3; ++i) axes.SetRow(i, m[i] / static_cast<float>(length[i]));
  position = m.GetTrans();
  rotation = Quat(axes);
  scale = Point3(static_cast<float>(length[0]), static_cast<float>(length[1]),
                 static_cast<float>(length[2]));
  return true;
}

}  // namespace

void DecomposeMatrix(const Matrix3& m, Point3& position, Quat& rotation, Point3& scale) {
  if (DecomposeWithoutShear(m, position, rotation, scale)) return;
  AffineParts parts;
  decomp_affine(m, &parts);
  position = parts.t;
  rotation = parts.q;
  scale = parts.k * parts.f;
}

Matrix3 ComposeAffine(const AffineParts& parts) {
  Matrix3 u, q;
  parts.u.MakeMatrix(u);
  parts.q.MakeMatrix(q);
  Matrix3 result =
      Inverse(u) * ScaleMatrix(parts.k) * u * q * ScaleMatrix(Point3(parts.f, parts.f, parts.f));
  result.SetTrans(parts.t);
  return result;
}
