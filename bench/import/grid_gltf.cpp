#include "grid_gltf.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace bench {

namespace {

using nlohmann::json;

// Adds the joints, their weights on every vertex, the skin and its animation to `document`; `put`
// appends a buffer view and returns its index.
template <class Put>
void AddSkin(json& document, int n, const GridSkin& skin, Put&& put) {
  const std::size_t vertices = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const int joints = skin.joints;
  std::vector<std::uint16_t> jointIndices;
  std::vector<float> weights;
  jointIndices.reserve(vertices * 4);
  weights.reserve(vertices * 4);
  const float span = float(n - 1) / float(joints - 1);
  for (int row = 0; row < n; ++row) {
    for (int column = 0; column < n; ++column) {
      float at = float(column) / span;
      int first = std::min(joints - 2, int(at));
      float t = std::clamp(at - float(first), 0.0f, 1.0f);
      jointIndices.insert(jointIndices.end(),
                          {std::uint16_t(first), std::uint16_t(first + 1), 0, 0});
      weights.insert(weights.end(), {1.0f - t, t, 0.0f, 0.0f});
    }
  }
  std::vector<float> inverseBinds;
  for (int j = 0; j < joints; ++j) {
    // Joint j sits at x = j * span; its inverse bind moves it back to the origin.
    inverseBinds.insert(inverseBinds.end(),
                        {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -float(j) * span, 0, 0, 1});
  }
  std::vector<float> times, rotations;
  for (int k = 0; k < skin.keys; ++k) {
    times.push_back(float(k) / 30.0f);
    float angle = 0.2f * std::sin(float(k) * 0.1f);
    rotations.insert(rotations.end(), {0.0f, std::sin(angle / 2), 0.0f, std::cos(angle / 2)});
  }
  json& accessors = document["accessors"];
  auto accessor = [&](int view, int componentType, std::size_t count, const char* type) {
    accessors.push_back(
        {{"bufferView", view}, {"componentType", componentType}, {"count", count}, {"type", type}});
    return int(accessors.size()) - 1;
  };
  int jointAccessor =
      accessor(put(jointIndices.data(), jointIndices.size() * 2), 5123, vertices, "VEC4");
  int weightAccessor = accessor(put(weights.data(), weights.size() * 4), 5126, vertices, "VEC4");
  int bindAccessor = accessor(put(inverseBinds.data(), inverseBinds.size() * 4), 5126,
                              std::size_t(joints), "MAT4");
  json& timeAccessor =
      accessors[accessor(put(times.data(), times.size() * 4), 5126, times.size(), "SCALAR")];
  timeAccessor["min"] = {times.front()};
  timeAccessor["max"] = {times.back()};
  int timeIndex = int(accessors.size()) - 1;
  int rotationAccessor =
      accessor(put(rotations.data(), rotations.size() * 4), 5126, times.size(), "VEC4");

  json& primitive = document["meshes"][0]["primitives"][0]["attributes"];
  primitive["JOINTS_0"] = jointAccessor;
  primitive["WEIGHTS_0"] = weightAccessor;
  json& nodes = document["nodes"];
  nodes[0]["skin"] = 0;
  json jointNodes = json::array(), samplers = json::array(), channels = json::array();
  for (int j = 0; j < joints; ++j) {
    int node = int(nodes.size());
    json joint = {{"name", "Joint" + std::to_string(j)}};
    joint["translation"] = {j == 0 ? 0.0f : span, 0.0f, 0.0f};
    if (j + 1 < joints) joint["children"] = {node + 1};
    nodes.push_back(joint);
    jointNodes.push_back(node);
    samplers.push_back({{"input", timeIndex}, {"output", rotationAccessor}});
    channels.push_back({{"sampler", j}, {"target", {{"node", node}, {"path", "rotation"}}}});
  }
  document["scenes"][0]["nodes"].push_back(jointNodes[0]);
  document["skins"] = {{{"joints", jointNodes}, {"inverseBindMatrices", bindAccessor}}};
  document["animations"] = {{{"name", "Wave"}, {"samplers", samplers}, {"channels", channels}}};
}

}  // namespace

std::filesystem::path WriteGridGltf(const std::filesystem::path& folder, int n,
                                    const GridSkin* skin) {
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
    return int(views.size()) - 1;
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
         {"type", "SCALAR"}}}}};
  if (skin) AddSkin(document, n, *skin, put);
  document["bufferViews"] = views;
  document["buffers"] = {{{"byteLength", offset}, {"uri", "grid.bin"}}};
  std::ofstream(folder / "grid.gltf") << document.dump(1);
  return folder / "grid.gltf";
}

}  // namespace bench
