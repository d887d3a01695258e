// What every reader's neutral model goes through before it becomes a scene: the sound reading of
// data that real files get wrong or say in a roundabout way, each change named in one warning.
#pragma once

#include "host/sim/import/imported_model.h"

namespace sim::import {

// A normal this short has no direction: the corner is left to the smoothing groups, as if the
// source gave no normal there.
inline bool IsAbsentNormal(const Point3& normal) { return !(normal.LengthSquared() > 1e-12f); }

// Sums of skin weights above this are scaled down to 1; a little more than 1 is float rounding.
inline constexpr float kWeightSumTolerance = 1e-4f;

// In order:
// - a mesh skinned to its own node alone becomes a rigid mesh: its vertices (and normals) are
//   taken through the one bone's inverse bind matrix, so that it sits and moves as it did;
// - a vertex whose weights sum above 1 has them scaled to sum 1 (one warning with the count);
// - normals of zero length are counted in a warning (the assembly leaves them to the smoothing
//   groups).
void RepairModel(ImportedModel& model);

}  // namespace sim::import
