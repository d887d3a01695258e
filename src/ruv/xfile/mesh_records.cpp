#include "ruv/xfile/mesh_records.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "ruv/core/work_threads.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/options/export_options.h"

namespace {

// Direct3D 9 declaration types and usages.
constexpr std::uint32_t kFloat2 = 1, kFloat3 = 2, kFloat4 = 3;
constexpr std::uint32_t kUsageNormal = 3, kUsageTexCoord = 5, kUsageTangent = 6, kUsageBinormal = 7,
                        kUsageColor = 10;

template <class Out>
void PutPoint(Out& out, const Point3& p) {
  out.Float(p.x);
  out.Float(p.y);
  out.Float(p.z);
}

template <class Out>
void PutFaces(Out& out, const XMeshData& data) {
  out.Dword(static_cast<std::uint32_t>(data.faces.size()));
  for (const XFace& face : data.faces) {
    out.Dword(3);
    for (std::int32_t v : face.vertex) out.Dword(static_cast<std::uint32_t>(v));
  }
}

bool HasColors(const XMeshData& data) { return data.hasVertexColors || data.hasVertexAlpha; }

// A vertex list of points and the face list, as Mesh and MeshNormals lay them out.
std::size_t PointsAndFacesSize(const XMeshData& data) {
  return 4 + 12 * data.vertices.size() + 4 + 16 * data.faces.size();
}

std::size_t FacesSize(const XMeshData& data) { return 4 + 16 * data.faces.size(); }

}  // namespace

RecordBuffer MeshRecord(const XMeshData& data) {
  RecordBuffer out;
  std::uint8_t* bytes = out.Extend(PointsAndFacesSize(data));
  // The points and the faces fill their own parts of the block, the faces on a second thread.
  SideJob faces(
      [&] {
        RecordFill fill(bytes + 4 + 12 * data.vertices.size());
        PutFaces(fill, data);
      },
      data.faces.size() >= kThreadedWork);
  RecordFill fill(bytes);
  fill.Dword(static_cast<std::uint32_t>(data.vertices.size()));
  for (const XVertex& vertex : data.vertices)
    PutPoint(fill, data.positions[vertex.positionIndex].position);
  faces.Wait();
  return out;
}

RecordBuffer MeshRecordInPlace(XMeshData& data) {
  static_assert(sizeof(XFace) == 16, "a face and its row in the Mesh block have the same size");
  const std::size_t vertexCount = data.vertices.size(), faceCount = data.faces.size();
  const std::size_t rowsAt = 4 + 12 * vertexCount + 4;
  RecordBuffer out(std::move(data.faces).Reinterpret<std::uint8_t>());
  std::uint8_t* bytes = out.Resize(rowsAt + 16 * faceCount);
  // Each face moves up to its row, the last first, so that no face is overwritten before it is
  // read: a row lies at or above its face.
  for (std::size_t f = faceCount; f-- > 0;) {
    XFace face;
    std::memcpy(&face, bytes + 16 * f, sizeof face);
    const std::uint32_t row[4] = {3, static_cast<std::uint32_t>(face.vertex[0]),
                                  static_cast<std::uint32_t>(face.vertex[1]),
                                  static_cast<std::uint32_t>(face.vertex[2])};
    std::memcpy(bytes + rowsAt + 16 * f, row, sizeof row);
  }
  RecordFill fill(bytes);
  fill.Dword(static_cast<std::uint32_t>(vertexCount));
  for (const XVertex& vertex : data.vertices)
    PutPoint(fill, data.positions[vertex.positionIndex].position);
  fill.Dword(static_cast<std::uint32_t>(faceCount));
  return out;
}

const std::uint8_t* MeshRecordFaces(const RecordBuffer& meshRecord) {
  std::uint32_t vertices = 0;
  std::memcpy(&vertices, meshRecord.data(), 4);
  return static_cast<const std::uint8_t*>(meshRecord.data()) + 4 + 12 * std::size_t{vertices};
}

namespace {

std::size_t MeshFacesSize(const std::uint8_t* meshFaces) {
  std::uint32_t faceCount = 0;
  std::memcpy(&faceCount, meshFaces, 4);
  return 4 + 16 * std::size_t{faceCount};
}

}  // namespace

void ReserveMeshNormals(RecordBuffer& out, const XMeshData& data, const std::uint8_t* meshFaces) {
  out.Reserve(4 + 12 * data.vertices.size() +
              (meshFaces ? MeshFacesSize(meshFaces) : FacesSize(data)));
}

RecordBuffer MeshNormalsRecord(const XMeshData& data, const std::uint8_t* meshFaces,
                               RecordBuffer out) {
  ReserveMeshNormals(out, data, meshFaces);
  RecordFill fill(out.Extend(4 + 12 * data.vertices.size()));
  fill.Dword(static_cast<std::uint32_t>(data.vertices.size()));
  for (const XVertex& vertex : data.vertices) PutPoint(fill, vertex.normal);
  if (meshFaces) {
    out.Raw(meshFaces, MeshFacesSize(meshFaces));
  } else {
    RecordStage stage(out);
    PutFaces(stage, data);
  }
  return out;
}

RecordBuffer TakeVerticesForNormals(XMeshData& data, const std::uint8_t* meshFaces) {
  const std::size_t vertexBytes = sizeof(XVertex) * data.vertices.size();
  const std::size_t size = 4 + 12 * data.vertices.size() + MeshFacesSize(meshFaces);
  RecordBuffer out(std::move(data.vertices).Reinterpret<std::uint8_t>());
  // The block keeps the vertices' size until they are packed, when it is the larger.
  out.Resize(std::max(size, vertexBytes));
  return out;
}

void FillNormalsInPlace(RecordBuffer& block, std::size_t vertexCount,
                        const std::uint8_t* meshFaces) {
  std::uint8_t* bytes = block.bytes();
  // Each normal moves down to its place, the first first: a normal's place ends below the next
  // vertex, so no vertex is overwritten before it is read.
  static_assert(sizeof(XVertex) >= 16, "a vertex is larger than the normal that replaces it");
  for (std::size_t v = 0; v < vertexCount; ++v) {
    Point3 normal;
    std::memcpy(&normal, bytes + sizeof(XVertex) * v + offsetof(XVertex, normal), sizeof normal);
    std::memcpy(bytes + 4 + 12 * v, &normal, 12);
  }
  const auto count = static_cast<std::uint32_t>(vertexCount);
  std::memcpy(bytes, &count, 4);
  std::memcpy(bytes + 4 + 12 * vertexCount, meshFaces, MeshFacesSize(meshFaces));
  block.Resize(4 + 12 * vertexCount + MeshFacesSize(meshFaces));
}

void ReserveMaterialList(RecordBuffer& out, const XMeshData& data) {
  out.Reserve(8 + 4 * data.faces.size());
}

RecordBuffer MeshMaterialListRecord(const XMeshData& data, std::uint32_t materialCount,
                                    RecordBuffer out) {
  ReserveMaterialList(out, data);
  RecordStage stage(out);
  stage.Dword(materialCount);
  stage.Dword(static_cast<std::uint32_t>(data.faces.size()));
  for (const XFace& face : data.faces) stage.Dword(static_cast<std::uint32_t>(face.materialSlot));
  stage.Flush();
  return out;
}

RecordBuffer WireColorMaterialRecord(std::uint32_t wireColor) {
  RecordBuffer out;
  out.Float(static_cast<float>(wireColor & 0xFF) / 255.0f);
  out.Float(static_cast<float>((wireColor >> 8) & 0xFF) / 255.0f);
  out.Float(static_cast<float>((wireColor >> 16) & 0xFF) / 255.0f);
  out.Float(1.0f);
  out.Float(0.0f);
  for (int i = 0; i < 6; ++i) out.Float(0.0f);  // specular and emissive colours
  return out;
}

RecordBuffer TextureCoordsRecord(const XMeshData& data, std::size_t channelIndex) {
  RecordBuffer out;
  out.Reserve(4 + 8 * data.vertices.size());
  RecordStage stage(out);
  stage.Dword(static_cast<std::uint32_t>(data.vertices.size()));
  for (std::size_t v = 0; v < data.vertices.size(); ++v) {
    const Point3& uv = data.TexCoord(v, channelIndex);
    stage.Float(uv.x);
    stage.Float(uv.y);
  }
  stage.Flush();
  return out;
}

RecordBuffer VertexColorsRecord(const XMeshData& data) {
  RecordBuffer out;
  out.Reserve(4 + 20 * data.vertices.size());
  RecordStage stage(out);
  stage.Dword(static_cast<std::uint32_t>(data.vertices.size()));
  for (std::size_t v = 0; v < data.vertices.size(); ++v) {
    stage.Dword(static_cast<std::uint32_t>(v));
    PutPoint(stage, data.Color(v));
    stage.Float(data.Alpha(v));
  }
  stage.Flush();
  return out;
}

std::vector<VertexElement> DeclElements(const XMeshData& data, bool meshNode) {
  const ExportOptions& o = gExportOptions;
  std::vector<VertexElement> elements;
  if (o.Normal) elements.push_back({kFloat3, 0, kUsageNormal, 0});
  if (o.Tangent && meshNode) elements.push_back({kFloat3, 0, kUsageTangent, 0});
  if (o.BiTangent && meshNode) elements.push_back({kFloat3, 0, kUsageBinormal, 0});
  if (o.VertexColor && meshNode && HasColors(data))
    elements.push_back({kFloat4, 0, kUsageColor, 0});
  if (o.TexCoords) {
    std::uint32_t usageIndex = 0;
    for (std::size_t j = 0; j < data.mapChannels.size(); ++j) {
      if (data.channelAliases[j] == static_cast<std::int32_t>(j))
        elements.push_back({kFloat2, 0, kUsageTexCoord, usageIndex++});
    }
  }
  return elements;
}

RecordBuffer DeclDataRecord(const XMeshData& data, const std::vector<VertexElement>& elements) {
  std::uint32_t perVertex = 0;
  for (const VertexElement& e : elements)
    perVertex += e.type == kFloat2 ? 2 : e.type == kFloat3 ? 3 : 4;
  // Texture-coordinate elements follow the channels that are not aliases, in order.
  std::vector<std::size_t> channels;
  for (std::size_t j = 0; j < data.mapChannels.size(); ++j) {
    if (data.channelAliases[j] == static_cast<std::int32_t>(j)) channels.push_back(j);
  }

  RecordBuffer out;
  out.Dword(static_cast<std::uint32_t>(elements.size()));
  for (const VertexElement& e : elements) {
    out.Dword(e.type);
    out.Dword(e.method);
    out.Dword(e.usage);
    out.Dword(e.usageIndex);
  }
  out.Reserve(out.size() + 4 + 4 * std::size_t{perVertex} * data.vertices.size());
  RecordStage stage(out);
  stage.Dword(static_cast<std::uint32_t>(data.vertices.size()) * perVertex);
  for (std::size_t v = 0; v < data.vertices.size(); ++v) {
    for (const VertexElement& e : elements) {
      switch (e.usage) {
        case kUsageNormal:
          PutPoint(stage, data.vertices[v].normal);
          break;
        case kUsageTangent:
          PutPoint(stage, data.Tangent(v));
          break;
        case kUsageBinormal:
          PutPoint(stage, data.Binormal(v));
          break;
        case kUsageColor:
          PutPoint(stage, data.Color(v));
          stage.Float(data.Alpha(v));
          break;
        case kUsageTexCoord: {
          const Point3& uv = data.TexCoord(v, channels[e.usageIndex]);
          stage.Float(uv.x);
          stage.Float(uv.y);
          break;
        }
      }
    }
  }
  stage.Flush();
  return out;
}
