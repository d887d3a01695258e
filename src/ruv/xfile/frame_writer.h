// The walk over the export tree: a Frame with its FrameTransformMatrix for every processed node
// without geometry, a mesh node's frame and mesh (mesh_node_writer.h), and each node's children
// under its frame.
#pragma once

namespace xof {
class SaveData;
}
struct ExportContext;
struct XNode;

// Writes the node's frame under `parent` (or where world space and the scene root frame put it)
// and its children after it.
void WriteFrame(ExportContext* context, xof::SaveData* parent, XNode* node);

// Writes a node with geometry: its frame and mesh records, or a plain frame when no mesh could be
// made for it (a refused record), and its children after them.
void WriteMeshNode(ExportContext* context, xof::SaveData* parent, XNode* node);

// Writes each child of `node` with the writer its geometry calls for, under `parent`.
void WriteChildren(ExportContext* context, xof::SaveData* parent, XNode* node);
