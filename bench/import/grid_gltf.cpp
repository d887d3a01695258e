#include "grid_gltf.h"

#include <cstdint>
#include <fstream>
#include <nlohmann/json.hpp>
#include <vector>

namespace bench {

std::filesystem::path WriteGridGltf(const std::filesystem::path& folder, int n) {
  const std::size_t vertices = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  std::vector<float> positions, normals, coordinates;
  positions.reserve(vertices * 3);
  normals.reserve(vertices * 3);
  coordinates.reserve(vertices * 2);
  for (int row = 0; row < n; ++row) {
    for (int column = 0; column < n; ++column) {
      positions.insert(positions.end(), {float(column), 0.0f, float(row)});
      normals.insert(normals.end(), {0.0f, 1.0f, 0.0f});
      coordinates.insert(coordinates.end(),
                         {float(column) / float(n - 1), float(row) / float(n - 1)});
    }
  }
  std::vector<std::uint32_t> indices;
  indices.reserve(static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(n - 1) * 6);
  for (int row = 0; row + 1 < n; ++row) {
    for (int column = 0; column + 1 < n; ++column) {
      auto a = static_cast<std::uint32_t>(row * n + column), b = a + 1;
      auto c = a + static_cast<std::uint32_t>(n), d = c + 1;
      // Counter-clockwise seen from above (+Y).
      indices.insert(indices.end(), {a, c, b, b, c, d});
    }
  }
  std::ofstream bin(folder / "grid.bin", std::ios::binary);
  std::size_t offset = 0;
  nlohmann::json views = nlohmann::json::array();
  auto put = [&](const void* data, std::size_t bytes) {
    bin.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
    views.push_back({{"buffer", 0}, {"byteOffset", offset}, {"byteLength", bytes}});
    offset += bytes;
  };
  put(positions.data(), positions.size() * 4);
  put(normals.data(), normals.size() * 4);
  put(coordinates.data(), coordinates.size() * 4);
  put(indices.data(), indices.size() * 4);
  float last = float(n - 1);
  nlohmann::json document = {
      {"asset", {{"version", "2.0"}, {"generator", "ruv bench"}}},
      {"scene", 0},
      {"scenes", {{{"nodes", {0}}}}},
      {"nodes", {{{"name", "Grid"}, {"mesh", 0}}}},
      {"meshes",
       {{{"name", "Grid"},
         {"primitives",
          {{{"attributes", {{"POSITION", 0}, {"NORMAL", 1}, {"TEXCOORD_0", 2}}},
            {"indices", 3}}}}}}},
      {"accessors",
       {{{"bufferView", 0},
         {"componentType", 5126},
         {"count", vertices},
         {"type", "VEC3"},
         {"min", {0, 0, 0}},
         {"max", {last, 0, last}}},
        {{"bufferView", 1}, {"componentType", 5126}, {"count", vertices}, {"type", "VEC3"}},
        {{"bufferView", 2}, {"componentType", 5126}, {"count", vertices}, {"type", "VEC2"}},
        {{"bufferView", 3},
         {"componentType", 5125},
         {"count", indices.size()},
         {"type", "SCALAR"}}}},
      {"bufferViews", views},
      {"buffers", {{{"byteLength", offset}, {"uri", "grid.bin"}}}}};
  std::ofstream(folder / "grid.gltf") << document.dump(1);
  return folder / "grid.gltf";
}

}  // namespace bench
