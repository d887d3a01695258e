#include "host/decomp.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/quat.h"

namespace {

void ExpectMatrixNear(const Matrix3& a, const Matrix3& b, float tolerance = 1e-5f) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col)
      EXPECT_NEAR(a[row][col], b[row][col], tolerance) << "row " << row << " col " << col;
}

Matrix3 SampleTransform() {
  Matrix3 m = ScaleMatrix({2, 3, 0.5f});
  m.RotateX(0.3f);
  m.RotateY(-1.1f);
  m.RotateZ(2.0f);
  m.Translate({5, -6, 7});
  return m;
}

}  // namespace

TEST(Quat, MatchesTheRowVectorRotations) {
  // A rotation by a about X is (sin a/2, 0, 0, cos a/2), and its matrix is RotateXMatrix(a).
  float a = 0.7f;
  Quat q(RotateXMatrix(a));
  EXPECT_NEAR(q.x, std::sin(a / 2), 1e-6f);
  EXPECT_NEAR(q.y, 0, 1e-6f);
  EXPECT_NEAR(q.z, 0, 1e-6f);
  EXPECT_NEAR(q.w, std::cos(a / 2), 1e-6f);
  Matrix3 back;
  QFromAngAxis(a, {0, 0, 1}).MakeMatrix(back);
  ExpectMatrixNear(back, RotateZMatrix(a));
  // Every branch of the matrix-to-quaternion conversion (trace negative, each axis largest).
  for (Point3 axis : {Point3(1, 0, 0), Point3(0, 1, 0), Point3(0, 0, 1), Point3(1, 1, -1)}) {
    Matrix3 m;
    QFromAngAxis(3.0f, axis).MakeMatrix(m);
    Matrix3 again;
    Quat(m).MakeMatrix(again);
    ExpectMatrixNear(again, m);
  }
}

TEST(Quat, ProductAppliesTheLeftRotationFirst) {
  Quat a = QFromAngAxis(0.4f, {1, 0, 0}), b = QFromAngAxis(1.2f, {0, 1, 0});
  Matrix3 ma, mb, mab;
  a.MakeMatrix(ma);
  b.MakeMatrix(mb);
  (a * b).MakeMatrix(mab);
  ExpectMatrixNear(mab, ma * mb);
}

TEST(DecompAffine, RecomposesTheMatrix) {
  Matrix3 m = SampleTransform();
  AffineParts parts;
  decomp_affine(m, &parts);
  EXPECT_EQ(parts.f, 1.0f);
  EXPECT_EQ(parts.t, Point3(5, -6, 7));
  ExpectMatrixNear(ComposeAffine(parts), m);
}

TEST(DecompAffine, SeparatesAMirror) {
  Matrix3 m = ScaleMatrix({-1, 1, 1});
  m.RotateZ(0.5f);
  m.Translate({1, 2, 3});
  AffineParts parts;
  decomp_affine(m, &parts);
  EXPECT_EQ(parts.f, -1.0f);
  ExpectMatrixNear(ComposeAffine(parts), m);
  // Axis-aligned stretch comes out as the stretch factors.
  decomp_affine(ScaleMatrix({2, 3, 4}), &parts);
  EXPECT_NEAR(parts.k.x, 2, 1e-6f);
  EXPECT_NEAR(parts.k.y, 3, 1e-6f);
  EXPECT_NEAR(parts.k.z, 4, 1e-6f);
  EXPECT_TRUE(parts.q.IsIdentity());
}

TEST(DecompAffine, SingularMatricesDecomposeWithoutNaN) {
  for (Point3 scale : {Point3(0, 1, 1), Point3(0, 0, 2), Point3(0, 0, 0)}) {
    Matrix3 m = ScaleMatrix(scale);
    m.RotateY(0.8f);
    AffineParts parts;
    decomp_affine(m, &parts);
    for (float v : {parts.q.x, parts.q.y, parts.q.z, parts.q.w, parts.k.x, parts.k.y, parts.k.z})
      EXPECT_FALSE(std::isnan(v));
    ExpectMatrixNear(ComposeAffine(parts), m);
  }
}

TEST(DecomposeMatrix, GivesPositionRotationAndSignedScale) {
  Matrix3 m = ScaleMatrix({2, 2, 2});
  m.RotateZ(1.0f);
  m.Translate({1, 2, 3});
  Point3 p, s;
  Quat q;
  DecomposeMatrix(m, p, q, s);
  EXPECT_EQ(p, Point3(1, 2, 3));
  EXPECT_NEAR(s.x, 2, 1e-5f);
  EXPECT_NEAR(s.z, 2, 1e-5f);
  Matrix3 rotation;
  q.MakeMatrix(rotation);
  ExpectMatrixNear(rotation, RotateZMatrix(1.0f));
}

TEST(DecomposeMatrix, AgreesWithTheFullDecompositionWithAndWithoutShear) {
  Matrix3 sheared = ScaleMatrix({1, 2, 3});
  sheared.SetRow(1, {0.4f, 2, 0});
  for (Matrix3 m : {ScaleMatrix({1, 3, 0.5f}), ScaleMatrix({-1, 2, 2}), sheared}) {
    m.RotateX(0.3f);
    m.RotateZ(2.5f);
    m.Translate({4, 5, 6});
    Point3 p, s;
    Quat q;
    DecomposeMatrix(m, p, q, s);
    AffineParts parts;
    decomp_affine(m, &parts);
    EXPECT_EQ(p, parts.t);
    // The same rotation: the quaternions agree up to their common sign.
    EXPECT_NEAR(std::fabs(q % parts.q), 1.0f, 1e-6f);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(s[i], parts.k[i] * parts.f, 1e-5f);
  }
}
