#include "ruv/core/conversion.h"

#include <bit>
#include <cstdint>

Matrix3 gConversion;
Matrix3 gConversionInverse;

namespace {
// The float constants are fixed to the bit so that every build converts identically.
const float kDegreesToRadians = std::bit_cast<float>(std::uint32_t{0x3C8EFA35});  // 0.017453292
const float kMinusHalfPi = std::bit_cast<float>(std::uint32_t{0xBFC90FDB});       // -1.5707964

// Exchanges Y and Z: the right-handed Z-up host becomes left-handed Y-up.
Matrix3 AxisSwap() { return Matrix3({1, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 0, 0}); }
}  // namespace

void SetupConversion(float scale, int rightHanded, float xDegrees, float zDegrees) {
  Matrix3 a, b, r;
  if (rightHanded) {
    if (zDegrees != 0.0f) a.RotateZ(zDegrees * kDegreesToRadians);
    float xAngle = xDegrees == 0.0f ? kMinusHalfPi : (-90.0f - xDegrees) * kDegreesToRadians;
    b.RotateX(xAngle);
    r = a * b;
  } else {
    if (zDegrees != 0.0f) a.RotateY(zDegrees * -kDegreesToRadians);
    if (xDegrees != 0.0f) b.RotateX(xDegrees * -kDegreesToRadians);
    r = AxisSwap() * a * b;
  }
  gConversion = r;
  gConversionInverse = Inverse(r);
  if (scale > 0.0f && scale != 1.0f) {
    gConversion.Scale(Point3(scale, scale, scale), false);
    // Built from the rotation, never by inverting the scaled matrix: its determinant (scale cubed)
    // underflows or overflows long before the scale itself does.
    float inverseScale = 1.0f / scale;
    gConversionInverse.Scale(Point3(inverseScale, inverseScale, inverseScale), false);
  }
}

Matrix3 ConvertTransform(const Matrix3& m) { return gConversionInverse * m * gConversion; }
