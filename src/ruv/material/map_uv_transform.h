// The texture-coordinate transform of a map.
#pragma once

#include "host/matrix2.h"

class Texmap;

// The V flip (u, v) -> (u, 1 - v) that turns the host's texture space into the file's.
constexpr Matrix2 kVFlip{{1, 0}, {0, -1}, {0, 1}};

// The map's coordinate transform followed by the V flip; the V flip alone without a map.
Matrix2 ComputeMapUVTransform(Texmap* map);
