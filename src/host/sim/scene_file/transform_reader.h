// The "transform" object of a scene node.
#pragma once

#include "host/matrix3.h"
#include "host/sim/scene_file/json_place.h"

namespace sim {

// Either {"matrix": [row0, row1, row2, translation]} with rows of three numbers, or any of
// "translate" [x, y, z], "rotate" [x, y, z] (degrees, applied about X, then Y, then Z) and "scale"
// [x, y, z], composed as scale, rotation, translation.
Matrix3 ReadTransform(const JsonPlace& transform);

}  // namespace sim
