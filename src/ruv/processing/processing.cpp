#include "ruv/processing/processing.h"

#include <vector>

#include "ruv/animation/animation_extraction.h"
#include "ruv/core/export_context.h"
#include "ruv/core/modifier_queries.h"
#include "ruv/core/progress.h"
#include "ruv/core/transforms.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/material/material_extraction.h"
#include "ruv/mesh/mesh_generation.h"
#include "ruv/mesh/skin_extraction.h"
#include "ruv/options/export_options.h"

namespace {

void Visit(ExportContext* context, XNode* node) {
  if (node->exported) ProcessNodeWithAncestors(context, node);
  for (auto& child : node->children) Visit(context, child.get());
}

// Processes one node of an ancestor walk, preparing it at most once.
void ProcessOne(ExportContext* context, XNode* node) {
  if (!node->hasGeometry) {
    if (!node->processed && gExportOptions.Animation) ExtractAnimation(context, node);
    node->processed = true;
    return;
  }
  if (node->processed) return;
  node->processed = true;
  XRenderableNode* renderable = AsRenderable(node);
  if (renderable && PrepareRenderableNode(context, renderable)) {
    context->processedNodes.push_back(node);
    if (renderable->mesh) context->writeWorkCount += gExportOptions.Mtl ? 4 : 3;
    if (renderable->hasSkin)
      context->writeWorkCount += static_cast<std::uint32_t>(renderable->skin->bones.size());
    // A skinned mesh without children is moved by its bones: no animation of its own.
    if (renderable->hasSkin && node->children.empty()) return;
  } else {
    node->hasGeometry = 0;
  }
  if (gExportOptions.Animation) ExtractAnimation(context, node);
}

}  // namespace

void ProcessNodeTree(ExportContext* context) {
  ProgressStep(context);
  if (context->topNodes.empty()) return;
  for (auto& top : context->topNodes) Visit(context, top.get());
  ProcessSkinBones(context);
}

void ProcessSkinBones(ExportContext* context) {
  if (!gExportOptions.Skin || !gExportOptions.Bones) return;
  // Indexed: processing a bone appends to the list, and those nodes are visited too.
  for (std::size_t i = 0; i < context->processedNodes.size(); ++i) {
    XRenderableNode* skinned = AsRenderable(context->processedNodes[i]);
    if (!skinned || !skinned->hasSkin || !skinned->skin) continue;
    std::vector<INode*> bones;
    for (const auto& entry : skinned->skin->bones) bones.push_back(entry.first);
    for (INode* bone : bones) {
      auto found = context->nodeMap.find(bone);
      if (found == context->nodeMap.end()) continue;
      XNode* boneNode = found->second;
      boneNode->isBone = 1;
      if (boneNode->hasGeometry) boneNode->hasGeometry = gExportOptions.BoneMesh;
      ProcessNodeWithAncestors(context, boneNode);
    }
  }
}

void ProcessNodeWithAncestors(ExportContext* context, XNode* node) {
  for (XNode* current = node; current; current = current->parent) {
    ProcessOne(context, current);
    if (gExportOptions.WorldSpace) return;
  }
}

bool PrepareRenderableNode(ExportContext* context, XRenderableNode* node) {
  if (!node->mesh) return false;
  TimeValue time = context->animRange.Start();
  node->hasWorldSpaceModifier = HasWorldSpaceModifier(node->hostNode);
  node->nodeTM = BindPoseNodeMatrix(node->hostNode, time);
  node->objectTM = BindPoseObjectMatrix(node->hostNode, time);
  ExtractNodeMaterials(node, context->sharedMaterials, node->hostNode->GetMtl());
  if (!GenMeshData(context, node)) return false;
  if (IsMeshNode(*node)) ExtractSkin(context, node);
  return true;
}
