// Mesh records: the frame, mesh and per-vertex records of a node with geometry.
#pragma once

namespace xof {
class SaveData;
}
struct ExportContext;
struct XNode;

void WriteMeshNode(ExportContext* context, xof::SaveData* parent, XNode* node);
