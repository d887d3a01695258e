#include "host/sim/mesh_primitives.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "host/sim/mesh_builder.h"

namespace sim {

namespace {

constexpr float kPi = 3.14159265358979323846f;

using Quad = std::array<DWORD, 4>;

// Two faces over the quad `q`, given counter-clockwise seen from outside, and their map faces over
// the map quad `map`, corner for corner.
void AddQuad(Mesh& mesh, int& face, const Quad& q, const Quad& map, WORD material, DWORD smoothing,
             std::vector<MapFace>& mapFaces) {
  for (const auto& [x, y, z] : {std::array{q[0], q[1], q[2]}, std::array{q[2], q[3], q[0]}}) {
    Face& f = mesh.faces[static_cast<std::size_t>(face++)];
    f.setVerts(x, y, z);
    f.setMatID(material);
    f.setSmGroup(smoothing);
  }
  mapFaces.push_back({map[0], map[1], map[2]});
  mapFaces.push_back({map[2], map[3], map[0]});
}

int Bands(int segments) { return std::max(2, segments / 2); }

}  // namespace

Mesh MakeBoxMesh(float length, float width, float height) {
  Mesh mesh;
  mesh.setNumVerts(8);
  float x = width / 2, y = length / 2;
  const Point3 corners[4] = {{-x, -y, 0}, {x, -y, 0}, {x, y, 0}, {-x, y, 0}};
  for (int i = 0; i < 4; ++i) {
    mesh.setVert(i, corners[i]);
    mesh.setVert(i + 4, corners[i] + Point3(0, 0, height));
  }
  mesh.setNumFaces(12);
  const Quad sides[6] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                         {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  // Every side shows the whole unit square, its first edge along U.
  const Quad square = {0, 1, 2, 3};
  std::vector<MapFace> mapFaces;
  int face = 0;
  for (int side = 0; side < 6; ++side) {
    AddQuad(mesh, face, sides[side], square, static_cast<WORD>(side), 1u << side, mapFaces);
  }
  SetMapChannel(mesh, 1, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, mapFaces);
  return mesh;
}

int SphereVertexCount(int segments) {
  segments = std::max(3, segments);
  return 2 + (Bands(segments) - 1) * segments;
}

int SphereFaceCount(int segments) {
  segments = std::max(3, segments);
  return 2 * segments * (Bands(segments) - 1);
}

Mesh MakeSphereMesh(float radius, int segments) {
  segments = std::max(3, segments);
  int bands = Bands(segments);
  Mesh mesh;
  mesh.setNumVerts(SphereVertexCount(segments));
  mesh.setNumFaces(SphereFaceCount(segments));
  auto ringVertex = [&](int ring, int j) {
    return static_cast<DWORD>(1 + (ring - 1) * segments + j % segments);
  };
  mesh.setVert(0, {0, 0, radius});
  for (int ring = 1; ring < bands; ++ring) {
    float polar = kPi * static_cast<float>(ring) / static_cast<float>(bands);
    for (int j = 0; j < segments; ++j) {
      float azimuth = 2 * kPi * static_cast<float>(j) / static_cast<float>(segments);
      Point3 p(radius * std::sin(polar) * std::cos(azimuth),
               radius * std::sin(polar) * std::sin(azimuth), radius * std::cos(polar));
      mesh.setVert(static_cast<int>(ringVertex(ring, j)), p);
    }
  }
  const DWORD south = static_cast<DWORD>(mesh.getNumVerts() - 1);
  mesh.setVert(static_cast<int>(south), {0, 0, -radius});

  // Map vertices: each ring once more than it has vertices, so the seam at u = 1 does not wrap
  // back to u = 0; then one per pole triangle at the middle of its span, north first.
  std::vector<UVVert> mapVerts;
  auto ringMap = [&](int ring, int j) {
    return static_cast<DWORD>((ring - 1) * (segments + 1) + j);
  };
  for (int ring = 1; ring < bands; ++ring) {
    for (int j = 0; j <= segments; ++j) {
      mapVerts.emplace_back(static_cast<float>(j) / static_cast<float>(segments),
                            1.0f - static_cast<float>(ring) / static_cast<float>(bands), 0.0f);
    }
  }
  const DWORD northMap = static_cast<DWORD>(mapVerts.size());
  for (float v : {1.0f, 0.0f}) {
    for (int j = 0; j < segments; ++j) {
      mapVerts.emplace_back((static_cast<float>(j) + 0.5f) / static_cast<float>(segments), v, 0.0f);
    }
  }
  const DWORD southMap = northMap + static_cast<DWORD>(segments);

  std::vector<MapFace> mapFaces;
  int face = 0;
  auto addTriangle = [&](DWORD a, DWORD b, DWORD c, const MapFace& map) {
    Face& f = mesh.faces[static_cast<std::size_t>(face++)];
    f.setVerts(a, b, c);
    f.setSmGroup(1);
    mapFaces.push_back(map);
  };
  for (int j = 0; j < segments; ++j) {
    addTriangle(0, ringVertex(1, j), ringVertex(1, j + 1),
                {northMap + static_cast<DWORD>(j), ringMap(1, j), ringMap(1, j + 1)});
  }
  for (int ring = 1; ring + 1 < bands; ++ring) {
    for (int j = 0; j < segments; ++j) {
      AddQuad(
          mesh, face,
          {ringVertex(ring, j), ringVertex(ring + 1, j), ringVertex(ring + 1, j + 1),
           ringVertex(ring, j + 1)},
          {ringMap(ring, j), ringMap(ring + 1, j), ringMap(ring + 1, j + 1), ringMap(ring, j + 1)},
          0, 1, mapFaces);
    }
  }
  for (int j = 0; j < segments; ++j) {
    addTriangle(
        ringVertex(bands - 1, j), south, ringVertex(bands - 1, j + 1),
        {ringMap(bands - 1, j), southMap + static_cast<DWORD>(j), ringMap(bands - 1, j + 1)});
  }
  SetMapChannel(mesh, 1, std::move(mapVerts), mapFaces);
  return mesh;
}

}  // namespace sim
