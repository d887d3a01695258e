#include "ruv/scene/node_tree.h"

#include <memory>

#include "ruv/core/export_context.h"
#include "ruv/core/transforms.h"
#include "ruv/core/xnode.h"
#include "ruv/mesh/mesh_acquisition.h"
#include "ruv/options/export_options.h"
#include "ruv/scene/node_classify.h"
#include "ruv/scene/node_naming.h"
#include "ruv/scene/node_selection.h"
#include "ruv/scene/skin_bones.h"
#include "ruv/scene/work_estimate.h"

namespace {

class TreeBuilder {
 public:
  TreeBuilder(ExportContext* context) : context_(context), time_(context->animRange.Start()) {}

  // Classifies the host node, mirrors it and then its children; targets and footsteps are left
  // out with their whole subtree.
  void Create(INode* hostNode, XNode* parent) {
    if (!hostNode) return;
    NodeClass nodeClass = ClassifyNode(hostNode, gExportOptions.BoneMesh != 0);
    if (nodeClass.dropped) return;
    XNode* node = Mirror(hostNode, parent, nodeClass);
    for (int i = 0; i < hostNode->NumberOfChildren(); ++i) Create(hostNode->GetChildNode(i), node);
  }

 private:
  XNode* Mirror(INode* hostNode, XNode* parent, NodeClass nodeClass) {
    std::unique_ptr<XNode> node;
    if (nodeClass.geometry) {
      auto renderable = std::make_unique<XRenderableNode>();
      Fill(*renderable, hostNode, parent, nodeClass.kind);
      renderable->hasGeometry = 1;
      if (AcquireMesh(renderable.get(), time_)) {
        if (renderable->kind == KindPatch || renderable->kind == KindSurface)
          renderable->pointOrderDiffers = true;
        node = std::move(renderable);
      } else {
        // Geometry that cannot be had leaves a plain node of no particular kind.
        nodeClass.kind = KindOther;
      }
    }
    if (!node) {
      node = std::make_unique<XNode>();
      Fill(*node, hostNode, parent, nodeClass.kind);
    }
    node->nodeTM = NodeTransformAt(hostNode, time_);
    namer_.Take(node->name);
    XNode* raw = node.get();
    (parent ? parent->children : context_->topNodes).push_back(std::move(node));
    context_->nodeMap[hostNode] = raw;
    return raw;
  }

  void Fill(XNode& node, INode* hostNode, XNode* parent, std::uint32_t kind) {
    node.kind = kind;
    node.hostNode = hostNode;
    node.parent = parent;
    node.name = namer_.Name(hostNode->GetName(), gExportOptions.DuplicateNodeName != 0);
  }

  ExportContext* context_;
  TimeValue time_;
  NodeNamer namer_;
};

}  // namespace

void BuildNodeTree(ExportContext* context, INode* sceneRoot) {
  TimeValue time = context->animRange.Start();
  context->rootTM = NodeTransformAt(sceneRoot, time);
  TreeBuilder builder(context);
  for (int i = 0; i < sceneRoot->NumberOfChildren(); ++i)
    builder.Create(sceneRoot->GetChildNode(i), nullptr);

  MarkSkinBones(context);
  for (auto& [hostNode, node] : context->nodeMap)
    PropagateSelection(*context, node, node->exported != 0);
  for (auto& [hostNode, node] : context->nodeMap) {
    if (node->exported) AddNodeWork(context, node);
  }
}
