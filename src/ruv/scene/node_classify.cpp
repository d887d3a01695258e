#include "ruv/scene/node_classify.h"

#include <algorithm>
#include <iterator>

#include "host/control.h"
#include "host/inode.h"
#include "host/object.h"
#include "host/super_class_ids.h"
#include "ruv/core/xnode.h"
#include "ruv/scene/node_classes.h"

namespace {

bool IsSurfaceClass(const Class_ID& id) {
  if (id == kSurfaceClass) return true;
  return id.PartA() == kSurfaceFamilyPartA &&
         std::find(std::begin(kSurfaceFamilyPartsB), std::end(kSurfaceFamilyPartsB), id.PartB()) !=
             std::end(kSurfaceFamilyPartsB);
}

bool IsFootstep(INode* node) {
  Control* controller = node->GetTMController();
  return controller && controller->ClassID() == kFootstepControllerClass;
}

NodeClass ClassifyGeometry(INode* node, Object* base, bool boneMesh) {
  Class_ID id = base->ClassID();
  if (id == kTargetClass) return {.dropped = true};
  bool renderable = node->Renderable() && base->CanConvertToType(TRIOBJ_CLASS_ID);
  if (id == kBoneClass) return {.kind = KindBone, .geometry = renderable && boneMesh};
  if (id == kBoneOtherClassA || id == kBoneOtherClassB)
    return {.kind = KindBoneOther, .geometry = renderable && boneMesh};
  if (id == kBipedClass) {
    if (IsFootstep(node)) return {.dropped = true};
    return {.kind = KindBiped, .geometry = renderable && boneMesh};
  }
  if (id == kPatchClass) return {.kind = KindPatch, .geometry = renderable};
  if (IsSurfaceClass(id)) return {.kind = KindSurface, .geometry = renderable};
  return {.kind = renderable ? KindMesh : KindOther, .geometry = renderable};
}

}  // namespace

NodeClass ClassifyNode(INode* node, bool boneMesh) {
  Object* top = node->GetObjectRef();
  Object* base = top ? top->FindBaseObject() : nullptr;
  if (!base) return {};
  switch (base->SuperClassID()) {
    case HELPER_CLASS_ID:
      return {.kind = base->ClassID() == kDummyClass ? KindDummy : KindHelper};
    case GEOMOBJECT_CLASS_ID:
    case SHAPE_CLASS_ID:
      return ClassifyGeometry(node, base, boneMesh);
    default:
      return {};
  }
}
