#include "host/sim/mesh_primitives.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sim {

namespace {

constexpr float kPi = 3.14159265358979323846f;

// Two faces over the quad a-b-c-d, given counter-clockwise seen from outside.
void AddQuad(Mesh& mesh, int& face, DWORD a, DWORD b, DWORD c, DWORD d, WORD material,
             DWORD smoothing) {
  for (const auto& [x, y, z] : {std::array<DWORD, 3>{a, b, c}, std::array<DWORD, 3>{c, d, a}}) {
    Face& f = mesh.faces[static_cast<std::size_t>(face++)];
    f.setVerts(x, y, z);
    f.setMatID(material);
    f.setSmGroup(smoothing);
  }
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
  const DWORD sides[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  int face = 0;
  for (int side = 0; side < 6; ++side) {
    const DWORD* q = sides[side];
    AddQuad(mesh, face, q[0], q[1], q[2], q[3], static_cast<WORD>(side), 1u << side);
  }
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

  int face = 0;
  auto addTriangle = [&](DWORD a, DWORD b, DWORD c) {
    Face& f = mesh.faces[static_cast<std::size_t>(face++)];
    f.setVerts(a, b, c);
    f.setSmGroup(1);
  };
  for (int j = 0; j < segments; ++j) addTriangle(0, ringVertex(1, j), ringVertex(1, j + 1));
  for (int ring = 1; ring + 1 < bands; ++ring) {
    for (int j = 0; j < segments; ++j) {
      AddQuad(mesh, face, ringVertex(ring, j), ringVertex(ring + 1, j), ringVertex(ring + 1, j + 1),
              ringVertex(ring, j + 1), 0, 1);
    }
  }
  for (int j = 0; j < segments; ++j) {
    addTriangle(ringVertex(bands - 1, j), south, ringVertex(bands - 1, j + 1));
  }
  return mesh;
}

}  // namespace sim
