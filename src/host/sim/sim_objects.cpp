#include "host/sim/sim_objects.h"

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
                         const Point3& displacement)
    : classId_(classId), superClass_(superClass), displacement_(displacement) {
  if (!enabled) SetAFlag(A_MOD_DISABLED);
}

std::unique_ptr<Object> DisplacedCopy(Object& object, const Point3& offset) {
  if (auto* tri = dynamic_cast<SimTriObject*>(&object)) {
    return std::make_unique<SimTriObject>(Displaced(tri->GetMesh(), offset));
  }
  if (auto* other = dynamic_cast<SimObject*>(&object)) {
    std::optional<Mesh> mesh;
    if (other->ConvertibleMesh()) mesh = Displaced(*other->ConvertibleMesh(), offset);
    return std::make_unique<SimObject>(other->SuperClassID(), other->ClassID(), std::move(mesh));
  }
  return nullptr;
}

}  // namespace sim
