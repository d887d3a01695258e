#include "host/sim/mesh_builder.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>

namespace sim {

namespace {

[[noreturn]] void Refuse(const std::string& problem) { throw std::invalid_argument(problem); }

void CheckChannel(int channel) {
  if (channel < -NUM_HIDDENMAPS || channel >= MAX_MESHMAPS) {
    Refuse("map channel " + std::to_string(channel) + " is outside -2 to 99");
  }
}

void CheckCount(std::size_t count, const char* what) {
  if (count > static_cast<std::size_t>(INT_MAX)) Refuse(std::string("too many ") + what);
}

void CheckFaces(const Mesh& mesh, const std::vector<MapFace>& faces, std::size_t vertexCount,
                const std::string& what) {
  if (faces.size() != mesh.faces.size()) {
    Refuse(what + ": " + std::to_string(faces.size()) + " faces for a mesh of " +
           std::to_string(mesh.faces.size()));
  }
  for (const MapFace& face : faces) {
    for (DWORD index : face) {
      if (index >= vertexCount) {
        Refuse(what + ": index " + std::to_string(index) + " past " + std::to_string(vertexCount) +
               " vertices");
      }
    }
  }
}

}  // namespace

Mesh MakeMesh(std::vector<Point3> vertices, const std::vector<MapFace>& faces, DWORD smoothing) {
  CheckCount(vertices.size(), "vertices");
  CheckCount(faces.size(), "faces");
  Mesh mesh;
  mesh.verts = std::move(vertices);
  mesh.setNumFaces(static_cast<int>(faces.size()));
  CheckFaces(mesh, faces, mesh.verts.size(), "mesh");
  for (std::size_t i = 0; i < faces.size(); ++i) {
    mesh.faces[i].setVerts(faces[i][0], faces[i][1], faces[i][2]);
    mesh.faces[i].setSmGroup(smoothing);
  }
  return mesh;
}

void SetMapChannel(Mesh& mesh, int channel, std::vector<UVVert> vertices,
                   const std::vector<MapFace>& faces) {
  CheckChannel(channel);
  CheckCount(vertices.size(), "map vertices");
  CheckFaces(mesh, faces, vertices.size(), "map channel " + std::to_string(channel));
  // Dropping the channel first clears what it held, whatever its sizes were.
  mesh.setMapSupport(channel, false);
  mesh.setMapSupport(channel, true);
  mesh.setNumMapVerts(channel, static_cast<int>(vertices.size()));
  std::copy(vertices.begin(), vertices.end(), mesh.mapVerts(channel));
  TVFace* mapFaces = mesh.mapFaces(channel);
  for (std::size_t i = 0; i < faces.size(); ++i) {
    mapFaces[i].setTVerts(faces[i][0], faces[i][1], faces[i][2]);
  }
}

void SetVertexMap(Mesh& mesh, int channel, std::vector<UVVert> perVertex) {
  if (perVertex.size() != mesh.verts.size()) {
    Refuse("map channel " + std::to_string(channel) + ": " + std::to_string(perVertex.size()) +
           " values for a mesh of " + std::to_string(mesh.verts.size()) + " vertices");
  }
  std::copy(perVertex.begin(), perVertex.end(), StartVertexMap(mesh, channel));
}

UVVert* StartVertexMap(Mesh& mesh, int channel) {
  CheckChannel(channel);
  // The map's faces are the mesh's own, whose indices are checked against the same count; no list
  // of them is made (a model's mesh is large).
  const auto count = static_cast<DWORD>(mesh.verts.size());
  for (const Face& face : mesh.faces) {
    for (DWORD index : face.v) {
      if (index >= count) {
        Refuse("map channel " + std::to_string(channel) + ": index " + std::to_string(index) +
               " past " + std::to_string(count) + " vertices");
      }
    }
  }
  mesh.setMapSupport(channel, false);
  mesh.setMapSupport(channel, true);
  mesh.setNumMapVerts(channel, static_cast<int>(mesh.verts.size()));
  TVFace* mapFaces = mesh.mapFaces(channel);
  for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
    const Face& face = mesh.faces[i];
    mapFaces[i].setTVerts(face.v[0], face.v[1], face.v[2]);
  }
  return mesh.mapVerts(channel);
}

void CopyMapChannel(Mesh& mesh, int from, int to) {
  CheckChannel(from);
  if (!mesh.mapSupport(from)) Refuse("map channel " + std::to_string(from) + " is not supported");
  if (from == to) return;
  const UVVert* vertices = mesh.mapVerts(from);
  std::vector<UVVert> copy(vertices, vertices + mesh.getNumMapVerts(from));
  const TVFace* faces = mesh.mapFaces(from);
  std::vector<MapFace> mapFaces;
  mapFaces.reserve(mesh.faces.size());
  for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
    mapFaces.push_back({faces[i].t[0], faces[i].t[1], faces[i].t[2]});
  }
  SetMapChannel(mesh, to, std::move(copy), mapFaces);
}

void SetPlanarMap(Mesh& mesh, int channel) {
  Point3 low, high;
  if (!mesh.verts.empty()) low = high = mesh.verts.front();
  for (const Point3& p : mesh.verts) {
    low = Point3(std::min(low.x, p.x), std::min(low.y, p.y), 0);
    high = Point3(std::max(high.x, p.x), std::max(high.y, p.y), 0);
  }
  auto along = [](float value, float from, float to) {
    return to > from ? (value - from) / (to - from) : 0.0f;
  };
  std::vector<UVVert> coordinates;
  coordinates.reserve(mesh.verts.size());
  for (const Point3& p : mesh.verts) {
    coordinates.emplace_back(along(p.x, low.x, high.x), along(p.y, low.y, high.y), 0.0f);
  }
  SetVertexMap(mesh, channel, std::move(coordinates));
}

void SetVertexColors(Mesh& mesh, std::vector<VertColor> perVertex) {
  SetVertexMap(mesh, 0, std::move(perVertex));
}

void SetVertexAlpha(Mesh& mesh, const std::vector<float>& perVertex) {
  std::vector<UVVert> alpha;
  alpha.reserve(perVertex.size());
  for (float a : perVertex) alpha.emplace_back(a, a, a);
  SetVertexMap(mesh, MAP_ALPHA, std::move(alpha));
}

void SetSpecifiedNormals(Mesh& mesh, std::vector<Point3> normals,
                         const std::vector<std::array<int, 3>>& faces) {
  CheckCount(normals.size(), "normals");
  if (faces.size() != mesh.faces.size()) {
    Refuse("specified normals: " + std::to_string(faces.size()) + " faces for a mesh of " +
           std::to_string(mesh.faces.size()));
  }
  for (const auto& face : faces) {
    for (int id : face) {
      if (id < kNoNormal || id >= static_cast<int>(normals.size())) {
        Refuse("specified normals: normal " + std::to_string(id) + " does not exist");
      }
    }
  }
  MeshNormalSpec& given = mesh.SpecifyNormals();
  for (const Point3& normal : normals) given.AddNormal(normal);
  for (std::size_t f = 0; f < faces.size(); ++f) {
    for (int corner = 0; corner < 3; ++corner) {
      given.SetNormalId(static_cast<int>(f), corner, faces[f][static_cast<std::size_t>(corner)]);
    }
  }
}

}  // namespace sim
