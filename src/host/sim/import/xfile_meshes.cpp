// A `.x` Mesh record as one part: its polygons as triangles (winding turned, as the axes mirror),
// normals per corner, every texture-coordinate set, vertex colours, the channels of a vertex
// declaration, the material list per face and the skin's bones.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "host/sim/import/xfile_parts.h"
#include "host/sim/import/xfile_preimage.h"
#include "host/sim/import/xfile_values.h"
#include "host/sim/scene_file/scene_limits.h"
#include "xof/template_ids.h"

namespace sim::import {

namespace {

// Direct3D 9 declaration types and usages.
enum DeclType : std::uint32_t { kFloat1 = 0, kFloat2 = 1, kFloat3 = 2, kFloat4 = 3, kColor = 4 };
enum DeclUsage : std::uint32_t {
  kNormalUsage = 3,
  kTexcoordUsage = 5,
  kTangentUsage = 6,
  kBinormalUsage = 7,
  kColorUsage = 10
};
// Direct3D 9 reads texture coordinates 0 to 7.
constexpr std::uint32_t kDeclTexcoordSets = 8;
// Bytes of each declaration type, D3DDECLTYPE_FLOAT1 to D3DDECLTYPE_FLOAT16_4.
constexpr std::uint32_t kTypeBytes[] = {4, 8, 12, 16, 4, 4, 4, 8, 4, 4, 8, 4, 8, 4, 4, 4, 8};

float HostV(float v) {
  return Preimage(1.0f - v, v, [](float h) { return 1.0f - h; });
}

class MeshReader {
 public:
  MeshReader(XReadContext& context, const xof::DataObject& mesh, XSkinBones& bones)
      : context_(context), mesh_(mesh), bones_(bones), where_("mesh " + mesh.name) {
    bones_.meshName = mesh.name;
  }

  ImportedMeshPart Read() {
    XMeshArrays arrays = MeshArrays(mesh_);
    const XPackedArray<float>& xyz = arrays.points;
    vertexCount_ = xyz.size() / 3;
    bones_.fileVertices = vertexCount_;
    if (vertexCount_ > SceneLimits::kMaxSceneVertices) {
      context_.Fail(where_ + ": " + std::to_string(vertexCount_) +
                    " vertices, more than the limit of " +
                    std::to_string(SceneLimits::kMaxSceneVertices));
    }
    part_.positions.reserve(vertexCount_);
    for (std::size_t v = 0; v < vertexCount_; ++v) {
      float point[3];
      xyz.Load(3 * v, 3, point);
      for (float k : point) {
        if (!std::isfinite(k)) {
          context_.Fail(where_ + ": vertex " + std::to_string(v) + " is not a finite point");
        }
      }
      part_.positions.push_back(context_.axes.Point(point));
    }
    ReadFaces(arrays.faces, arrays.faceCount);
    // The normals' faces are compared with these; they lie in the mesh's block or in `arrays`.
    meshArrays_ = std::move(arrays);
    for (const xof::DataChild& child : mesh_.children) {
      const xof::DataObject* object = context_.Resolve(child);
      if (!object || !object->type) continue;
      const xof::Guid& id = object->type->id;
      if (id == xof::tid::MeshNormals) {
        ReadNormals(MeshArrays(*object));
      } else if (id == xof::tid::MeshTextureCoords) {
        ReadTexcoords(*object);
      } else if (id == xof::tid::MeshVertexColors) {
        ReadColors(xof::ObjectValues(*object));
      } else if (id == xof::tid::MeshMaterialList) {
        ReadMaterialList(*object);
      } else if (id == xof::tid::SkinWeights) {
        ReadSkinWeights(xof::ObjectValues(*object));
      } else if (id == xof::tid::DeclData) {
        ReadDecl(xof::ObjectValues(*object));
      } else if (id == xof::tid::VertexDuplicationIndices) {
        context_.Warn(
            "VertexDuplicationIndices records are dropped: the exporter splits vertices itself");
      } else if (id != xof::tid::XSkinMeshHeader) {
        context_.Warn(object->type->name +
                      " records of meshes are dropped (the host has no place "
                      "for them)");
      }
    }
    meshArrays_ = {};
    FillTexcoordGaps();
    Weld();
    return std::move(part_);
  }

 private:
  // Polygons as fans of triangles; each triangle remembers its polygon and corners, for the
  // normals and materials given per polygon. A mesh of triangles only (what the exporter writes)
  // needs no such tables: triangle t is polygon t.
  void ReadFaces(const XPackedArray<std::uint32_t>& flat, std::uint32_t declared) {
    // Sized first, so that a million faces fill their arrays without growing them.
    std::size_t faces = 0, triangles = 0;
    allTriangles_ = true;
    for (std::size_t at = 0; faces < declared && at < flat.size(); ++faces) {
      std::uint32_t count = flat[at];
      if (count >= flat.size() - at) break;
      triangles += count >= 3 ? count - 2 : 0;
      allTriangles_ = allTriangles_ && count == 3;
      at += std::size_t{count} + 1;
    }
    faceCount_ = faces;
    if (triangles > SceneLimits::kMaxSceneFaces) {
      context_.Fail(where_ + ": more triangles than the limit of " +
                    std::to_string(SceneLimits::kMaxSceneFaces));
    }
    part_.triangles.reserve(triangles);
    if (!allTriangles_) {
      faceCounts_.reserve(faces);
      faceFirstTriangle_.reserve(faces);
      triangleFace_.reserve(triangles);
    }
    std::vector<std::uint32_t> index;
    std::size_t at = 0;
    for (std::uint32_t f = 0; f < faces; ++f) {
      std::uint32_t count = flat[at];
      index.resize(count);
      flat.Load(at + 1, count, index.data());
      std::uint32_t highest = 0;
      for (std::uint32_t c = 0; c < count; ++c) highest = std::max(highest, index[c]);
      if (count > 0 && highest >= vertexCount_) BadCorner(f, index);
      if (count < 3) {
        context_.Warn("faces of fewer than 3 corners are skipped (" + where_ + ")");
      }
      if (!allTriangles_) {
        faceFirstTriangle_.push_back(static_cast<std::uint32_t>(part_.triangles.size()));
        faceCounts_.push_back(count);
        triangleFace_.insert(triangleFace_.end(), count >= 3 ? count - 2 : 0, f);
      }
      for (std::uint32_t c = 1; c + 1 < count; ++c) {
        // The axes mirror, so the corners go the other way round.
        part_.triangles.push_back({index[0], index[c + 1], index[c]});
      }
      at += 1 + count;
    }
    if (faceCount_ < declared) {
      context_.Fail(where_ + ": declares " + std::to_string(declared) + " faces but holds " +
                    std::to_string(faceCount_));
    }
  }

  [[noreturn]] void BadCorner(std::uint32_t face, const std::vector<std::uint32_t>& index) {
    for (std::uint32_t corner : index) {
      if (corner >= vertexCount_) {
        context_.Fail(where_ + ": face " + std::to_string(face) + " names vertex " +
                      std::to_string(corner) + " of " + std::to_string(vertexCount_));
      }
    }
    context_.Fail(where_ + ": face " + std::to_string(face) +
                  " names a vertex that does not exist");
  }

  // Members 1 to 3 of a Mesh or MeshNormals record, the standard layout copied, another walked.
  static XMeshArrays MeshArrays(const xof::DataObject& object) {
    XMeshArrays arrays;
    if (ReadStandardMeshArrays(object, arrays)) return arrays;
    xof::ObjectValues values(object);
    arrays.ownedPoints = values.Member(1).floats;
    arrays.faceCount = values.Integer(2);
    arrays.ownedFaces = values.Member(3).integers;
    arrays.points = XPackedArray<float>(arrays.ownedPoints);
    arrays.faces = XPackedArray<std::uint32_t>(arrays.ownedFaces);
    return arrays;
  }

  void ReadNormals(const XMeshArrays& values) {
    const XPackedArray<float>& xyz = values.points;
    const XPackedArray<std::uint32_t>& flat = values.faces;
    std::size_t count = xyz.size() / 3;
    // Normals indexed as the vertices are (the exporter writes them so): one per vertex. Their
    // faces are the mesh's, so they match it.
    vertexNormals_ = count == vertexCount_ && flat.SameValues(meshArrays_.faces);
    if (vertexNormals_) {
      SetNormals(xyz, count);
      return;
    }
    // Each polygon's normal indices, checked against the polygon of the mesh.
    std::vector<std::size_t> starts;
    starts.reserve(faceCount_);
    std::size_t at = 0;
    for (std::size_t f = 0; f < faceCount_ && at < flat.size(); ++f) {
      std::uint32_t corners = flat[at];
      if (at + 1 + corners > flat.size() || corners != FaceCorners(f)) break;
      starts.push_back(at + 1);
      at += 1 + corners;
    }
    if (starts.size() != faceCount_) {
      context_.Warn("normals whose faces do not match the mesh's are dropped (" + where_ + ")");
      return;
    }
    cornerNormals_.assign(part_.triangles.size(), {});
    for (std::size_t t = 0; t < cornerNormals_.size(); ++t) {
      std::size_t f = FaceOf(t);
      // Triangle t is the fan's (0, c + 1, c) of its polygon.
      std::uint32_t c = static_cast<std::uint32_t>(t - FirstTriangleOf(f)) + 1;
      const std::uint32_t corner[3] = {0, c + 1, c};
      for (std::size_t k = 0; k < 3; ++k) {
        std::uint32_t n = flat[starts[f] + corner[k]];
        if (n >= count) {
          context_.Fail(where_ + ": face " + std::to_string(f) + " names normal " +
                        std::to_string(n) + " of " + std::to_string(count));
        }
        cornerNormals_[t][k] = n;
      }
    }
    SetNormals(xyz, count);
  }

  void SetNormals(const XPackedArray<float>& xyz, std::size_t count) {
    normals_.clear();
    normals_.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
      float v[3];
      xyz.Load(3 * n, 3, v);
      bool finite = std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
      normals_.push_back(finite ? context_.axes.Point(v) : Point3());
    }
    normalsGiven_ = true;
  }

  std::uint32_t FaceCorners(std::size_t f) const { return allTriangles_ ? 3 : faceCounts_[f]; }
  std::size_t FaceOf(std::size_t triangle) const {
    return allTriangles_ ? triangle : triangleFace_[triangle];
  }
  std::size_t FirstTriangleOf(std::size_t face) const {
    return allTriangles_ ? face : faceFirstTriangle_[face];
  }

  // "c3" is host channel 3, texture-coordinate set 2: the exporter names its sets so.
  std::size_t SetOf(const std::string& name) const {
    if (name.size() >= 2 && name[0] == 'c' &&
        std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        name.size() <= 3) {
      int channel = std::stoi(name.substr(1));
      if (channel >= 1) return static_cast<std::size_t>(channel - 1);
    }
    std::size_t set = 0;
    while (set < texcoordGiven_.size() && texcoordGiven_[set]) ++set;
    return set;
  }

  // Set `set` from u and v of each vertex at `first` + vertex × `stride` in `uv`.
  void SetTexcoords(std::size_t set, const XPackedArray<float>& uv, std::size_t first,
                    std::size_t stride) {
    if (part_.uvSets.size() <= set) {
      part_.uvSets.resize(set + 1);
      texcoordGiven_.resize(set + 1, false);
    }
    if (texcoordGiven_[set]) {
      context_.Warn("a second texture-coordinate set of one channel is dropped (" + where_ + ")");
      return;
    }
    std::vector<Point3>& out = part_.uvSets[set];
    out.clear();
    out.reserve(vertexCount_);
    for (std::size_t v = 0; v < vertexCount_; ++v) {
      float u = uv[first + v * stride], w = uv[first + v * stride + 1];
      out.emplace_back(std::isfinite(u) ? u : 0.0f, std::isfinite(w) ? HostV(w) : 0.0f, 0.0f);
    }
    texcoordGiven_[set] = true;
  }

  void ReadTexcoords(const xof::DataObject& object) {
    XPackedArray<float> uv;
    std::vector<float> walked;
    if (!ReadStandardTexcoords(object, uv)) {
      walked = xof::ObjectValues(object).Member(1).floats;
      uv = XPackedArray<float>(walked);
    }
    if (uv.size() != 2 * vertexCount_) {
      context_.Warn("texture coordinates not one per vertex are dropped (" + where_ + ")");
      return;
    }
    SetTexcoords(SetOf(object.name), uv, 0, 2);
  }

  void FillTexcoordGaps() {
    for (std::size_t set = 0; set < part_.uvSets.size(); ++set) {
      if (part_.uvSets[set].empty()) part_.uvSets[set].assign(vertexCount_, Point3());
    }
  }

  void SetColor(std::size_t v, const float* rgba) {
    auto clean = [](float c) { return std::isfinite(c) ? c : 0.0f; };
    part_.colors[v] = Point3(clean(rgba[0]), clean(rgba[1]), clean(rgba[2]));
    alpha_[v] = clean(rgba[3]);
  }

  void StartColors() {
    part_.colors.assign(vertexCount_, Point3(1, 1, 1));
    alpha_.assign(vertexCount_, 1.0f);
  }

  void FinishColors() {
    if (std::any_of(alpha_.begin(), alpha_.end(), [](float a) { return a != 1.0f; }))
      part_.alpha = alpha_;
  }

  void ReadColors(const xof::ObjectValues& values) {
    const std::vector<std::uint32_t>& index = values.Member(1).integers;
    const std::vector<float>& rgba = values.Member(1).floats;
    StartColors();
    for (std::size_t i = 0; i < index.size() && 4 * i + 3 < rgba.size(); ++i) {
      if (index[i] >= vertexCount_) {
        context_.Fail(where_ + ": a vertex colour names vertex " + std::to_string(index[i]) +
                      " of " + std::to_string(vertexCount_));
      }
      SetColor(index[i], &rgba[4 * i]);
    }
    FinishColors();
    colorsGiven_ = true;
  }

  // The material the exporter writes for a mesh without one: unnamed, inline, the node's wire
  // colour (bytes ÷ 255) and nothing else. Such a mesh comes back without a material and with that
  // wire colour, so that it is written as it was.
  static std::optional<std::array<std::uint8_t, 3>> WireColorOf(const xof::DataChild& child) {
    const xof::DataObject* material = child.object.get();
    if (child.IsReference() || !IsA(material, xof::tid::Material) || !material->name.empty() ||
        !material->children.empty()) {
      return std::nullopt;
    }
    xof::ObjectValues values(*material);
    const std::vector<float>& face = values.Member(0).floats;
    std::vector<float> rest = values.Member(1).floats;
    rest.insert(rest.end(), values.Member(2).floats.begin(), values.Member(2).floats.end());
    rest.insert(rest.end(), values.Member(3).floats.begin(), values.Member(3).floats.end());
    if (face.size() != 4 || face[3] != 1.0f || rest.size() != 7 ||
        std::any_of(rest.begin(), rest.end(), [](float v) { return v != 0.0f; })) {
      return std::nullopt;
    }
    std::array<std::uint8_t, 3> bytes{};
    for (std::size_t c = 0; c < 3; ++c) {
      float scaled = face[c] * 255.0f;
      if (!(scaled >= 0.0f && scaled <= 255.0f)) return std::nullopt;
      bytes[c] = static_cast<std::uint8_t>(std::lround(scaled));
      // Within what the text encoding's six decimals keep.
      if (std::fabs(static_cast<float>(bytes[c]) / 255.0f - face[c]) > 1e-6f) return std::nullopt;
    }
    return bytes;
  }

  void ReadMaterialList(const xof::DataObject& list) {
    if (list.children.size() == 1) {
      if (auto wire = WireColorOf(list.children.front())) {
        part_.wireColor = wire;
        return;
      }
    }
    xof::ObjectValues values(list);
    const std::vector<std::uint32_t>& indices = values.Member(2).integers;
    std::vector<int> materials;
    for (const xof::DataChild& child : list.children) {
      const xof::DataObject* material = context_.Resolve(child);
      if (!IsA(material, xof::tid::Material)) {
        if (child.IsReference()) {
          context_.Warn(where_ + ": material " + child.reference.name +
                        " is not in the file; its faces have none");
          materials.push_back(-1);
        }
        continue;
      }
      auto known = context_.materialOf.find(material);
      if (known == context_.materialOf.end()) {
        known = context_.materialOf.emplace(material, ReadXMaterial(context_, *material)).first;
      }
      materials.push_back(known->second);
    }
    std::uint32_t declared = values.Integer(0);
    if (materials.size() != declared) {
      context_.Warn(where_ + ": the material list declares " + std::to_string(declared) +
                    " materials but holds " + std::to_string(materials.size()));
    }
    if (materials.empty()) return;
    // A list of fewer indices than faces repeats its last one, as DirectX reads it.
    bool outOfRange = false;
    part_.triangleSlots.resize(part_.triangles.size());
    for (std::size_t t = 0; t < part_.triangles.size(); ++t) {
      std::size_t f = FaceOf(t);
      std::uint32_t slot =
          indices.empty() ? 0 : indices[std::min<std::size_t>(f, indices.size() - 1)];
      if (slot >= materials.size()) {
        outOfRange = true;
        slot = 0;
      }
      part_.triangleSlots[t] = static_cast<std::uint16_t>(slot);
    }
    if (outOfRange) {
      context_.Warn(where_ + ": faces name materials the list does not hold; they take its first");
    }
    if (materials.size() > 0xFFFF) context_.Fail(where_ + ": more than 65535 materials");
    part_.slotMaterials = std::move(materials);
  }

  void ReadSkinWeights(const xof::ObjectValues& values) {
    std::string name = values.String(0);
    const std::vector<std::uint32_t>& vertices = values.Member(2).integers;
    const std::vector<float>& weights = values.Member(3).floats;
    const std::vector<float>& offset = values.Member(4).floats;
    std::string bone = where_ + ": bone " + name;
    if (vertices.size() != weights.size() || offset.size() < 16) {
      context_.Fail(bone + ": the skin weights do not fit their template");
    }
    for (float v : offset) {
      if (!std::isfinite(v))
        context_.Fail(bone + ": the offset matrix holds a value that is not finite");
    }
    Matrix3 matrix = context_.axes.Transform(offset.data());
    auto e = [&](int row, int column) { return static_cast<double>(matrix[row][column]); };
    double determinant = e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
                         e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
                         e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
    if (!(std::fabs(determinant) > 1e-12)) {
      context_.Fail(bone + ": the offset matrix cannot be inverted");
    }
    std::vector<std::pair<std::uint32_t, float>> pairs;
    pairs.reserve(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      if (vertices[i] >= vertexCount_ || !std::isfinite(weights[i])) {
        context_.Fail(bone + ": weight " + std::to_string(i) + " names no vertex or is not finite");
      }
      pairs.emplace_back(vertices[i], weights[i]);
    }
    bones_.names.push_back(name);
    bones_.offsets.push_back(matrix);
    bones_.weights.push_back(std::move(pairs));
  }

  // A vertex declaration's normals, texture coordinates and colour, where the separate records
  // did not give them; tangents and binormals the exporter builds itself.
  void ReadDecl(const xof::ObjectValues& values) {
    const std::vector<std::uint32_t>& elements = values.Member(1).integers;
    const std::vector<std::uint32_t>& data = values.Member(3).integers;
    struct Use {
      std::uint32_t type, usage, usageIndex, offset;
    };
    std::vector<Use> uses;
    std::uint32_t stride = 0;
    for (std::size_t e = 0; e + 3 < elements.size(); e += 4) {
      std::uint32_t type = elements[e];
      if (type >= std::size(kTypeBytes)) {
        context_.Fail(where_ + ": DeclData type " + std::to_string(type) + " is unknown");
      }
      uses.push_back({type, elements[e + 2], elements[e + 3], stride / 4});
      stride += kTypeBytes[type];
    }
    std::size_t perVertex = stride / 4;
    if (stride == 0 || stride % 4 != 0 || data.size() != perVertex * vertexCount_) {
      context_.Fail(where_ + ": DeclData holds " + std::to_string(data.size()) + " values, not " +
                    std::to_string(perVertex * vertexCount_) + " for " +
                    std::to_string(vertexCount_) + " vertices");
    }
    std::vector<float> floats(data.size());
    if (!data.empty()) std::memcpy(floats.data(), data.data(), data.size() * 4);
    for (const Use& use : uses) {
      const float* first = floats.data() + use.offset;
      if (use.usage == kNormalUsage && use.usageIndex == 0 && use.type == kFloat3) {
        if (normalsGiven_) continue;
        normals_.resize(vertexCount_);
        for (std::size_t v = 0; v < vertexCount_; ++v)
          normals_[v] = context_.axes.Point(first + v * perVertex);
        vertexNormals_ = true;
        normalsGiven_ = true;
      } else if (use.usage == kTexcoordUsage && use.type >= kFloat2 && use.type <= kFloat4 &&
                 use.usageIndex < kDeclTexcoordSets) {
        if (use.usageIndex < texcoordGiven_.size() && texcoordGiven_[use.usageIndex]) continue;
        SetTexcoords(use.usageIndex, XPackedArray<float>(floats), use.offset, perVertex);
      } else if (use.usage == kColorUsage && use.usageIndex == 0 &&
                 (use.type == kColor || use.type == kFloat4)) {
        if (colorsGiven_) continue;
        StartColors();
        for (std::size_t v = 0; v < vertexCount_; ++v) {
          if (use.type == kFloat4) {
            SetColor(v, first + v * perVertex);
            continue;
          }
          std::uint32_t argb = data[use.offset + v * perVertex];
          float rgba[4] = {static_cast<float>((argb >> 16) & 0xFF) / 255.0f,
                           static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
                           static_cast<float>(argb & 0xFF) / 255.0f,
                           static_cast<float>(argb >> 24) / 255.0f};
          SetColor(v, rgba);
        }
        FinishColors();
        colorsGiven_ = true;
      } else if (use.usage == kTangentUsage || use.usage == kBinormalUsage) {
        context_.Warn(
            "DeclData tangents and binormals are dropped: the exporter builds its own "
            "(--set Tangent=1 --set DeclData=1)");
      } else {
        context_.Warn("DeclData elements of usage " + std::to_string(use.usage) + " type " +
                      std::to_string(use.type) + " are dropped");
      }
    }
  }

  // One host vertex per file vertex, normal and material slot its corners take, numbered in the
  // order the file's corners first name them: the exporter splits its vertices so (a vertex
  // carries one attribute set), so its own files keep their vertices and a file of another
  // program keeps its counts from the first export on. A mesh without normals is smoothed, as
  // DirectX computes such normals from the faces around each vertex.
  void Weld() {
    if (WeldInOrder()) return;
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    struct Key {
      std::uint32_t vertex, normal, slot;
      bool operator==(const Key&) const = default;
    };
    struct KeyHash {
      std::size_t operator()(const Key& k) const {
        return std::hash<std::uint64_t>()((std::uint64_t{k.vertex} << 32) ^
                                          (std::uint64_t{k.normal} << 16) ^ k.slot);
      }
    };
    std::vector<std::uint32_t> first(vertexCount_, kNone);
    std::vector<Key> keys;
    std::unordered_map<Key, std::uint32_t, KeyHash> more;
    keys.reserve(vertexCount_);
    for (std::size_t t = 0; t < part_.triangles.size(); ++t) {
      std::uint32_t slot = part_.triangleSlots.empty() ? 0 : part_.triangleSlots[t];
      for (std::size_t k : {0, 2, 1}) {  // the file's corner order
        std::uint32_t v = part_.triangles[t][k];
        std::uint32_t normal = vertexNormals_           ? v
                               : cornerNormals_.empty() ? kNone
                                                        : cornerNormals_[t][k];
        Key key{v, normal, slot};
        std::uint32_t& index = part_.triangles[t][k];
        if (first[v] == kNone) {
          first[v] = static_cast<std::uint32_t>(keys.size());
          keys.push_back(key);
        } else if (!(keys[first[v]] == key)) {
          auto [entry, added] = more.try_emplace(key, static_cast<std::uint32_t>(keys.size()));
          if (added) keys.push_back(key);
          index = entry->second;
          continue;
        }
        index = first[v];
      }
    }
    // The exporter's own files: every vertex once, in order; nothing to move.
    bool same = keys.size() == vertexCount_;
    for (std::size_t v = 0; same && v < keys.size(); ++v) same = keys[v].vertex == v;
    auto gather = [&](auto& values, auto fallback) {
      if (values.empty() || same) return;
      std::remove_reference_t<decltype(values)> out;
      out.reserve(keys.size());
      for (const Key& key : keys)
        out.push_back(key.vertex < values.size() ? values[key.vertex] : fallback);
      values = std::move(out);
    };
    gather(part_.positions, Point3());
    for (std::vector<Point3>& set : part_.uvSets) gather(set, Point3());
    gather(part_.colors, Point3(1, 1, 1));
    gather(part_.alpha, 1.0f);
    if (normalsGiven_) {
      part_.normals.reserve(keys.size());
      for (const Key& key : keys)
        part_.normals.push_back(key.normal == kNone ? Point3() : normals_[key.normal]);
    } else {
      part_.smoothingGroups = 1;
    }
    bones_.sourceVertex.reserve(keys.size());
    for (const Key& key : keys) bones_.sourceVertex.push_back(key.vertex);
  }

  // The exporter's own files in one pass without tables: when a vertex carries one normal (its
  // own, or none) and one material slot, and the corners name the vertices first in their order,
  // every vertex stays where it is. False, with nothing changed, for any other mesh.
  bool WeldInOrder() {
    if (!vertexNormals_ && normalsGiven_) return false;
    const bool slots = !part_.triangleSlots.empty();
    std::vector<std::uint16_t> slotOf(slots ? vertexCount_ : 0);
    std::uint32_t next = 0;
    for (std::size_t t = 0; t < part_.triangles.size(); ++t) {
      const std::uint16_t slot = slots ? part_.triangleSlots[t] : 0;
      for (std::size_t k : {0, 2, 1}) {  // the file's corner order
        std::uint32_t v = part_.triangles[t][k];
        if (v == next) {
          ++next;
          if (slots) slotOf[v] = slot;
        } else if (v > next || (slots && slotOf[v] != slot)) {
          return false;
        }
      }
    }
    if (next != vertexCount_) return false;
    if (normalsGiven_) {
      part_.normals = std::move(normals_);
    } else {
      part_.smoothingGroups = 1;
    }
    bones_.sourceVertex.resize(vertexCount_);
    for (std::uint32_t v = 0; v < vertexCount_; ++v) bones_.sourceVertex[v] = v;
    return true;
  }

  XReadContext& context_;
  const xof::DataObject& mesh_;
  XSkinBones& bones_;
  std::string where_;
  ImportedMeshPart part_;
  std::size_t vertexCount_ = 0;
  std::size_t faceCount_ = 0;
  bool allTriangles_ = true;
  std::vector<std::uint32_t> faceCounts_;
  std::vector<std::uint32_t> triangleFace_, faceFirstTriangle_;
  XMeshArrays meshArrays_;
  std::vector<bool> texcoordGiven_;
  std::vector<float> alpha_;
  std::vector<Point3> normals_;
  std::vector<std::array<std::uint32_t, 3>> cornerNormals_;
  bool normalsGiven_ = false, colorsGiven_ = false, vertexNormals_ = false;
};

}  // namespace

int ReadXMesh(XReadContext& context, const xof::DataObject& mesh, XSkinBones& bones) {
  context.model.parts.push_back(MeshReader(context, mesh, bones).Read());
  return static_cast<int>(context.model.parts.size()) - 1;
}

}  // namespace sim::import
