// Frame records: a Frame with its FrameTransformMatrix for every processed node without geometry,
// and the walk into each node's children.
#pragma once

#include <string>

namespace xof {
class SaveData;
}
struct ExportContext;
struct XNode;

// Writes the node's frame under `parent` (or where world space and the scene root frame put it)
// and its children after it.
void WriteFrame(ExportContext* context, xof::SaveData* parent, XNode* node);

// Writes each child of `node` with the writer its geometry calls for, under `parent`.
void WriteChildren(ExportContext* context, xof::SaveData* parent, XNode* node);

// Adds a Frame named as the node (or `name`) with its transform record; null when the frame was
// refused.
xof::SaveData* AddFrameRecord(ExportContext* context, xof::SaveData* parent, const XNode& node,
                              const float* matrix16);
xof::SaveData* AddFrameRecord(ExportContext* context, xof::SaveData* parent,
                              const std::wstring& name, const float* matrix16);
