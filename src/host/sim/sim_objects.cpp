#include "host/sim/sim_objects.h"

#include "host/sim/core/patch_conversion.h"
#include "host/super_class_ids.h"

namespace sim {

namespace {

Point3 MeshPoint(const Mesh& mesh, int i) {
  return i >= 0 && i < mesh.getNumVerts() ? mesh.getVert(i) : Point3();
}

Mesh Displaced(Mesh mesh, const Point3& offset) {
  for (Point3& p : mesh.verts) p += offset;
  return mesh;
}

}  // namespace

Class_ID SimTriObject::ClassID() { return TRIOBJ_CLASS_ID; }

SClass_ID SimTriObject::SuperClassID() { return GEOMOBJECT_CLASS_ID; }

Point3 SimTriObject::GetPoint(int i) { return MeshPoint(mesh_, i); }

int SimTriObject::CanConvertToType(Class_ID type) { return type == TRIOBJ_CLASS_ID ? 1 : 0; }

Object* SimTriObject::ConvertToType(TimeValue, Class_ID type) {
  return type == TRIOBJ_CLASS_ID ? this : nullptr;
}

Point3 SimObject::GetPoint(int i) { return mesh_ ? MeshPoint(*mesh_, i) : Point3(); }

int SimObject::CanConvertToType(Class_ID type) { return mesh_ && type == TRIOBJ_CLASS_ID ? 1 : 0; }

Object* SimObject::ConvertToType(TimeValue, Class_ID type) {
  if (!CanConvertToType(type)) return nullptr;
  return new SimTriObject(*mesh_);
}

SimModifier::SimModifier(Class_ID classId, SClass_ID superClass, bool enabled,
                         const Point3& displacement, std::shared_ptr<const SkinDescription> skin,
                         std::shared_ptr<const PhysiqueDescription> physique)
    : classId_(classId),
      superClass_(superClass),
      displacement_(displacement),
      skinDescription_(std::move(skin)),
      physiqueDescription_(std::move(physique)) {
  if (!enabled) SetAFlag(A_MOD_DISABLED);
}

void* SimModifier::GetInterface(DWORD id) {
  if (id == I_SKIN && skin_) return static_cast<ISkin*>(skin_.get());
  if (id == I_PHYINTERFACE && physique_) return static_cast<IPhysiqueExport*>(physique_.get());
  return nullptr;
}

void SimModifier::BindBones(const NodeResolver& resolve) {
  if (skinDescription_ && classId_ == SKIN_CLASSID)
    skin_ = std::make_unique<SimSkin>(*skinDescription_, resolve);
  if (physiqueDescription_ && classId_ == PHYSIQUE_CLASSID)
    physique_ = std::make_unique<SimPhysique>(*physiqueDescription_, resolve);
}

SClass_ID SimPatchObject::SuperClassID() { return GEOMOBJECT_CLASS_ID; }

Point3 SimPatchObject::GetPoint(int i) {
  return i >= 0 && i < patches_.getNumVerts() ? patches_.getVert(i).p : Point3();
}

int SimPatchObject::CanConvertToType(Class_ID type) { return type == TRIOBJ_CLASS_ID ? 1 : 0; }

Object* SimPatchObject::ConvertToType(TimeValue, Class_ID type) {
  if (type != TRIOBJ_CLASS_ID) return nullptr;
  Mesh mesh;
  std::vector<int> mapping;
  if (!TessellatePatchMesh(&patches_, &mesh, &mapping, 0)) return nullptr;
  return new SimTriObject(std::move(mesh));
}

std::unique_ptr<Object> DisplacedCopy(Object& object, const Point3& offset) {
  if (auto* tri = dynamic_cast<SimTriObject*>(&object)) {
    return std::make_unique<SimTriObject>(Displaced(tri->GetMesh(), offset));
  }
  if (auto* patch = dynamic_cast<SimPatchObject*>(&object)) {
    PatchMesh moved = patch->GetPatchMesh();
    for (PatchVert& vertex : moved.verts) vertex.p += offset;
    return std::make_unique<SimPatchObject>(std::move(moved));
  }
  if (auto* other = dynamic_cast<SimObject*>(&object)) {
    std::optional<Mesh> mesh;
    if (other->ConvertibleMesh()) mesh = Displaced(*other->ConvertibleMesh(), offset);
    return std::make_unique<SimObject>(other->SuperClassID(), other->ClassID(), std::move(mesh));
  }
  return nullptr;
}

}  // namespace sim
