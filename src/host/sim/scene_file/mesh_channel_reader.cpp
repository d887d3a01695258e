#include "host/sim/scene_file/mesh_channel_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/sim/mesh_builder.h"

namespace sim {

namespace {

struct ChannelName {
  std::string_view name;
  int channel;
};

constexpr ChannelName kChannelNames[] = {
    {"colors", 0}, {"illumination", MAP_SHADING}, {"alpha", MAP_ALPHA}};

int ReadChannelKey(const std::string& key, const JsonPlace& where) {
  for (const ChannelName& named : kChannelNames) {
    if (key == named.name) return named.channel;
  }
  int channel = 0;
  const char* end = key.data() + key.size();
  auto [stop, error] = std::from_chars(key.data(), end, channel);
  if (error == std::errc() && stop == end && channel >= -NUM_HIDDENMAPS && channel < MAX_MESHMAPS) {
    return channel;
  }
  where.Fail("unknown map channel \"" + key +
             "\" (a number from -2 to 99, or \"colors\", \"illumination\", \"alpha\")");
}

// A list of one entry per mesh face; returns its size.
std::size_t ExpectOnePerFace(const JsonPlace& list, const Mesh& mesh, const char* what) {
  std::size_t count = list.ExpectArray(0, SIZE_MAX);
  if (count != mesh.faces.size()) {
    list.Fail(std::string("expected one ") + what + " per mesh face, " +
              std::to_string(mesh.faces.size()) + ", found " + std::to_string(count));
  }
  return count;
}

UVVert ReadMapVertex(const JsonPlace& entry, int channel) {
  if (channel == MAP_ALPHA && entry.IsNumber()) {
    float alpha = entry.Float();
    return {alpha, alpha, alpha};
  }
  // A colour needs all three components; a coordinate's w is mostly 0 and may be left out.
  std::size_t size = entry.ExpectArray(channel == 0 ? 3 : 2, 3);
  UVVert vertex;
  for (std::size_t i = 0; i < size; ++i) vertex[static_cast<int>(i)] = entry.ElementFloat(i);
  return vertex;
}

MapFace ReadMapFace(const JsonPlace& entry, std::size_t vertexCount) {
  entry.ExpectArray(3, 3);
  MapFace face;
  for (std::size_t k = 0; k < 3; ++k) {
    long long index = entry.ElementInteger(k, 0, UINT32_MAX);
    if (static_cast<std::size_t>(index) >= vertexCount) {
      entry.Element(k).Fail("map vertex " + std::to_string(index) +
                            " does not exist: the channel has " + std::to_string(vertexCount) +
                            " map vertices");
    }
    face[k] = static_cast<DWORD>(index);
  }
  return face;
}

void ReadChannel(const JsonPlace& entry, int channel, Mesh& mesh, GeometryBudget& budget) {
  entry.ExpectObject({"vertices", "faces"});
  JsonPlace vertices = entry.Field("vertices");
  std::size_t vertexCount = vertices.ExpectArray(0, SIZE_MAX);
  auto faces = entry.OptionalField("faces");
  if (faces) {
    ExpectOnePerFace(*faces, mesh, "map face");
  } else if (vertexCount != mesh.verts.size()) {
    vertices.Fail("a channel without \"faces\" has one map vertex per mesh vertex, " +
                  std::to_string(mesh.verts.size()) + ", found " + std::to_string(vertexCount));
  }
  budget.TakeMapData(entry, vertexCount, mesh.faces.size());

  std::vector<UVVert> mapVerts;
  mapVerts.reserve(vertexCount);
  for (std::size_t i = 0; i < vertexCount; ++i) {
    float uvw[3] = {0, 0, 0};
    std::size_t size = 0;
    if (vertices.TryElementFloats(i, channel == 0 ? 3 : 2, 3, uvw, size)) {
      mapVerts.emplace_back(uvw[0], uvw[1], uvw[2]);
    } else {
      mapVerts.push_back(ReadMapVertex(vertices.Element(i), channel));
    }
  }
  if (!faces) {
    SetVertexMap(mesh, channel, std::move(mapVerts));
    return;
  }
  std::vector<MapFace> mapFaces;
  mapFaces.reserve(mesh.faces.size());
  for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
    MapFace face;
    if (faces->TryElementIndices(i, vertexCount, face.data())) {
      mapFaces.push_back(face);
    } else {
      mapFaces.push_back(ReadMapFace(faces->Element(i), vertexCount));
    }
  }
  SetMapChannel(mesh, channel, std::move(mapVerts), mapFaces);
}

int ReadNormalId(const JsonPlace& corner, std::size_t normalCount) {
  if (corner.IsNull()) return kNoNormal;
  long long id = corner.Integer(kNoNormal, INT32_MAX);
  if (id != kNoNormal && static_cast<std::size_t>(id) >= normalCount) {
    corner.Fail("normal " + std::to_string(id) + " does not exist: the mesh has " +
                std::to_string(normalCount) + " specified normals");
  }
  return static_cast<int>(id);
}

}  // namespace

void ReadMapChannels(const JsonPlace& maps, Mesh& mesh, GeometryBudget& budget) {
  // Channels are read in key order, so a file with two faults reports the same one each time.
  std::map<int, std::string> given;
  for (const auto& [key, entry] : maps.Members()) {
    if (key == "comment") continue;
    int channel = ReadChannelKey(key, entry);
    auto [earlier, added] = given.emplace(channel, key);
    if (!added) {
      entry.Fail("map channel " + std::to_string(channel) + " is given twice, as \"" +
                 earlier->second + "\" and as \"" + key + "\"");
    }
    ReadChannel(entry, channel, mesh, budget);
  }
}

void ReadSpecifiedNormals(const JsonPlace& normals, Mesh& mesh, GeometryBudget& budget) {
  normals.ExpectObject({"normals", "faces"});
  JsonPlace list = normals.Field("normals");
  JsonPlace faces = normals.Field("faces");
  std::size_t normalCount = list.ExpectArray(0, SIZE_MAX);
  ExpectOnePerFace(faces, mesh, "normal face");
  budget.TakeMapData(normals, normalCount, mesh.faces.size());

  std::vector<Point3> vectors;
  vectors.reserve(normalCount);
  for (std::size_t i = 0; i < normalCount; ++i) {
    float xyz[3];
    std::size_t size = 0;
    if (list.TryElementFloats(i, 3, 3, xyz, size)) {
      vectors.emplace_back(xyz[0], xyz[1], xyz[2]);
    } else {
      vectors.push_back(list.Element(i).Point());
    }
  }
  std::vector<std::array<int, 3>> ids(mesh.faces.size(), {kNoNormal, kNoNormal, kNoNormal});
  const std::uint64_t idLimit = std::min<std::uint64_t>(normalCount, std::uint64_t{INT32_MAX} + 1);
  for (std::size_t f = 0; f < ids.size(); ++f) {
    std::uint32_t given[3];
    if (faces.TryElementIndices(f, idLimit, given)) {
      for (std::size_t k = 0; k < 3; ++k) ids[f][k] = static_cast<int>(given[k]);
      continue;
    }
    JsonPlace face = faces.Element(f);
    if (face.IsNull()) continue;
    face.ExpectArray(3, 3);
    for (std::size_t k = 0; k < 3; ++k) ids[f][k] = ReadNormalId(face.Element(k), normalCount);
  }
  SetSpecifiedNormals(mesh, std::move(vectors), ids);
}

}  // namespace sim
