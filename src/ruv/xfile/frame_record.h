// The Frame record with its FrameTransformMatrix, which node frames, mesh frames and skin frames
// all write.
#pragma once

#include <string>

namespace xof {
class SaveData;
}
struct ExportContext;
struct XNode;

// Adds a Frame named as the node (or `name`) with its transform record, under `parent` or at the
// top of the file when `parent` is null; null when the frame was refused.
xof::SaveData* AddFrameRecord(ExportContext* context, xof::SaveData* parent, const XNode& node,
                              const float* matrix16);
xof::SaveData* AddFrameRecord(ExportContext* context, xof::SaveData* parent,
                              const std::wstring& name, const float* matrix16);
