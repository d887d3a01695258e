#include "ruv/scene/processing.h"

#include "ruv/animation/animation_extraction.h"
#include "ruv/material/material_extraction.h"
#include "ruv/mesh/mesh_generation.h"
#include "ruv/options/export_options.h"
#include "ruv/plugin/export_context.h"
#include "ruv/plugin/progress.h"
#include "ruv/scene/modifier_queries.h"
#include "ruv/scene/transforms.h"
#include "ruv/scene/xnode.h"

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
  // Bringing in the bones of exported skins comes with skin extraction: until then no node has
  // a skin.
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
  return true;
}
