// The texture-coordinate transform and addressing of a map.
#pragma once

#include <cstdint>

#include "host/matrix2.h"

class Texmap;

// The V flip (u, v) -> (u, 1 - v) that turns the host's texture space into the file's.
constexpr Matrix2 kVFlip{{1, 0}, {0, -1}, {0, 1}};

// The map's own coordinate transform (with its mirror tiling, or its crop when it has no transform
// of its own), followed by the V flip; the V flip alone without a map.
Matrix2 ComputeMapUVTransform(Texmap* map);

// Texture addressing from the map's tiling: 1 wrap, 2 mirror, 0 clamp, for U and for V.
struct TextureAddressing {
  std::uint32_t u = 0;
  std::uint32_t v = 0;
};
TextureAddressing AddressingOf(Texmap* map);
