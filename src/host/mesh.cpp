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

int MeshNormalSpec::GetNormalIndex(int face, int corner) const {
  if (face < 0 || face >= GetNumFaces() || corner < 0 || corner > 2) return -1;
  int id = faces_[face].normalId[corner];
  return id >= 0 && id < GetNumNormals() ? id : -1;
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

namespace {

// Adds a face's normal to the sets of one vertex, summing it into every set it shares a group
// with; a face that joins several sets makes them one, in the place of the first. While the
// normals are built, rFlags counts the sets; one set lives in `rn` and more in `ern`, so the
// vertex of a single smoothing group (nearly every vertex) needs no allocation of its own.
void AddFaceNormal(RVertex& rv, RNormal merged) {
  if (rv.rFlags == 0) {
    rv.rn = merged;
    rv.rFlags = 1;
    return;
  }
  if (rv.ern.empty()) {
    if (rv.rn.smGroup & merged.smGroup) {
      merged.normal += rv.rn.normal;
      merged.smGroup |= rv.rn.smGroup;
      rv.rn = merged;
      return;
    }
    rv.ern.push_back(rv.rn);
  }
  std::vector<RNormal>& sets = rv.ern;
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
  rv.rFlags = static_cast<DWORD>(sets.size());
}

}  // namespace

void Mesh::buildNormals() {
  faceNormals_.assign(faces.size(), Point3());
  rVerts_.assign(verts.size(), RVertex());
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const Face& face = faces[f];
    if (!FaceIsValid(*this, face)) continue;
    faceNormals_[f] = UnitFaceNormal(*this, face);
    if (face.smGroup == 0) continue;
    for (DWORD vertex : face.v) AddFaceNormal(rVerts_[vertex], {faceNormals_[f], face.smGroup});
  }
  for (RVertex& rv : rVerts_) {
    if (rv.ern.size() == 1) {
      rv.rn = rv.ern[0];
      std::vector<RNormal>().swap(rv.ern);
    }
    if (rv.ern.empty()) {
      rv.rn.normal = rv.rFlags ? Normalize(rv.rn.normal) : rv.rn.normal;
    } else {
      rv.rn = RNormal();
      for (RNormal& normal : rv.ern) normal.normal = Normalize(normal.normal);
    }
    rv.rFlags = (rv.ern.empty() ? rv.rFlags : static_cast<DWORD>(rv.ern.size())) & NORCT_MASK;
  }
  normalsBuilt_ = true;
}

void Mesh::checkNormals(BOOL) {
  if (!NormalsBuilt()) buildNormals();
}

void Mesh::FreeNormals() {
  std::vector<RVertex>().swap(rVerts_);
  std::vector<Point3>().swap(faceNormals_);
  normalsBuilt_ = false;
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
