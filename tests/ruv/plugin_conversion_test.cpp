#include <gtest/gtest.h>

#include "ruv/core/conversion.h"

namespace {

// Rotations by a right angle leave cos(pi/2) in float, about 4e-8, where the exact matrix has 0.
constexpr float kRightAngleResidue = 1e-7f;

void ExpectRows(const Matrix3& m, Point3 r0, Point3 r1, Point3 r2, float tolerance = 0.0f) {
  const Point3 expected[3] = {r0, r1, r2};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      EXPECT_NEAR(m[row][col], expected[row][col], tolerance) << "row " << row << " col " << col;
    }
  }
  EXPECT_EQ(m.GetTrans(), Point3(0, 0, 0));
}

Point3 Converted(Point3 p) { return p * gConversion; }

}  // namespace

TEST(SetupConversion, DefaultSwapsYAndZ) {
  SetupConversion(1.0f, 0, 0.0f, 0.0f);
  ExpectRows(gConversion, {1, 0, 0}, {0, 0, 1}, {0, 1, 0});
  ExpectRows(gConversionInverse, {1, 0, 0}, {0, 0, 1}, {0, 1, 0});
  EXPECT_EQ(Converted({1, 2, 3}), Point3(1, 3, 2));
}

TEST(SetupConversion, RightHandedTurnsZUpIntoYUp) {
  SetupConversion(1.0f, 1, 0.0f, 0.0f);
  ExpectRows(gConversion, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}, kRightAngleResidue);
  ExpectRows(gConversionInverse, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}, kRightAngleResidue);
  // With an extra X rotation of 90 degrees the total is -180: (0, 0, 1) comes out as (0, 0, -1).
  SetupConversion(1.0f, 1, 90.0f, 0.0f);
  Point3 p = Converted({0, 0, 1});
  EXPECT_NEAR(p.x, 0, kRightAngleResidue);
  EXPECT_NEAR(p.y, 0, kRightAngleResidue);
  EXPECT_NEAR(p.z, -1, kRightAngleResidue);
}

TEST(SetupConversion, ScaleLeavesRotationAndIsSkippedWhenNotPositiveOrOne) {
  SetupConversion(2.0f, 0, 0.0f, 0.0f);
  ExpectRows(gConversion, {2, 0, 0}, {0, 0, 2}, {0, 2, 0});
  ExpectRows(gConversionInverse, {0.5f, 0, 0}, {0, 0, 0.5f}, {0, 0.5f, 0});
  for (float ignored : {0.0f, -3.0f, 1.0f}) {
    SetupConversion(ignored, 0, 0.0f, 0.0f);
    ExpectRows(gConversion, {1, 0, 0}, {0, 0, 1}, {0, 1, 0});
  }
}

TEST(SetupConversion, ZRotationAboutTheOutputUpAxis) {
  // Default handedness with ZRot 90: C = S * Y(-90 deg), so host X comes out along output Z.
  SetupConversion(1.0f, 0, 0.0f, 90.0f);
  Point3 p = Converted({1, 0, 0});
  EXPECT_NEAR(p.x, 0, kRightAngleResidue);
  EXPECT_NEAR(p.y, 0, kRightAngleResidue);
  EXPECT_NEAR(p.z, 1, kRightAngleResidue);
}

TEST(SetupConversion, TransformsTakeTheScaleIntoTheTranslationOnly) {
  SetupConversion(2.0f, 0, 0.0f, 0.0f);
  Matrix3 m = TransMatrix({1, 2, 3});
  m.RotateZ(0.5f);
  m.SetTrans({1, 2, 3});
  Matrix3 out = ConvertTransform(m);
  EXPECT_NEAR(out.Determinant(), m.Determinant(), 1e-6f);
  EXPECT_NEAR(out.GetTrans().x, 2, 1e-6f);
  EXPECT_NEAR(out.GetTrans().y, 6, 1e-6f);
  EXPECT_NEAR(out.GetTrans().z, 4, 1e-6f);
}

TEST(SetupConversion, InverseIsExactForTinyAndHugeScales) {
  for (float scale : {1e-13f, 1e13f, 1e-25f, 1e25f}) {
    SetupConversion(scale, 1, 30.0f, 0.0f);
    Matrix3 round = gConversionInverse * gConversion;
    ExpectRows(round, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 1e-6f);
    Matrix3 out = ConvertTransform(TransMatrix({1, 2, 3}));
    // The node keeps its unit axes and its translation scaled, never zeroed or lost.
    EXPECT_NEAR(out.Determinant(), 1.0f, 1e-5f) << scale;
    EXPECT_NEAR(Length(out.GetTrans() * (1.0f / scale)), std::sqrt(14.0f), 1e-4f) << scale;
  }
}
