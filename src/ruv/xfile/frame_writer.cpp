#include "ruv/xfile/frame_writer.h"

#include "ruv/core/export_context.h"
#include "ruv/core/refused_records.h"
#include "ruv/core/transforms.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"
#include "ruv/xfile/frame_record.h"
#include "ruv/xfile/mesh_node_writer.h"
#include "ruv/xfile/record_layout.h"
#include "ruv/xfile/skin_frames.h"
#include "xof/save_object.h"

void WriteFrame(ExportContext* context, xof::SaveData* parent, XNode* node) {
  xof::SaveData* frame = nullptr;
  if (node->processed) {
    MatrixRecord matrix = MatrixLayout(LocalFrameMatrix(*node));
    // In world space every frame is a sibling under the scene root frame (or at the top).
    xof::SaveData* where = gExportOptions.WorldSpace || !parent ? context->rootFrameData : parent;
    frame = AddFrameRecord(context, where, *node, matrix.data());
  } else if (!gExportOptions.WorldSpace) {
    return;  // an unexported branch writes nothing
  }
  // A frame that could not be made leaves its children under the scene root frame or the top.
  xof::SaveData* childParent = frame ? frame : (node->processed ? nullptr : parent);
  WriteChildren(context, childParent, node);
  WriteSkinFrame(context, frame, *node);
  if (frame) frame->Release();
}

void WriteMeshNode(ExportContext* context, xof::SaveData* parent, XNode* node) {
  auto* renderable = AsRenderable(node);
  if (!node->processed) {
    if (gExportOptions.WorldSpace) WriteChildren(context, parent, node);
    return;
  }
  if (!renderable || !renderable->meshData) {
    // The node and its subtree still go in; only the mesh it should carry is missing.
    RefuseRecord(context, L"Mesh \"" + node->name + L"\"", node->name,
                 L"no geometry could be made for it");
    WriteFrame(context, parent, node);
    return;
  }

  xof::SaveData* frame = WriteMeshNodeRecords(context, parent, *renderable);
  WriteChildren(context, frame ? frame : parent, node);
  WriteSkinFrame(context, frame, *node);
  if (frame) frame->Release();
}

void WriteChildren(ExportContext* context, xof::SaveData* parent, XNode* node) {
  for (auto& child : node->children) {
    if (child->hasGeometry) {
      WriteMeshNode(context, parent, child.get());
    } else {
      WriteFrame(context, parent, child.get());
    }
  }
}
