#include "ruv/scene/node_tree.h"

#include "ruv/plugin/export_context.h"

// The tree build does not mirror any host node yet, so every export ends with the driver's
// "No node will be export" message: honestly nothing, never a made-up file.
void BuildNodeTree(ExportContext* context, INode* sceneRoot) {
  (void)context;
  (void)sceneRoot;
}
