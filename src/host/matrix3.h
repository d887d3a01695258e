// The host's affine matrix: three axis rows and a translation row. Points are row vectors, so a
// point p maps to p * M, and in A * B the transform A applies first.
#pragma once

#include "host/point3.h"

class Matrix3 {
 public:
  // A new matrix is the identity, so that building a transform starts from "no change".
  Matrix3() { IdentityMatrix(); }
  Matrix3(const Point3& row0, const Point3& row1, const Point3& row2, const Point3& translation);

  void IdentityMatrix();
  void Zero();
  bool IsIdentity() const;

  Point3& operator[](int row) { return rows_[row]; }
  const Point3& operator[](int row) const { return rows_[row]; }
  Point3 GetRow(int row) const { return rows_[row]; }
  void SetRow(int row, const Point3& p) { rows_[row] = p; }
  Point3 GetTrans() const { return rows_[3]; }
  void SetTrans(const Point3& p) { rows_[3] = p; }
  void NoTrans() { rows_[3] = Point3(); }

  // Incremental transforms: each applies after what the matrix already does (M = M * R).
  void RotateX(float angle);
  void RotateY(float angle);
  void RotateZ(float angle);
  void Translate(const Point3& p);
  // Scales the axis rows by s; the translation row only when `trans` is set.
  void Scale(const Point3& s, bool trans = false);

  // Determinant of the 3 x 3 rotation part; negative for a mirroring transform.
  float Determinant() const;

  Matrix3 operator*(const Matrix3& m) const;
  Matrix3& operator*=(const Matrix3& m) { return *this = *this * m; }
  bool operator==(const Matrix3& m) const;
  // Every one of the twelve elements within `epsilon` of m's.
  bool Equals(const Matrix3& m, float epsilon = 1e-6f) const;

  // Transforms a point (with translation) or a direction (without).
  Point3 PointTransform(const Point3& p) const;
  Point3 VectorTransform(const Point3& v) const;

 private:
  Point3 rows_[4];
};

inline Point3 operator*(const Point3& p, const Matrix3& m) { return m.PointTransform(p); }

Matrix3 RotateXMatrix(float angle);
Matrix3 RotateYMatrix(float angle);
Matrix3 RotateZMatrix(float angle);
Matrix3 TransMatrix(const Point3& p);
Matrix3 ScaleMatrix(const Point3& s);
// The inverse of an affine matrix; a singular matrix yields the zero matrix instead of dividing by
// zero.
Matrix3 Inverse(const Matrix3& m);
inline Point3 VectorTransform(const Matrix3& m, const Point3& v) { return m.VectorTransform(v); }
