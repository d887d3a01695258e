// Carrying raw skin weights from an object's points to its triangle mesh's vertices when the two
// do not correspond one to one.
#pragma once

struct ExportContext;
struct XRenderableNode;

// Matches mesh vertices to object points (a point on the vertex, else one closer than
// kPointMatchTolerance; for surfaces, the nearest vertex of each point), then gives every vertex
// without a match a blend of the weights of up to three matched neighbours found over mesh edges,
// or the nearest point's when none is reached. False when there is no point or no vertex.
bool RemapSkinToMesh(ExportContext* context, XRenderableNode* node);
