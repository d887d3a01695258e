#include "host/mesh.h"

namespace {

Point3 UnitFaceNormal(const Mesh& mesh, const Face& face) {
  const Point3& a = mesh.verts[face.v[0]];
  const Point3& b = mesh.verts[face.v[1]];
  const Point3& c = mesh.verts[face.v[2]];
  return Normalize(CrossProd(b - a, c - a));
}

// The normal a face corner gets from the smoothing groups: the vertex normal of the face's groups,
// or the face normal for a face outside every group.
Point3 SmoothingNormal(Mesh& mesh, int face, int corner) {
  const Face& f = mesh.faces[face];
  RVertex* rv = mesh.getRVertPtr(static_cast<int>(f.v[corner]));
  if (!rv || f.smGroup == 0) return mesh.getFaceNormal(face);
  DWORD count = rv->rFlags & NORCT_MASK;
  if (count == 1) return rv->rn.normal;
  for (const RNormal& normal : rv->ern) {
    if (normal.smGroup & f.smGroup) return normal.normal;
  }
  return mesh.getFaceNormal(face);
}

bool FaceIsValid(const Mesh& mesh, const Face& face) {
  // Unsigned: an index of 2^31 or more is past the end too.
  auto count = static_cast<DWORD>(mesh.getNumVerts());
  return face.v[0] < count && face.v[1] < count && face.v[2] < count;
}

}  // namespace

Point3 MeshNormalSpec::GetNormal(int face, int corner) const {
  if (face < 0 || face >= GetNumFaces() || corner < 0 || corner > 2) return Point3();
  int id = faces_[face].normalId[corner];
  return id >= 0 && id < GetNumNormals() ? normals_[id] : Point3();
}

void MeshNormalSpec::BuildNormals() {
  if (!parent_) return;
  int faceCount = std::min(GetNumFaces(), parent_->getNumFaces());
  // The smoothing-group normals are built only for corners that lack a normal: a mesh whose every
  // corner is specified (an imported model) never holds them beside its own.
  bool built = false;
  for (int face = 0; face < faceCount; ++face) {
    for (int corner = 0; corner < 3; ++corner) {
      int& id = faces_[face].normalId[corner];
      if (id >= 0 && id < GetNumNormals()) continue;
      if (!built) parent_->checkNormals(TRUE);
      built = true;
      id = AddNormal(SmoothingNormal(*parent_, face, corner));
    }
  }
}

void MeshNormalSpec::CheckNormals() {
  for (const NormalFace& face : faces_) {
    for (int id : face.normalId) {
      if (id < 0 || id >= GetNumNormals()) {
        BuildNormals();
        return;
      }
    }
  }
}

bool Mesh::mapSupport(int channel) const { return ValidChannel(channel) && Map(channel).supported; }

void Mesh::setMapSupport(int channel, bool support) {
  if (!ValidChannel(channel)) return;
  MeshMap& map = Map(channel);
  map.supported = support;
  if (support) {
    map.tf.resize(faces.size());
  } else {
    map.tv.clear();
    map.tf.clear();
  }
}

int Mesh::getNumMapVerts(int channel) const {
  return mapSupport(channel) ? static_cast<int>(Map(channel).tv.size()) : 0;
}

void Mesh::setNumMapVerts(int channel, int count) {
  if (mapSupport(channel)) Map(channel).tv.resize(count > 0 ? count : 0);
}

UVVert* Mesh::mapVerts(int channel) {
  return mapSupport(channel) ? Map(channel).tv.data() : nullptr;
}

int Mesh::getNumMapFaces(int channel) const {
  return mapSupport(channel) ? static_cast<int>(Map(channel).tf.size()) : 0;
}

TVFace* Mesh::mapFaces(int channel) {
  return mapSupport(channel) ? Map(channel).tf.data() : nullptr;
}

MeshNormalSpec* Mesh::GetSpecifiedNormals() {
  if (!specifiedNormals_) return nullptr;
  specifiedNormals_->parent_ = this;
  return &*specifiedNormals_;
}

MeshNormalSpec& Mesh::SpecifyNormals() {
  specifiedNormals_.emplace();
  specifiedNormals_->SetNumFaces(getNumFaces());
  specifiedNormals_->parent_ = this;
  return *specifiedNormals_;
}

void Mesh::buildNormals() {
  faceNormals_.assign(faces.size(), Point3());
  rVerts_.assign(verts.size(), RVertex());
  // Per vertex, the running sums of the face normals of each set of faces that smooth together.
  std::vector<std::vector<RNormal>> groups(verts.size());
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const Face& face = faces[f];
    if (!FaceIsValid(*this, face)) continue;
    faceNormals_[f] = UnitFaceNormal(*this, face);
    if (face.smGroup == 0) continue;
    for (DWORD vertex : face.v) {
      std::vector<RNormal>& sets = groups[vertex];
      RNormal merged{faceNormals_[f], face.smGroup};
      // A face that shares groups with several sets joins them into one.
      std::size_t keep = sets.size();
      for (std::size_t i = 0; i < sets.size();) {
        if (sets[i].smGroup & merged.smGroup) {
          merged.normal += sets[i].normal;
          merged.smGroup |= sets[i].smGroup;
          if (keep == sets.size() || i < keep) keep = i;
          sets.erase(sets.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
          ++i;
        }
      }
      sets.insert(sets.begin() + static_cast<std::ptrdiff_t>(std::min(keep, sets.size())), merged);
    }
  }
  for (std::size_t v = 0; v < verts.size(); ++v) {
    RVertex& rv = rVerts_[v];
    std::vector<RNormal>& sets = groups[v];
    for (RNormal& normal : sets) normal.normal = Normalize(normal.normal);
    rv.rFlags = static_cast<DWORD>(sets.size()) & NORCT_MASK;
    if (sets.size() == 1) {
      rv.rn = sets[0];
    } else if (sets.size() > 1) {
      rv.ern = std::move(sets);
    }
  }
  normalsBuilt_ = true;
}

void Mesh::checkNormals(BOOL) {
  if (!normalsBuilt_ || rVerts_.size() != verts.size() || faceNormals_.size() != faces.size())
    buildNormals();
}

RVertex* Mesh::getRVertPtr(int vertex) {
  if (!normalsBuilt_ || vertex < 0 || vertex >= static_cast<int>(rVerts_.size())) return nullptr;
  return &rVerts_[vertex];
}

Point3 Mesh::getFaceNormal(int face) const {
  if (!normalsBuilt_ || face < 0 || face >= static_cast<int>(faceNormals_.size())) return Point3();
  return faceNormals_[face];
}

void Mesh::DeepCopy(const Mesh* source, ChannelMask) {
  if (source != this) *this = *source;
}
