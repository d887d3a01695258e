#include "ruv/mesh/mesh_generation.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/window.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/progress.h"
#include "ruv/core/refused_records.h"
#include "ruv/core/work_threads.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/material/map_uv_transform.h"
#include "ruv/mesh/channel_aliases.h"
#include "ruv/mesh/tangent_frames.h"
#include "ruv/mesh/vertex_welder.h"
#include "ruv/options/export_options.h"

namespace {

// Faces whose corners are worked out together, and the chunks that may be under way at once.
constexpr int kChunkFaces = 1024;
constexpr std::size_t kChunkSlots = 3;

// A map channel's faces and vertices, looked up once for all the corners.
struct MapView {
  const TVFace* faces = nullptr;
  const UVVert* verts = nullptr;
  int faceCount = 0;
  int vertCount = 0;
};

struct FaceUVSetup {
  std::vector<Matrix2> transforms;  // per used channel
  int tangentChannel = 0;           // index into mapChannels
};

// What every face shares: the node, its mesh, the transforms and the options in force.
class MeshGenerator {
 public:
  MeshGenerator(ExportContext* context, XRenderableNode* node, XMeshData& data)
      : context_(context), node_(node), mesh_(node->mesh), data_(data), welder_(data) {}

  bool Run();

 private:
  void PrepareNormals();
  void CollectChannels();
  void TransformPositions();
  FaceUVSetup SetupFaceUV(const XMaterial* material);
  void FillCorner(int face, int corner, std::int32_t slot, const FaceUVSetup& uv,
                  XVertexAttributes& set);
  void AccumulateTangents(const XFace& face, int tangentChannel);
  void FinishTangentFrames();
  Point3 ExportNormal(const Point3& normal) const;
  void PrepareCornerReads();

  ExportContext* context_;
  XRenderableNode* node_;
  Mesh* mesh_;
  XMeshData& data_;
  VertexWelder welder_;
  MeshNormalSpec* spec_ = nullptr;
  Matrix3 normalMatrix_;
  bool meshNode_ = false;
  bool wantNormals_ = false;
  bool wantTangents_ = false;
  bool texCoords_ = false;
  bool freeNormals_ = false;  // the smoothing-group normals were built here, and go when done
  std::vector<MapView> channelMaps_;  // per used channel
  MapView colorMap_, alphaMap_;
  std::vector<Point3> specNormals_;  // the specified normals in export space, when worked out
  Point3 missingNormal_;             // a corner without a specified normal
};

// Every corner of every face has a specified normal: nothing is built, and the mesh is only read.
bool NormalsComplete(Mesh& mesh) {
  MeshNormalSpec* spec = mesh.GetSpecifiedNormals();
  if (!spec || spec->GetNumFaces() != mesh.getNumFaces() || spec->GetNumNormals() == 0)
    return false;
  for (int face = 0; face < spec->GetNumFaces(); ++face) {
    for (int corner = 0; corner < 3; ++corner) {
      if (spec->GetNormalIndex(face, corner) < 0) return false;
    }
  }
  return true;
}

void MeshGenerator::PrepareNormals() {
  if (NormalsComplete(*mesh_)) {
    spec_ = mesh_->GetSpecifiedNormals();
    return;
  }
  // Filling in specified normals changes the mesh's data: never the host's own. The
  // smoothing-group normals are the mesh's cache, built in place as the host builds them, and
  // freed again after the vertices when the generation built them.
  if (mesh_->GetSpecifiedNormals()) mesh_ = node_->WritableMesh();
  freeNormals_ = !mesh_->NormalsBuilt();
  spec_ = mesh_->GetSpecifiedNormals();
  if (spec_) {
    spec_->BuildNormals();
    spec_->CheckNormals();
  }
  if (!spec_ || spec_->GetNumFaces() != mesh_->getNumFaces() || spec_->GetNumNormals() == 0) {
    mesh_->buildNormals();
    mesh_->checkNormals(TRUE);
    spec_ = nullptr;
  }
}

void MeshGenerator::CollectChannels() {
  for (int channel = 1; channel < MAX_MESHMAPS; ++channel) {
    if (!mesh_->mapSupport(channel)) continue;
    data_.channelAliases.push_back(static_cast<std::int32_t>(data_.mapChannels.size()));
    data_.mapChannels.push_back(channel);
  }
}

void MeshGenerator::TransformPositions() {
  Matrix3 m = MeshTransform(*node_);
  normalMatrix_ = NormalMatrix(m);
  for (int i = 0; i < data_.positionCount; ++i) {
    data_.positions[i].position = (mesh_->verts[i] * m) * gConversion;
  }
}

FaceUVSetup MeshGenerator::SetupFaceUV(const XMaterial* material) {
  FaceUVSetup uv{std::vector<Matrix2>(data_.mapChannels.size(), ComputeMapUVTransform(nullptr)), 0};
  if (!material || !texCoords_) return uv;
  std::vector<bool> given(data_.mapChannels.size(), false);
  bool tangentChosen = false;
  for (const XTextureSlot& slot : material->maps) {
    if (slot.mapChannel < 1 || slot.mapChannel >= MAX_MESHMAPS ||
        !mesh_->mapSupport(slot.mapChannel))
      continue;
    std::int32_t index = ChannelIndex(data_, slot.mapChannel);
    if (!given[index]) {
      uv.transforms[index] = slot.uvTransform;
      given[index] = true;
    }
    if (!tangentChosen && slot.role == XTextureSlot::kNormalMap) {
      uv.tangentChannel = index;
      tangentChosen = true;
    }
  }
  return uv;
}

MapView ViewOf(Mesh& mesh, int channel) {
  return {mesh.mapFaces(channel), mesh.mapVerts(channel), mesh.getNumMapFaces(channel),
          mesh.getNumMapVerts(channel)};
}

// Reads the map vertex of a face corner, or zero when the channel's face points past its vertices.
Point3 MapVertex(const MapView& map, int face, int corner) {
  if (!map.faces || !map.verts || face >= map.faceCount) return Point3();
  DWORD index = map.faces[face].t[corner];
  // Unsigned: an index of 2^31 or more is past the end too.
  return map.vertCount > 0 && index < static_cast<DWORD>(map.vertCount) ? map.verts[index]
                                                                        : Point3();
}

// Faces whose corners all name host vertices; the others cannot be written.
std::vector<bool> FacesInRange(const Mesh& mesh, int faceCount) {
  std::vector<bool> inRange(static_cast<std::size_t>(faceCount), false);
  auto vertexCount = static_cast<DWORD>(mesh.getNumVerts());
  for (int f = 0; f < faceCount && f < mesh.getNumFaces(); ++f) {
    const Face& face = mesh.faces[f];
    inRange[f] = face.v[0] < vertexCount && face.v[1] < vertexCount && face.v[2] < vertexCount;
  }
  return inRange;
}

void MeshGenerator::FillCorner(int face, int corner, std::int32_t slot, const FaceUVSetup& uv,
                               XVertexAttributes& set) {
  set.normal = Point3();
  if (wantNormals_) {
    if (!specNormals_.empty()) {
      int id = spec_->GetNormalIndex(face, corner);
      set.normal = id >= 0 ? specNormals_[static_cast<std::size_t>(id)] : missingNormal_;
    } else {
      set.normal = ExportNormal(CornerNormal(mesh_, face, corner, spec_));
    }
  }
  set.materialSlot = slot;
  set.texCoords.clear();
  if (texCoords_) {
    for (std::size_t j = 0; j < data_.mapChannels.size(); ++j) {
      Point3 uvw = MapVertex(channelMaps_[j], face, corner);
      Point2 mapped = Point2(uvw.x, uvw.y) * uv.transforms[j];
      set.texCoords.emplace_back(mapped.x, mapped.y, 0.0f);
    }
  }
  set.color = data_.hasVertexColors ? MapVertex(colorMap_, face, corner) : Point3(1, 1, 1);
  set.alpha = data_.hasVertexAlpha ? MapVertex(alphaMap_, face, corner).x : 1.0f;
}

Point3 MeshGenerator::ExportNormal(const Point3& normal) const {
  return Normalize(gConversion.VectorTransform(normalMatrix_.VectorTransform(normal)));
}

void MeshGenerator::PrepareCornerReads() {
  for (std::int32_t channel : data_.mapChannels) channelMaps_.push_back(ViewOf(*mesh_, channel));
  colorMap_ = ViewOf(*mesh_, 0);
  alphaMap_ = ViewOf(*mesh_, MAP_ALPHA);
  // Specified normals are shared by the corners around a vertex: each is turned into export space
  // once (the same arithmetic as per corner, so the same floats), half of them on a second thread.
  if (!wantNormals_ || !spec_ || spec_->GetNumNormals() < kChunkFaces) return;
  missingNormal_ = ExportNormal(Point3());
  const auto count = static_cast<std::size_t>(spec_->GetNumNormals());
  specNormals_.resize(count);
  auto convert = [this](std::size_t first, std::size_t end) {
    for (std::size_t i = first; i < end; ++i)
      specNormals_[i] = ExportNormal(spec_->Normal(static_cast<int>(i)));
  };
  SideJob secondHalf([&] { convert(count / 2, count); }, count >= kThreadedWork);
  convert(0, count / 2);
  secondHalf.Wait();
}

void MeshGenerator::AccumulateTangents(const XFace& face, int tangentChannel) {
  if (data_.tangents.size() < data_.vertices.size()) {
    data_.tangents.resize(data_.vertices.size());
    data_.binormals.resize(data_.vertices.size());
  }
  Point3 p[3], t[3];
  for (int i = 0; i < 3; ++i) {
    auto v = static_cast<std::size_t>(face.vertex[i]);
    p[i] = data_.positions[data_.vertices[v].positionIndex].position;
    t[i] = data_.TexCoord(v, static_cast<std::size_t>(tangentChannel));
  }
  TriangleAngles angles = CornerAngles(p[0], p[1], p[2]);
  const float weight[3] = {angles.a, angles.b, angles.c};
  for (int i = 0; i < 3; ++i) {
    int j = (i + 1) % 3, k = (i + 2) % 3;
    TangentFrame frame = FaceTangentFrame(p[i], p[j], p[k], t[i], t[j], t[k]);
    data_.tangents[face.vertex[i]] += frame.tangent * weight[i];
    data_.binormals[face.vertex[i]] += frame.binormal * weight[i];
  }
}

void MeshGenerator::FinishTangentFrames() {
  data_.tangents.resize(data_.vertices.size());
  data_.binormals.resize(data_.vertices.size());
  for (std::size_t v = 0; v < data_.vertices.size(); ++v)
    OrthonormalizeTangentFrame(data_.tangents[v], data_.binormals[v], data_.vertices[v].normal);
}

// Room for one output vertex per position, which most meshes need and few exceed; a mesh that
// splits much more grows as usual and gives the excess back at the end.
void ReserveVertices(XMeshData& data) {
  auto count = static_cast<std::size_t>(data.positionCount);
  data.vertices.reserve(count);
  data.texCoords.reserve(count * data.texCoordsPerVertex);
  if (data.hasVertexColors || data.hasVertexAlpha) {
    data.colors.reserve(count);
    data.alphas.reserve(count);
  }
}

template <class Array>
void ShrinkIfSlack(Array& values) {
  if (values.capacity() - values.size() > values.size() / 8) values.shrink_to_fit();
}

void ShrinkVertices(XMeshData& data) {
  ShrinkIfSlack(data.vertices);
  ShrinkIfSlack(data.texCoords);
  ShrinkIfSlack(data.colors);
  ShrinkIfSlack(data.alphas);
  ShrinkIfSlack(data.tangents);
  ShrinkIfSlack(data.binormals);
}

bool MeshGenerator::Run() {
  const ExportOptions& o = gExportOptions;
  meshNode_ = IsMeshNode(*node_);
  wantNormals_ = o.Normal || o.Tangent || o.BiTangent;
  wantTangents_ = meshNode_ && (o.Tangent || o.BiTangent);
  texCoords_ = o.TexCoords != 0;

  PrepareNormals();
  CollectChannels();
  TransformPositions();
  Matrix3 d = MeshTransform(*node_) * gConversion;
  bool keepOrder = DotProd(CrossProd(d[0], d[1]), d[2]) >= 0.0f;
  const int order[3] = {0, keepOrder ? 1 : 2, keepOrder ? 2 : 1};

  if (meshNode_ && o.VertexColor) {
    data_.hasVertexAlpha = mesh_->mapSupport(MAP_ALPHA);
    data_.hasVertexColors = mesh_->mapSupport(0) && mesh_->vcFaceArray() && mesh_->vertColArray() &&
                            mesh_->getNumVertCol() != 0;
  }

  data_.texCoordsPerVertex = texCoords_ ? data_.mapChannels.size() : 0;
  ReserveVertices(data_);
  PrepareCornerReads();

  const auto& materials = node_->materials;
  const std::size_t materialCount = materials.size();
  // Each slot's material and texture transforms, worked out once rather than for every face.
  std::vector<const XMaterial*> slotMaterials(materialCount);
  std::vector<FaceUVSetup> slotSetups;
  slotSetups.reserve(materialCount);
  for (std::size_t m = 0; m < materialCount; ++m) {
    slotMaterials[m] = ResolveMaterial(*materials[m], context_->sharedMaterials);
    slotSetups.push_back(SetupFaceUV(slotMaterials[m]));
  }
  const FaceUVSetup noMaterialSetup = SetupFaceUV(nullptr);
  // The host's vertex indices are checked once here; the corners below trust them.
  const std::vector<bool> inRange = FacesInRange(*mesh_, data_.faceCount);
  // A face's material slot and the texture set-up it uses.
  auto faceSlot = [&](const Face& hostFace, std::int32_t& slot) -> const FaceUVSetup& {
    slot = -1;
    if (materialCount == 0) return noMaterialSetup;
    std::size_t m = materialCount == 1 ? 0 : hostFace.getMatID() % materialCount;
    slot = static_cast<std::int32_t>(m);
    return slotSetups[m];
  };
  // The corners' attributes depend on the host's mesh alone, and are worked out a chunk of faces
  // ahead on a second thread; the welding, which numbers the vertices, goes through the faces in
  // order on this one, so the output is the same with any number of threads.
  const int faces = std::min(data_.faceCount, mesh_->getNumFaces());
  const std::size_t chunks = (static_cast<std::size_t>(faces) + kChunkFaces - 1) / kChunkFaces;
  // The chunks' corners are allocated here, once: the second thread then only fills them, and
  // takes no memory of its own.
  std::vector<std::vector<XVertexAttributes>> slotCorners(kChunkSlots);
  for (std::vector<XVertexAttributes>& corners : slotCorners) {
    corners.resize(3 * static_cast<std::size_t>(std::min(faces, kChunkFaces)));
    for (XVertexAttributes& corner : corners) corner.texCoords.reserve(data_.mapChannels.size());
  }
  int written = 0;
  auto fillChunk = [&](std::size_t chunk, std::size_t slot) {
    std::vector<XVertexAttributes>& corners = slotCorners[slot];
    const int first = static_cast<int>(chunk * kChunkFaces);
    const int end = std::min(faces, first + kChunkFaces);
    for (int f = first; f < end; ++f) {
      if (!inRange[f]) continue;
      std::int32_t slotIndex = -1;
      const FaceUVSetup& uv = faceSlot(mesh_->faces[f], slotIndex);
      XVertexAttributes* corner = &corners[3 * static_cast<std::size_t>(f - first)];
      for (int i = 0; i < 3; ++i) FillCorner(f, order[i], slotIndex, uv, corner[i]);
    }
  };
  auto weldChunk = [&](std::size_t chunk, std::size_t slot) {
    std::vector<XVertexAttributes>& corners = slotCorners[slot];
    const int first = static_cast<int>(chunk * kChunkFaces);
    const int end = std::min(faces, first + kChunkFaces);
    for (int f = first; f < end; ++f) {
      ProgressStep(context_);
      if (!inRange[f]) continue;
      const Face& hostFace = mesh_->faces[f];
      XFace& face = data_.faces[written++];
      std::int32_t slotIndex = -1;
      const FaceUVSetup& uv = faceSlot(hostFace, slotIndex);
      if (materialCount > 0) face.materialSlot = slotIndex;
      XVertexAttributes* corner = &corners[3 * static_cast<std::size_t>(f - first)];
      for (int i = 0; i < 3; ++i) {
        face.vertex[i] =
            welder_.FindOrAdd(static_cast<std::int32_t>(hostFace.v[order[i]]), corner[i]);
      }
      if (wantTangents_ && texCoords_ && !data_.mapChannels.empty())
        AccumulateTangents(face, uv.tangentChannel);
    }
  };
  RunPipelined(chunks, kChunkSlots, fillChunk, weldChunk,
               static_cast<std::size_t>(faces) >= kThreadedWork);
  if (faces < data_.faceCount) {
    // The host's mesh has fewer faces than it said: nothing of it is written.
    ProgressStep(context_);
    MessageBoxW(nullptr,
                L"RUV has detected a 3ds Max bug which can cause crash! please save your scene "
                L"data and reload it.",
                L"3ds Max bug", MB_OK | MB_ICONERROR);
    if (freeNormals_) mesh_->FreeNormals();
    return false;
  }

  if (written < data_.faceCount) {
    RefuseRecord(context_, std::to_wstring(data_.faceCount - written) + L" faces of the mesh",
                 node_->name,
                 L"they name vertices past the mesh's " + std::to_wstring(mesh_->getNumVerts()));
    data_.faceCount = written;
    data_.faces.resize(static_cast<std::size_t>(written));
  }
  if (wantTangents_) FinishTangentFrames();
  if (freeNormals_) mesh_->FreeNormals();
  ShrinkVertices(data_);
  if (meshNode_ && o.MultiTexCoordsOptimize && texCoords_) FindChannelAliases(data_);
  return true;
}

// Scale along the scale's axes, then rotation, then translation, in the host's row-vector order.
Matrix3 ObjectOffsetMatrix(INode* host) {
  ScaleValue scale = host->GetObjOffsetScale();
  Matrix3 axes, rotation;
  scale.q.MakeMatrix(axes);
  host->GetObjOffsetRot().MakeMatrix(rotation);
  return Inverse(axes) * ScaleMatrix(scale.s) * axes * rotation *
         TransMatrix(host->GetObjOffsetPos());
}

}  // namespace

Matrix3 MeshTransform(const XRenderableNode& node) {
  if (gExportOptions.WorldSpace && IsMeshNode(node)) return node.objectTM;
  float det = node.nodeTM.Determinant();
  // A node scaled to nothing on an axis has no inverse; without a skin's bind pose the object
  // offset gives the object-to-node matrix directly.
  if ((det == 0.0f || !std::isfinite(det)) && node.hostNode && !node.hasSkin)
    return ObjectOffsetMatrix(node.hostNode);
  return node.objectTM * Inverse(node.nodeTM);
}

bool GenMeshData(ExportContext* context, XRenderableNode* node) {
  if (!node->mesh || !node->hostNode) return false;
  Mesh* mesh = node->mesh;
  if (mesh->getNumFaces() < 1 || mesh->getNumVerts() < 1) {
    MessageBoxW(nullptr, L"cntFaces <= 0 || cntVerts <= 0", L"GenMeshData\u51fa\u9519", MB_OK);
  }

  auto data = std::make_shared<XMeshData>();
  node->meshData = data;
  data->faceCount = mesh->getNumFaces();
  data->positionCount = mesh->getNumVerts();
  data->faces.resize(data->faceCount);
  data->positions.resize(data->positionCount);
  data->wireColor = node->hostNode->GetWireColor();

  MeshGenerator generator(context, node, *data);
  if (!generator.Run()) {
    node->meshData.reset();
    return false;
  }
  return true;
}
