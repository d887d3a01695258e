// The processing pass: prepares every exported node and its ancestors once.
#pragma once

struct ExportContext;
struct XNode;
struct XRenderableNode;

// Walks the tree depth-first in the host's child order, processing each exported node with its
// ancestors, then brings in the bones that exported skins use.
void ProcessNodeTree(ExportContext* context);

// The bone pass: with the Skin and Bones options on, every bone of a processed node's skin is
// marked a bone and processed with its ancestors, hidden or not.
void ProcessSkinBones(ExportContext* context);

// Processes the node and, unless the export is in world space, each of its ancestors.
void ProcessNodeWithAncestors(ExportContext* context, XNode* node);

// Bind-pose matrices, materials, mesh data and skin of a node with geometry; false when the node
// has no mesh or its mesh data cannot be made.
bool PrepareRenderableNode(ExportContext* context, XRenderableNode* node);
