#include "host/sim/scene_file/mesh_reader.h"

#include <cstdint>
#include <string>

#include "host/sim/scene_file/mesh_channel_reader.h"

namespace sim {

namespace {

DWORD ReadVertexIndex(const JsonPlace& corners, std::size_t k, int vertexCount) {
  long long value = corners.ElementInteger(k, 0, UINT32_MAX);
  if (value >= vertexCount) {
    corners.Element(k).Fail("vertex " + std::to_string(value) + " does not exist: the mesh has " +
                            std::to_string(vertexCount) + " vertices");
  }
  return static_cast<DWORD>(value);
}

Face ReadFace(const JsonPlace& entry, int vertexCount) {
  Face face;
  JsonPlace corners = entry;
  if (entry.IsObject()) {
    entry.ExpectObject({"vertices", "smoothing", "materialId"});
    corners = entry.Field("vertices");
    if (auto smoothing = entry.OptionalField("smoothing")) {
      face.setSmGroup(static_cast<DWORD>(smoothing->Integer(0, UINT32_MAX)));
    }
    if (auto material = entry.OptionalField("materialId")) {
      face.setMatID(static_cast<WORD>(material->Integer(0, UINT16_MAX)));
    }
  }
  corners.ExpectArray(3, 3);
  // One at a time, so that the first bad corner is the one reported.
  for (int k = 0; k < 3; ++k) {
    face.v[k] = ReadVertexIndex(corners, static_cast<std::size_t>(k), vertexCount);
  }
  return face;
}

}  // namespace

Mesh ReadMesh(const JsonPlace& object, GeometryBudget& budget) {
  JsonPlace vertices = object.Field("vertices");
  JsonPlace faces = object.Field("faces");
  // Sized against the whole scene's budget before anything is allocated for them.
  std::size_t vertexCount = vertices.ExpectArray(0, SIZE_MAX);
  std::size_t faceCount = faces.ExpectArray(0, SIZE_MAX);
  budget.Take(vertices, vertexCount, 0);
  budget.Take(faces, 0, faceCount);

  Mesh mesh;
  mesh.setNumVerts(static_cast<int>(vertexCount));
  for (std::size_t i = 0; i < vertexCount; ++i) {
    float xyz[3];
    std::size_t size = 0;
    if (vertices.TryElementFloats(i, 3, 3, xyz, size)) {
      mesh.setVert(static_cast<int>(i), Point3(xyz[0], xyz[1], xyz[2]));
    } else {
      mesh.setVert(static_cast<int>(i), vertices.Element(i).Point());
    }
  }
  mesh.setNumFaces(static_cast<int>(faceCount));
  for (std::size_t i = 0; i < faceCount; ++i) {
    std::uint32_t corners[3];
    if (faces.TryElementIndices(i, vertexCount, corners)) {
      mesh.faces[i].setVerts(corners[0], corners[1], corners[2]);
    } else {
      mesh.faces[i] = ReadFace(faces.Element(i), static_cast<int>(vertexCount));
    }
  }
  if (auto maps = object.OptionalField("maps")) ReadMapChannels(*maps, mesh, budget);
  if (auto normals = object.OptionalField("specifiedNormals")) {
    ReadSpecifiedNormals(*normals, mesh, budget);
  }
  return mesh;
}

}  // namespace sim
