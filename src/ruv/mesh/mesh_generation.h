// Output vertices and faces of a node's mesh.
#pragma once

struct ExportContext;
struct XRenderableNode;

// Generates the node's XMeshData from its acquired mesh; false when no mesh data can be made.
bool GenMeshData(ExportContext* context, XRenderableNode* node);
