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

TEST(Quat, TurnsTheOtherWayFromTheClassicQuaternion) {
  // The classic quaternion of a turn by a about X is (sin a/2, 0, 0, cos a/2); the host's is its
  // conjugate, and an angle about an axis turns clockwise.
  float a = 0.7f;
  Quat q(RotateXMatrix(a));
  EXPECT_NEAR(q.x, -std::sin(a / 2), 1e-6f);
  EXPECT_NEAR(q.y, 0, 1e-6f);
  EXPECT_NEAR(q.z, 0, 1e-6f);
  EXPECT_NEAR(q.w, std::cos(a / 2), 1e-6f);
  Matrix3 back;
  QFromAngAxis(a, {0, 0, 1}).MakeMatrix(back);
  ExpectMatrixNear(back, RotateZMatrix(-a));
  // Every branch of the matrix-to-quaternion conversion (trace negative, each axis largest).
  for (Point3 axis : {Point3(1, 0, 0), Point3(0, 1, 0), Point3(0, 0, 1), Point3(1, 1, -1)}) {
    Matrix3 m;
    QFromAngAxis(3.0f, axis).MakeMatrix(m);
    Matrix3 again;
    Quat(m).MakeMatrix(again);
    ExpectMatrixNear(again, m);
  }
}

TEST(Quat, OfAFrameMatrixIsTheRotationKeyDirectXToolsWrite) {
  // Frames of a skinned sample written by DirectX tools, each with the first rotation key of its
  // animation (w, x, y, z in the file), which holds the frame at rest.
  struct Frame {
    Matrix3 m;
    float w, x, y, z;
  };
  const Frame frames[] = {
      {Matrix3({0, 0.999908f, 0.013585f}, {0, 0.013585f, -0.999908f}, {-1, 0, 0}, {}), 0.503385f,
       0.496592f, 0.503385f, -0.496592f},
      {Matrix3({-0.216921f, -0.562164f, -0.798071f}, {-0.115515f, -0.797011f, 0.592815f},
               {-0.96933f, 0.220783f, 0.107951f}, {}),
       0.153312f, -0.606659f, 0.279267f, 0.728334f},
      {Matrix3({-0.217737f, -0.547505f, 0.807978f}, {0.14123f, 0.801453f, 0.581143f},
               {-0.965735f, 0.240647f, -0.097182f}, {}),
       0.609618f, -0.139635f, 0.727388f, 0.282445f}};
  for (const Frame& frame : frames) {
    Point3 position, scale;
    Quat rotation;
    DecomposeMatrix(frame.m, position, rotation, scale);
    // The decomposition may give either sign of the same rotation: compare with w made positive.
    if (rotation.w < 0) rotation = Quat(-rotation.x, -rotation.y, -rotation.z, -rotation.w);
    EXPECT_TRUE(rotation.Equals(Quat(frame.x, frame.y, frame.z, frame.w), 2e-6f))
        << rotation.x << " " << rotation.y << " " << rotation.z << " " << rotation.w;
    Matrix3 keyed;
    Quat(frame.x, frame.y, frame.z, frame.w).MakeMatrix(keyed);
    ExpectMatrixNear(keyed, frame.m, 2e-6f);
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
