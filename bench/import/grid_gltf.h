// A flat n x n grid of vertices as a glTF model: positions, normals (up) and one texture-coordinate
// set, 2 (n - 1)^2 triangles; n = 708 gives just under a million.
#pragma once

#include <filesystem>

namespace bench {

// A chain of joints along the grid's columns that skins it (each vertex weighted to the two joints
// around it) and one animation turning every joint through `keys` linear rotation keys.
struct GridSkin {
  int joints = 16;
  int keys = 100;
};

// Writes `folder`/grid.gltf and its buffer grid.bin; returns the path of grid.gltf. With `skin`,
// the grid is skinned and animated.
std::filesystem::path WriteGridGltf(const std::filesystem::path& folder, int n,
                                    const GridSkin* skin = nullptr);

}  // namespace bench
