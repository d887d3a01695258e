#include <gtest/gtest.h>

#include <cstring>

#include "ruv/core/conversion.h"
#include "ruv/core/transforms.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

namespace {

bool BitwiseEqual(const Matrix3& a, const Matrix3& b) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col)
      if (float x = a[row][col], y = b[row][col]; std::memcmp(&x, &y, sizeof(float)) != 0)
        return false;
  return true;
}

}  // namespace

TEST(RemoveMirror, KeepsAPositiveDeterminantBitForBit) {
  Matrix3 m = ScaleMatrix({1.3f, 0.7f, 2.1f});
  m.RotateX(0.1f);
  m.RotateZ(2.9f);
  m.Translate({0.1f, 1e6f, -3.3f});
  EXPECT_TRUE(BitwiseEqual(RemoveMirror(m), m));
}

TEST(RemoveMirror, DropsTheReflectionAndKeepsThePosition) {
  Matrix3 m = ScaleMatrix({-1, 1, 1});
  m.Translate({10, 20, 30});
  Matrix3 out = RemoveMirror(m);
  EXPECT_GT(out.Determinant(), 0.0f);
  EXPECT_EQ(out.GetTrans(), Point3(10, 20, 30));
  // Every axis keeps its length; the mirror is gone, not squashed.
  for (int row = 0; row < 3; ++row) EXPECT_NEAR(out[row].Length(), 1.0f, 1e-6f);

  Matrix3 scaled = ScaleMatrix({-2, 3, 4});
  scaled.RotateY(0.6f);
  Matrix3 unmirrored = RemoveMirror(scaled);
  EXPECT_NEAR(unmirrored.Determinant(), -scaled.Determinant(), 1e-4f);
}

TEST(LocalFrameMatrix, RelativeToTheParentUnlessInWorldSpace) {
  ExportOptions saved = gExportOptions;
  gConversion = Matrix3();
  gConversionInverse = Matrix3();
  XNode parent, child;
  parent.nodeTM = TransMatrix({1, 2, 3});
  child.nodeTM = TransMatrix({11, 22, 33});
  child.parent = &parent;

  gExportOptions.WorldSpace = 0;
  EXPECT_EQ(LocalFrameMatrix(child).GetTrans(), Point3(10, 20, 30));
  EXPECT_EQ(LocalFrameMatrix(parent).GetTrans(), Point3(1, 2, 3))
      << "a top-level node stands alone";
  gExportOptions.WorldSpace = 1;
  EXPECT_EQ(LocalFrameMatrix(child).GetTrans(), Point3(11, 22, 33));

  // The default conversion swaps Y and Z of the translation.
  SetupConversion(1.0f, 0, 0.0f, 0.0f);
  EXPECT_EQ(LocalFrameMatrix(child).GetTrans(), Point3(11, 33, 22));
  gExportOptions = saved;
}
