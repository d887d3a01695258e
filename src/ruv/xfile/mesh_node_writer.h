// Mesh records: the frame, mesh and per-vertex records of a node with geometry.
#pragma once

namespace xof {
class SaveData;
}
struct ExportContext;
struct XRenderableNode;

// Adds the node's frame (under `parent`, or where world space puts it) and its mesh records
// under that frame, or under the scene root frame where world space writes the mesh without a
// frame. Returns the frame for the node's children, or null; the caller releases it.
xof::SaveData* WriteMeshNodeRecords(ExportContext* context, xof::SaveData* parent,
                                    XRenderableNode& node);
