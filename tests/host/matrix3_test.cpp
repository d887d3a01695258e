// The host math every transform of the exporter goes through: rotation tables, product order,
// scale with and without translation, inverse.
#include "host/matrix3.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const Matrix3& actual, const Matrix3& expected, float tolerance = 1e-6f) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 3; ++column) {
      EXPECT_NEAR(actual[row][column], expected[row][column], tolerance)
          << "row " << row << ", column " << column;
    }
  }
}

constexpr float kAngle = 0.3f;

TEST(Matrix3, RotationsFollowTheHostTables) {
  float c = std::cos(kAngle), s = std::sin(kAngle);
  ExpectNear(RotateXMatrix(kAngle), Matrix3({1, 0, 0}, {0, c, s}, {0, -s, c}, {0, 0, 0}));
  ExpectNear(RotateYMatrix(kAngle), Matrix3({c, 0, -s}, {0, 1, 0}, {s, 0, c}, {0, 0, 0}));
  ExpectNear(RotateZMatrix(kAngle), Matrix3({c, s, 0}, {-s, c, 0}, {0, 0, 1}, {0, 0, 0}));

  // The in-place forms start from the identity and give the same rows.
  Matrix3 m;
  m.RotateY(kAngle);
  ExpectNear(m, RotateYMatrix(kAngle));
}

TEST(Matrix3, ProductAppliesTheLeftMatrixFirst) {
  // Rotating (1,0,0) by 90 degrees about Z gives (0,1,0); moving it afterwards adds (5,0,0).
  Matrix3 rotateThenMove = RotateZMatrix(static_cast<float>(M_PI / 2)) * TransMatrix({5, 0, 0});
  Point3 p = Point3(1, 0, 0) * rotateThenMove;
  EXPECT_NEAR(p.x, 5, 1e-6);
  EXPECT_NEAR(p.y, 1, 1e-6);
  // Moving first and rotating afterwards carries the offset round too: (6,0,0) -> (0,6,0).
  Point3 q =
      Point3(1, 0, 0) * (TransMatrix({5, 0, 0}) * RotateZMatrix(static_cast<float>(M_PI / 2)));
  EXPECT_NEAR(q.x, 0, 1e-5);
  EXPECT_NEAR(q.y, 6, 1e-5);

  // The incremental forms append: RotateX after a translation also rotates the translation row.
  Matrix3 m = TransMatrix({0, 1, 0});
  m.RotateX(static_cast<float>(M_PI / 2));
  EXPECT_NEAR(m.GetTrans().z, 1, 1e-6);
}

TEST(Matrix3, ScaleTouchesTheTranslationOnlyWhenAsked) {
  Matrix3 m = RotateZMatrix(kAngle) * TransMatrix({1, 2, 3});
  Matrix3 axesOnly = m;
  axesOnly.Scale({2, 3, 4});
  EXPECT_EQ(axesOnly.GetTrans(), Point3(1, 2, 3));
  EXPECT_FLOAT_EQ(axesOnly[0].x, 2 * m[0].x);
  EXPECT_FLOAT_EQ(axesOnly[1].y, 3 * m[1].y);

  Matrix3 withTranslation = m;
  withTranslation.Scale({2, 3, 4}, true);
  EXPECT_EQ(withTranslation.GetTrans(), Point3(2, 6, 12));
}

TEST(Matrix3, InverseUndoesRotationScaleAndTranslation) {
  Matrix3 m = ScaleMatrix({2, 0.5f, -3});
  m.RotateX(0.4f);
  m.RotateY(-1.1f);
  m.RotateZ(2.5f);
  m.Translate({10, -20, 30});
  ExpectNear(Inverse(m) * m, Matrix3(), 1e-5f);
  ExpectNear(m * Inverse(m), Matrix3(), 1e-5f);
}

TEST(Matrix3, InverseOfASingularMatrixHasNoNotANumber) {
  // A zero scale flattens space: there is no inverse, and no division by zero either.
  Matrix3 flat = ScaleMatrix({1, 0, 1});
  flat.Translate({1, 2, 3});
  Matrix3 inverse = Inverse(flat);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 3; ++column) EXPECT_TRUE(std::isfinite(inverse[row][column]));
  }
}

TEST(Matrix3, DeterminantIsNegativeOnlyForMirrors) {
  EXPECT_GT(RotateYMatrix(2.0f).Determinant(), 0);
  EXPECT_LT(ScaleMatrix({-1, 1, 1}).Determinant(), 0);
  EXPECT_GT(ScaleMatrix({-1, -1, 1}).Determinant(), 0);
}

}  // namespace
