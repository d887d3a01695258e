// Output vertices and faces of a node's mesh.
#pragma once

#include "host/matrix3.h"

struct ExportContext;
struct XRenderableNode;

// Generates the node's XMeshData from its acquired mesh: positions in export space, one output
// vertex per distinct corner attribute set of a host vertex, faces in output winding, tangent
// frames. False when the node has no mesh or host node, or its mesh loses its faces meanwhile.
bool GenMeshData(ExportContext* context, XRenderableNode* node);

// The transform from the mesh's object space to the space its positions are written in: the
// node's own frame with the object offset applied, or world space for a mesh node exported so.
Matrix3 MeshTransform(const XRenderableNode& node);
