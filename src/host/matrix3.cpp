#include "host/matrix3.h"

#include <cmath>

Matrix3::Matrix3(const Point3& row0, const Point3& row1, const Point3& row2,
                 const Point3& translation)
    : rows_{row0, row1, row2, translation} {}

void Matrix3::IdentityMatrix() {
  rows_[0] = {1, 0, 0};
  rows_[1] = {0, 1, 0};
  rows_[2] = {0, 0, 1};
  rows_[3] = {0, 0, 0};
}

void Matrix3::Zero() {
  for (Point3& row : rows_) row = Point3();
}

bool Matrix3::IsIdentity() const { return *this == Matrix3(); }

void Matrix3::RotateX(float angle) { *this = *this * RotateXMatrix(angle); }
void Matrix3::RotateY(float angle) { *this = *this * RotateYMatrix(angle); }
void Matrix3::RotateZ(float angle) { *this = *this * RotateZMatrix(angle); }
void Matrix3::Translate(const Point3& p) { rows_[3] += p; }

void Matrix3::Scale(const Point3& s, bool trans) {
  for (int row = 0; row < (trans ? 4 : 3); ++row) {
    rows_[row] = {rows_[row].x * s.x, rows_[row].y * s.y, rows_[row].z * s.z};
  }
}

float Matrix3::Determinant() const { return DotProd(CrossProd(rows_[0], rows_[1]), rows_[2]); }

Matrix3 Matrix3::operator*(const Matrix3& m) const {
  Matrix3 out;
  for (int row = 0; row < 4; ++row) out.rows_[row] = m.VectorTransform(rows_[row]);
  out.rows_[3] += m.rows_[3];
  return out;
}

bool Matrix3::operator==(const Matrix3& m) const {
  for (int row = 0; row < 4; ++row) {
    if (!(rows_[row] == m.rows_[row])) return false;
  }
  return true;
}

bool Matrix3::Equals(const Matrix3& m, float epsilon) const {
  for (int row = 0; row < 4; ++row) {
    if (!rows_[row].Equals(m.rows_[row], epsilon)) return false;
  }
  return true;
}

Point3 Matrix3::PointTransform(const Point3& p) const { return VectorTransform(p) + rows_[3]; }

Point3 Matrix3::VectorTransform(const Point3& v) const {
  return {v.x * rows_[0].x + v.y * rows_[1].x + v.z * rows_[2].x,
          v.x * rows_[0].y + v.y * rows_[1].y + v.z * rows_[2].y,
          v.x * rows_[0].z + v.y * rows_[1].z + v.z * rows_[2].z};
}

Matrix3 RotateXMatrix(float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Matrix3({1, 0, 0}, {0, c, s}, {0, -s, c}, {0, 0, 0});
}

Matrix3 RotateYMatrix(float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Matrix3({c, 0, -s}, {0, 1, 0}, {s, 0, c}, {0, 0, 0});
}

Matrix3 RotateZMatrix(float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Matrix3({c, s, 0}, {-s, c, 0}, {0, 0, 1}, {0, 0, 0});
}

Matrix3 TransMatrix(const Point3& p) { return Matrix3({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, p); }

Matrix3 ScaleMatrix(const Point3& s) {
  return Matrix3({s.x, 0, 0}, {0, s.y, 0}, {0, 0, s.z}, {0, 0, 0});
}

Matrix3 Inverse(const Matrix3& m) {
  const Point3 &a = m[0], &b = m[1], &c = m[2];
  float det = m.Determinant();
  Matrix3 out;
  out.Zero();
  if (det != 0.0f) {
    // The inverse of the rotation part is the transposed cofactor matrix over the determinant; in
    // row-vector form its columns are the cross products of the rows.
    Point3 bc = CrossProd(b, c), ca = CrossProd(c, a), ab = CrossProd(a, b);
    float inv = 1.0f / det;
    out[0] = Point3(bc.x, ca.x, ab.x) * inv;
    out[1] = Point3(bc.y, ca.y, ab.y) * inv;
    out[2] = Point3(bc.z, ca.z, ab.z) * inv;
  }
  out.SetTrans(-out.VectorTransform(m.GetTrans()));
  return out;
}
