#include "preview/mesh_reader.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "preview/decl_data.h"
#include "preview/material_reader.h"
#include "xof/object_values.h"
#include "xof/template_ids.h"

namespace preview {
namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// Faces as the file lists them: for each, its corner count then its indices.
struct FaceList {
  const std::vector<std::uint32_t>* flat = nullptr;
  std::vector<std::size_t> starts;  // where each face's indices begin in `flat`
};

// At most `faceCount` faces, and no more than the member holds: a template defined again with
// fixed-size arrays lets the count say anything, so it only bounds the walk.
FaceList ReadFaces(const xof::MemberValues& member, std::size_t faceCount) {
  FaceList faces;
  faces.flat = &member.integers;
  const std::vector<std::uint32_t>& flat = member.integers;
  faces.starts.reserve(std::min(faceCount, flat.size()));
  std::size_t at = 0;
  while (at < flat.size() && faces.starts.size() < faceCount) {
    faces.starts.push_back(at + 1);
    at += 1 + static_cast<std::size_t>(flat[at]);
  }
  return faces;
}

std::uint32_t Corners(const FaceList& faces, std::size_t f) {
  return (*faces.flat)[faces.starts[f] - 1];
}

class MeshBuilder {
 public:
  MeshBuilder(const xof::DataObject& mesh, int frame, const MeshReadContext& context)
      : source_(mesh), context_(context) {
    out_.name = mesh.name;
    out_.frame = frame;
  }

  PreviewMesh Build() {
    xof::ObjectValues values(source_);
    const std::vector<float>& xyz = values.Member(1).floats;
    for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
      out_.positions.push_back({xyz[i], xyz[i + 1], xyz[i + 2]});
    }
    std::size_t faceCount = values.Member(2).integers.empty() ? 0 : values.Member(2).integers[0];
    FaceList faces = ReadFaces(values.Member(3), faceCount);
    if (faces.starts.size() < faceCount) {
      Warn("declares " + std::to_string(faceCount) + " faces but holds " +
           std::to_string(faces.starts.size()));
    }
    std::vector<std::uint32_t> faceMaterial;
    for (const xof::DataChild& child : source_.children) {
      const xof::DataObject* object = child.object.get();
      if (child.IsReference() && context_.findNamed)
        object = context_.findNamed(child.reference.name);
      if (!object || !object->type) continue;
      const xof::Guid& id = object->type->id;
      if (id == xof::tid::MeshNormals) {
        normalValues_ = std::make_unique<xof::ObjectValues>(*object);
      } else if (id == xof::tid::MeshTextureCoords) {
        ReadTexcoords(xof::ObjectValues(*object));
      } else if (id == xof::tid::MeshVertexColors) {
        ReadColors(xof::ObjectValues(*object));
      } else if (id == xof::tid::MeshMaterialList) {
        ReadMaterialList(*object, faces.starts.size(), out_.name, context_, out_.materials,
                         faceMaterial);
      } else if (id == xof::tid::SkinWeights) {
        ReadSkin(xof::ObjectValues(*object));
      } else if (id == xof::tid::DeclData) {
        ReadDecl(xof::ObjectValues(*object));
      }
    }
    if (out_.materials.empty()) out_.materials.emplace_back();
    if (faceMaterial.empty()) faceMaterial.assign(faces.starts.size(), 0);
    BuildTriangles(faces, faceMaterial);
    return std::move(out_);
  }

 private:
  void Warn(const std::string& text) {
    if (context_.warnings) context_.warnings->push_back("mesh '" + out_.name + "': " + text);
  }

  void ReadTexcoords(const xof::ObjectValues& values) {
    const std::vector<float>& uv = values.Member(1).floats;
    if (uv.size() / 2 != out_.positions.size()) {
      Warn(std::to_string(uv.size() / 2) + " texture coordinates for " +
           std::to_string(out_.positions.size()) + " vertices; the rest are 0,0");
    }
    out_.texcoords.assign(out_.positions.size() * 2, 0.0f);
    for (std::size_t i = 0; i < uv.size() && i < out_.texcoords.size(); ++i) {
      out_.texcoords[i] = uv[i];
    }
  }

  void ReadColors(const xof::ObjectValues& values) {
    const std::vector<std::uint32_t>& index = values.Member(1).integers;
    const std::vector<float>& rgba = values.Member(1).floats;
    out_.colors.assign(out_.positions.size(), 0xFFFFFFFFu);
    std::size_t bad = 0;
    for (std::size_t i = 0; i < index.size() && 4 * i + 3 < rgba.size(); ++i) {
      if (index[i] >= out_.colors.size()) {
        ++bad;
        continue;
      }
      out_.colors[index[i]] = PackColor(&rgba[4 * i]);
    }
    if (bad) Warn(std::to_string(bad) + " vertex colours name vertices the mesh does not have");
  }

  void ReadSkin(const xof::ObjectValues& values) {
    SkinBone bone;
    if (!values.Member(0).strings.empty()) bone.frameName = values.Member(0).strings.front();
    bone.vertices = values.Member(2).integers;
    bone.weights = values.Member(3).floats;
    const std::vector<float>& matrix = values.Member(4).floats;
    for (std::size_t i = 0; i < 16 && i < matrix.size(); ++i) bone.offset.m[i] = matrix[i];
    std::size_t bad = 0;
    for (std::uint32_t v : bone.vertices) bad += v >= out_.positions.size();
    if (bad || bone.vertices.size() != bone.weights.size()) {
      Warn("skin weights of '" + bone.frameName + "' name vertices the mesh does not have");
      return;
    }
    out_.bones.push_back(std::move(bone));
  }

  // A vertex declaration carries what the separate records would (the exporter writes one or the
  // other); its normals are per vertex, like the positions.
  void ReadDecl(const xof::ObjectValues& values) {
    std::string problem;
    DeclVertexData decl = ReadDeclData(values, out_.positions.size(), problem);
    if (!problem.empty()) {
      Warn("DeclData not drawn: " + problem);
      return;
    }
    if (!decl.texcoords.empty()) out_.texcoords = std::move(decl.texcoords);
    if (!decl.colors.empty()) out_.colors = std::move(decl.colors);
    declNormals_ = std::move(decl.normals);
  }

  // The render vertex of each corner (position v, normal n): the position's own slot for the first
  // normal it comes with, a copy for each other normal, numbered in the order the corners first
  // name them. Corners are grouped by position (a counting sort) and, within a position, by
  // normal through an array stamped with the position, so a position shared by many faces, each
  // with a normal of its own, costs no more than the corners it has.
  std::vector<std::uint32_t> ResolveVertices(const std::vector<std::uint32_t>& cornerV,
                                             const std::vector<std::uint32_t>& cornerN,
                                             std::size_t normalCount) {
    std::size_t vertexCount = out_.positions.size(), cornerCount = cornerV.size();
    std::vector<std::uint32_t> start(vertexCount + 1, 0);
    for (std::size_t c = 0; c < cornerCount; ++c) {
      if (cornerN[c] != kNone) ++start[cornerV[c] + 1];
    }
    for (std::size_t v = 0; v < vertexCount; ++v) start[v + 1] += start[v];
    std::vector<std::uint32_t> byPosition(start[vertexCount]), next(start.begin(), start.end() - 1);
    for (std::size_t c = 0; c < cornerCount; ++c) {
      if (cornerN[c] != kNone) byPosition[next[cornerV[c]]++] = static_cast<std::uint32_t>(c);
    }
    std::vector<std::uint32_t> groupOf(cornerCount, kNone), groupFirst;
    std::vector<std::uint32_t> stampPosition(normalCount, kNone), stampGroup(normalCount, kNone);
    for (std::size_t v = 0; v < vertexCount; ++v) {
      for (std::uint32_t i = start[v]; i < start[v + 1]; ++i) {
        std::uint32_t c = byPosition[i], n = cornerN[c];
        if (stampPosition[n] != v) {
          stampPosition[n] = static_cast<std::uint32_t>(v);
          stampGroup[n] = static_cast<std::uint32_t>(groupFirst.size());
          groupFirst.push_back(c);  // the earliest corner of the group: the sort is stable
        }
        groupOf[c] = stampGroup[n];
      }
    }
    std::vector<std::uint32_t> vertexOfGroup(groupFirst.size(), kNone), vertexOf(cornerCount);
    for (std::size_t c = 0; c < cornerCount; ++c) {
      std::uint32_t v = cornerV[c], n = cornerN[c];
      if (n == kNone) {
        vertexOf[c] = v;
        continue;
      }
      std::uint32_t g = groupOf[c];
      if (groupFirst[g] == c) {
        if (normalOf_[v] == kNone) {
          normalOf_[v] = n;
          vertexOfGroup[g] = v;
        } else {
          vertexOfGroup[g] = static_cast<std::uint32_t>(normalOf_.size());
          normalOf_.push_back(n);
          sourceOf_.push_back(v);
        }
      }
      vertexOf[c] = vertexOfGroup[g];
    }
    return vertexOf;
  }

  // The MeshNormals record's normals and their faces; none when its faces do not match the mesh's.
  std::vector<Vec3> RecordNormals(const FaceList& faces, FaceList& normalFaces) {
    std::vector<Vec3> normals;
    if (!normalValues_) return normals;
    const std::vector<float>& xyz = normalValues_->Member(1).floats;
    for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
      normals.push_back({xyz[i], xyz[i + 1], xyz[i + 2]});
    }
    const std::vector<std::uint32_t>& count = normalValues_->Member(2).integers;
    normalFaces = ReadFaces(normalValues_->Member(3), count.empty() ? 0 : count[0]);
    if (normalFaces.starts.size() != faces.starts.size()) {
      Warn("normals given for " + std::to_string(normalFaces.starts.size()) + " of " +
           std::to_string(faces.starts.size()) + " faces; lit with face normals instead");
      normals.clear();
    }
    return normals;
  }

  void BuildTriangles(const FaceList& faces, const std::vector<std::uint32_t>& faceMaterial) {
    std::size_t vertexCount = out_.positions.size();
    FaceList normalFaces;
    std::vector<Vec3> normals = RecordNormals(faces, normalFaces);
    bool vertexNormals = normals.empty() && !declNormals_.empty();
    if (vertexNormals) normals = declNormals_;
    bool useNormals = !normals.empty();
    normalOf_.assign(vertexCount, kNone);
    sourceOf_.resize(vertexCount);
    for (std::size_t i = 0; i < vertexCount; ++i) sourceOf_[i] = static_cast<std::uint32_t>(i);

    // The faces' corners first, each with its normal; the triangles index corners until every
    // corner has its vertex.
    std::size_t badFaces = 0, badNormals = 0;
    std::vector<std::uint32_t> cornerV, cornerN;
    out_.indices.reserve(faces.starts.size() * 3);
    out_.triangleMaterial.reserve(faces.starts.size());
    for (std::size_t f = 0; f < faces.starts.size(); ++f) {
      std::uint32_t count = Corners(faces, f);
      if (faces.starts[f] + count > faces.flat->size()) break;
      const std::uint32_t* index = faces.flat->data() + faces.starts[f];
      if (count < 3 ||
          std::any_of(index, index + count, [&](std::uint32_t v) { return v >= vertexCount; })) {
        ++badFaces;
        continue;
      }
      bool normalsFit = useNormals && !vertexNormals && Corners(normalFaces, f) == count &&
                        normalFaces.starts[f] + count <= normalFaces.flat->size();
      const std::uint32_t* normalIndex =
          normalsFit ? normalFaces.flat->data() + normalFaces.starts[f] : nullptr;
      auto first = static_cast<std::uint32_t>(cornerV.size());
      for (std::uint32_t c = 0; c < count; ++c) {
        std::uint32_t n = kNone;
        if (vertexNormals) n = index[c];
        if (normalIndex && normalIndex[c] < normals.size()) n = normalIndex[c];
        if (useNormals && n == kNone) ++badNormals;
        cornerV.push_back(index[c]);
        cornerN.push_back(n);
      }
      for (std::uint32_t c = 1; c + 1 < count; ++c) {
        out_.indices.insert(out_.indices.end(), {first, first + c, first + c + 1});
        out_.triangleMaterial.push_back(faceMaterial[f]);
      }
    }
    std::vector<std::uint32_t> vertexOf = ResolveVertices(cornerV, cornerN, normals.size());
    for (std::uint32_t& index : out_.indices) index = vertexOf[index];
    if (badFaces) Warn(std::to_string(badFaces) + " faces name vertices the mesh does not have");
    if (badNormals) Warn(std::to_string(badNormals) + " face corners have no valid normal");
    FinishVertices(normals);
  }

  // Copies every per-position array onto the render vertices that were split off.
  void FinishVertices(const std::vector<Vec3>& normals) {
    std::size_t vertexCount = out_.positions.size();
    std::size_t total = sourceOf_.size();
    if (!normals.empty()) {
      out_.normals.resize(total);
      for (std::size_t r = 0; r < total; ++r) {
        out_.normals[r] = normalOf_[r] == kNone ? Vec3{} : normals[normalOf_[r]];
      }
    }
    if (total == vertexCount) return;
    out_.positions.resize(total);
    if (!out_.texcoords.empty()) out_.texcoords.resize(total * 2);
    if (!out_.colors.empty()) out_.colors.resize(total);
    for (std::size_t r = vertexCount; r < total; ++r) {
      std::uint32_t s = sourceOf_[r];
      out_.positions[r] = out_.positions[s];
      if (!out_.texcoords.empty()) {
        out_.texcoords[2 * r] = out_.texcoords[2 * s];
        out_.texcoords[2 * r + 1] = out_.texcoords[2 * s + 1];
      }
      if (!out_.colors.empty()) out_.colors[r] = out_.colors[s];
    }
    out_.sourceVertex = sourceOf_;
  }

  const xof::DataObject& source_;
  const MeshReadContext& context_;
  PreviewMesh out_;
  std::unique_ptr<xof::ObjectValues> normalValues_;
  std::vector<Vec3> declNormals_;
  std::vector<std::uint32_t> normalOf_, sourceOf_;
};

}  // namespace

PreviewMesh ReadMesh(const xof::DataObject& mesh, int frame, const MeshReadContext& context) {
  return MeshBuilder(mesh, frame, context).Build();
}

}  // namespace preview
