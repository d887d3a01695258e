// Carrying raw skin weights from a patch object's points to the triangle mesh made of its patches.
#pragma once

struct ExportContext;
struct XRenderableNode;

// Vertices on an object point take its weights; every other vertex blends the weights of the
// corner points of the patch its first face came from, by its place inside that patch. A face
// without a valid patch in patchMapping is passed over. False without a patch mesh or points, or
// when the mesh has lost faces (reported as the host fault it is).
bool RemapSkinToPatchMesh(ExportContext* context, XRenderableNode* node);
