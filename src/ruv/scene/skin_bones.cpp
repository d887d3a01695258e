#include "ruv/scene/skin_bones.h"

#include <unordered_set>

#include "host/iskin.h"
#include "host/object.h"
#include "ruv/core/export_context.h"
#include "ruv/core/modifier_queries.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"
#include "ruv/scene/node_selection.h"

namespace {

// The bones in the order they are met, each once.
class BoneList {
 public:
  void Add(INode* bone) {
    if (bone && seen_.insert(bone).second) bones_.push_back(bone);
  }
  std::vector<INode*> Take() { return std::move(bones_); }

 private:
  std::vector<INode*> bones_;
  std::unordered_set<INode*> seen_;
};

void SkinBones(INode* node, ISkin* skin, BoneList& bones) {
  ISkinContextData* data = skin->GetContextInterface(node);
  if (!data) return;
  for (int i = 0; i < data->GetNumPoints(); ++i) {
    for (int k = 0; k < data->GetNumAssignedBones(i); ++k) {
      int b = data->GetAssignedBone(i, k);
      if (b >= 0) bones.Add(skin->GetBone(b));
    }
  }
}

void PhysiqueBones(INode* node, IPhysiqueExport* physique, BoneList& bones) {
  IPhyContextExport* context = physique->GetContextInterface(node);
  if (!context) return;
  context->ConvertToRigid(TRUE);
  context->AllowBlending(TRUE);
  for (int i = 0; i < context->GetNumberVertices(); ++i) {
    IPhyVertexExport* vertex = context->GetVertexInterface(i);
    if (!vertex) continue;
    if (vertex->GetVertexType() == RIGID_TYPE) {
      bones.Add(static_cast<IPhyRigidVertex*>(vertex)->GetNode());
    } else if (vertex->GetVertexType() == RIGID_BLENDED_TYPE) {
      auto* blended = static_cast<IPhyBlendedRigidVertex*>(vertex);
      for (int k = 0; k < blended->GetNumberNodes(); ++k) bones.Add(blended->GetNode(k));
    }
    context->ReleaseVertexInterface(vertex);
  }
  physique->ReleaseContextInterface(context);
}

}  // namespace

std::vector<INode*> SkinBoneNodes(INode* node, Modifier* skin, Modifier* physique) {
  BoneList bones;
  if (skin) {
    if (auto* skinInterface = static_cast<ISkin*>(skin->GetInterface(I_SKIN)))
      SkinBones(node, skinInterface, bones);
  } else if (physique) {
    if (auto* physiqueInterface =
            static_cast<IPhysiqueExport*>(physique->GetInterface(I_PHYINTERFACE)))
      PhysiqueBones(node, physiqueInterface, bones);
  }
  return bones.Take();
}

void MarkSkinBones(ExportContext* context) {
  const ExportOptions& o = gExportOptions;
  for (auto& [hostNode, skinned] : context->nodeMap) {
    if (!hostNode || !skinned->hasGeometry || skinned->isBone || IsBoneKind(skinned->kind))
      continue;
    Modifier* skin = FindSkinModifier(hostNode);
    Modifier* physique = skin ? nullptr : FindPhysiqueModifier(hostNode);
    if (!skin && !physique) continue;
    for (INode* bone : SkinBoneNodes(hostNode, skin, physique)) {
      skinned->exported = SelectionTest(*context, *skinned);
      auto found = context->nodeMap.find(bone);
      if (found == context->nodeMap.end()) continue;
      XNode* boneNode = found->second;
      if (boneNode->hasGeometry) boneNode->hasGeometry = o.BoneMesh;
      boneNode->isBone = 1;
      if (skinned->exported && o.Skin && o.Bones) boneNode->exported = 1;
    }
  }
}
