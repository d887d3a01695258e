#include "ruv/mesh/mesh_acquisition.h"

#include <algorithm>
#include <string>

#include "host/iskin.h"
#include "host/object.h"
#include "host/patch.h"
#include "host/super_class_ids.h"
#include "host/tri_object.h"
#include "platform/loaded_module.h"
#include "ruv/core/modifier_queries.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

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

// The skin numbers its points as the object does. Only a node that the skin will read keeps them:
// the others need their count alone, and a large mesh's points are then not held through its
// generation.
void CollectPoints(Object* object, XRenderableNode* node) {
  std::vector<Point3>& points = node->objectPoints;
  points.clear();
  const int count = std::max(object->NumPoints(), 0);
  node->objectPointCount = static_cast<std::size_t>(count);
  if (!gExportOptions.Skin || !HasSkinModifier(node->hostNode)) {
    points.shrink_to_fit();
    return;
  }
  points.reserve(static_cast<std::size_t>(count));
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

// The host core's patch conversion: patch mesh in, triangle mesh and per-triangle patch index out.
using PatchConversion = int (*)(PatchMesh* patches, Mesh* mesh, std::vector<int>* patchMapping,
                                int flags);

constexpr const char* kHostCoreModule = "core.so";

// The routine's exported name is kept out of the module's plain strings and put together here.
std::string PatchConversionName() {
  constexpr unsigned char kKey = 0x5A;
  constexpr unsigned char kScrambled[] = {0x0E, 0x3F, 0x29, 0x29, 0x3F, 0x36, 0x36,
                                          0x3B, 0x2E, 0x3F, 0x0A, 0x3B, 0x2E, 0x39,
                                          0x32, 0x17, 0x3F, 0x29, 0x32};
  std::string name;
  for (unsigned char c : kScrambled) name.push_back(static_cast<char>(c ^ kKey));
  return name;
}

PatchConversion FindPatchConversion() {
  void* core = platform::FindLoadedModule(kHostCoreModule);
  return reinterpret_cast<PatchConversion>(
      platform::FindModuleFunction(core, PatchConversionName().c_str()));
}

// Tessellates the evaluated patch object into the node's mesh copy; false when the object holds no
// patch mesh or the host has no conversion routine, and the node then converts like any mesh.
bool ConvertPatches(XRenderableNode* node, Object* evaluated) {
  auto* patchObject = dynamic_cast<PatchObject*>(evaluated);
  if (!patchObject) return false;
  PatchConversion convert = FindPatchConversion();
  if (!convert) return false;
  node->patchMesh = &patchObject->GetPatchMesh();
  if (!convert(node->patchMesh, &node->meshCopy, &node->patchMapping, 0)) {
    node->patchMesh = nullptr;
    return false;
  }
  node->mesh = &node->meshCopy;
  return true;
}

bool ValidMesh(const Mesh& mesh) {
  return mesh.getNumFaces() > 0 && mesh.getNumVerts() > 0 && FacesInRange(mesh);
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
  CollectPoints(evaluated, node);

  if (node->kind == KindPatch) {
    if (ConvertPatches(node, evaluated)) {
      if (ValidMesh(*node->mesh)) {
        if (node->objectPointCount != static_cast<std::size_t>(node->mesh->getNumVerts()))
          node->pointOrderDiffers = true;
        return true;
      }
      node->mesh = nullptr;
      node->patchMesh = nullptr;
      return false;
    }
    node->kind = KindMesh;
  }

  if (!evaluated->CanConvertToType(TRIOBJ_CLASS_ID)) return false;
  Object* converted = evaluated->ConvertToType(t, TRIOBJ_CLASS_ID);
  if (!converted) return false;
  node->triObject = converted;
  node->ownsTriObject = converted != evaluated;
  // Read in place, not copied: a converted object is the node's own, and the host's own object is
  // locked, so evaluating the pipeline again cannot replace or change it under the export.
  if (!node->ownsTriObject) {
    converted->LockObject();
    node->lockedTriObject = true;
  }
  node->mesh = &static_cast<TriObject*>(converted)->GetMesh();
  CollectPoints(converted, node);

  if (ValidMesh(*node->mesh)) {
    if (node->objectPointCount != static_cast<std::size_t>(node->mesh->getNumVerts()))
      node->pointOrderDiffers = true;
    return true;
  }
  node->ReleaseTriObject();
  node->mesh = nullptr;
  return false;
}
