#include "ruv/mesh/mesh_acquisition.h"

#include "host/iskin.h"
#include "host/object.h"
#include "host/super_class_ids.h"
#include "host/tri_object.h"
#include "ruv/scene/xnode.h"

namespace {

bool IsDerivedObject(Object* object) {
  SClass_ID super = object->SuperClassID();
  return super == GEN_DERIVOB_CLASS_ID || super == DERIVOB_CLASS_ID;
}

bool IsSkinningModifier(Modifier* modifier) {
  return modifier && modifier->IsEnabled() &&
         (modifier->ClassID() == SKIN_CLASSID || modifier->ClassID() == PHYSIQUE_CLASSID);
}

// The object below the derived object that holds the first enabled skinning modifier; the whole
// stack when there is none.
Object* ObjectToEvaluate(INode* node) {
  Object* top = node->GetObjectRef();
  Object* object = top;
  while (object && IsDerivedObject(object)) {
    auto* derived = static_cast<IDerivedObject*>(object);
    for (int i = 0; i < derived->NumModifiers(); ++i) {
      if (IsSkinningModifier(derived->GetModifier(i))) return derived->GetObjRef();
    }
    object = derived->GetObjRef();
  }
  return top;
}

void CollectPoints(Object* object, std::vector<Point3>& points) {
  points.clear();
  int count = object->NumPoints();
  points.reserve(count > 0 ? count : 0);
  for (int i = 0; i < count; ++i) points.push_back(object->GetPoint(i));
}

// A face that names a vertex the mesh does not have would be read past the vertex array later.
bool FacesInRange(const Mesh& mesh) {
  const auto count = static_cast<DWORD>(mesh.getNumVerts());
  for (const Face& face : mesh.faces) {
    if (face.v[0] >= count || face.v[1] >= count || face.v[2] >= count) return false;
  }
  return true;
}

}  // namespace

bool AcquireMesh(XRenderableNode* node, TimeValue t) {
  if (!node->hostNode) return false;
  if (node->mesh) return true;
  node->ownsTriObject = false;

  Object* chosen = ObjectToEvaluate(node->hostNode);
  if (!chosen) return false;
  Object* evaluated = chosen->Eval(t).obj;
  if (!evaluated) return false;
  CollectPoints(evaluated, node->objectPoints);

  // Patch objects convert like any other mesh until their own conversion routine exists here.
  if (node->kind == KindPatch) node->kind = KindMesh;

  if (!evaluated->CanConvertToType(TRIOBJ_CLASS_ID)) return false;
  Object* converted = evaluated->ConvertToType(t, TRIOBJ_CLASS_ID);
  if (!converted) return false;
  node->triObject = converted;
  node->ownsTriObject = converted != evaluated;

  node->meshCopy.DeepCopy(&static_cast<TriObject*>(converted)->GetMesh(), ALL_CHANNELS);
  node->mesh = &node->meshCopy;
  // The skin numbers its points as the converted object does.
  CollectPoints(converted, node->objectPoints);

  if (node->mesh->getNumFaces() > 0 && node->mesh->getNumVerts() > 0 && FacesInRange(*node->mesh)) {
    if (static_cast<int>(node->objectPoints.size()) != node->mesh->getNumVerts())
      node->pointOrderDiffers = true;
    return true;
  }
  node->ReleaseTriObject();
  node->mesh = nullptr;
  return false;
}
