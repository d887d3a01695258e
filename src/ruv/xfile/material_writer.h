// Material records: a reference to a shared material, or a Material with its texture file names or
// its effect instance; and the texture and effect files they name.
#pragma once

namespace xof {
class SaveData;
}
struct ExportContext;
struct XMaterialEntry;
struct XRenderableNode;

// Writes one material entry under `parent` (at the top level without one). `node` is the mesh node
// whose list holds the entry; null for the shared materials.
void WriteMaterialRecord(ExportContext* context, xof::SaveData* parent, XMaterialEntry* entry,
                         XRenderableNode* node);
