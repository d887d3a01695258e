// Affine decomposition of a host matrix into translation, rotation, stretch and mirror.
#pragma once

#include "host/matrix3.h"
#include "host/quat.h"

// M = U^-1 * K * U * Q * F * T in row-vector order: a stretch K along the axes of rotation u,
// then rotation q, then a uniform mirror F = (f, f, f), then translation t.
struct AffineParts {
  Point3 t;        // translation
  Quat q;          // essential rotation
  Quat u;          // stretch rotation
  Point3 k;        // stretch factors
  float f = 1.0f;  // sign of the determinant, +1 or -1
};

// Decomposes by the polar decomposition (an orthogonal factor and a symmetric stretch) and the
// spectral decomposition of the stretch. Singular matrices decompose too: a collapsed axis gets a
// stretch factor of 0.
void decomp_affine(const Matrix3& m, AffineParts* parts);

// Position, rotation and the stretch factors times the mirror sign.
void DecomposeMatrix(const Matrix3& m, Point3& position, Quat& rotation, Point3& scale);

// The matrix of a decomposition: the inverse of decomp_affine.
Matrix3 ComposeAffine(const AffineParts& parts);
