// The change of coordinate system from the host's (right-handed, Z up) to the output's (by default
// left-handed, Y up). Every point written goes through C, every transform through C^-1 * M * C.
#pragma once

#include "host/matrix3.h"

// C and its inverse; they keep their values until the next export rebuilds them.
extern Matrix3 gConversion;
extern Matrix3 gConversionInverse;

// Builds C and C^-1 from the output scale, the handedness flag and extra rotations in degrees.
void SetupConversion(float scale, int rightHanded, float xDegrees, float zDegrees);

// C^-1 * m * C: a host transform in output space.
Matrix3 ConvertTransform(const Matrix3& m);
