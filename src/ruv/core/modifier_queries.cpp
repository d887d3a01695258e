#include "ruv/core/modifier_queries.h"

#include "host/iskin.h"
#include "host/object.h"
#include "host/super_class_ids.h"

namespace {

bool IsDerivedObject(Object* object) {
  SClass_ID super = object->SuperClassID();
  return super == GEN_DERIVOB_CLASS_ID || super == DERIVOB_CLASS_ID;
}

Modifier* FindEnabledModifier(INode* node, Class_ID modifierClass) {
  if (!node) return nullptr;
  Object* object = node->GetObjectRef();
  while (object && IsDerivedObject(object)) {
    auto* derived = static_cast<IDerivedObject*>(object);
    for (int i = 0; i < derived->NumModifiers(); ++i) {
      Modifier* modifier = derived->GetModifier(i);
      if (modifier && modifier->IsEnabled() && modifier->ClassID() == modifierClass)
        return modifier;
    }
    object = derived->GetObjRef();
  }
  return nullptr;
}

}  // namespace

Modifier* FindSkinModifier(INode* node) { return FindEnabledModifier(node, SKIN_CLASSID); }

Modifier* FindPhysiqueModifier(INode* node) { return FindEnabledModifier(node, PHYSIQUE_CLASSID); }

bool HasWorldSpaceModifier(INode* node) {
  if (!node || !node->GetInterface(NODE_WSM_INTERFACE_ID)) return false;
  Object* object = node->GetObjOrWSMRef();
  if (!object || object->ClassID() != WSM_DERIVOB_CLASS_ID) return false;
  while (object && object->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
    auto* derived = static_cast<IDerivedObject*>(object);
    for (int i = 0; i < derived->NumModifiers(); ++i) {
      Modifier* modifier = derived->GetModifier(i);
      if (modifier && modifier->SuperClassID() == WSM_CLASS_ID) return true;
    }
    object = derived->GetObjRef();
  }
  return false;
}

bool HasSkinModifier(INode* node) { return FindSkinModifier(node) || FindPhysiqueModifier(node); }
