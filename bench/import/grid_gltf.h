// A flat n x n grid of vertices as a glTF model: positions, normals (up) and one texture-coordinate
// set, 2 (n - 1)^2 triangles; n = 708 gives just under a million.
#pragma once

#include <filesystem>

namespace bench {

// Writes `folder`/grid.gltf and its buffer grid.bin; returns the path of grid.gltf.
std::filesystem::path WriteGridGltf(const std::filesystem::path& folder, int n);

}  // namespace bench
