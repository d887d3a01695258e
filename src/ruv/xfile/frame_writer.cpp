#include "ruv/xfile/frame_writer.h"

#include "platform/text_encoding.h"
#include "ruv/options/export_options.h"
#include "ruv/plugin/export_context.h"
#include "ruv/scene/transforms.h"
#include "ruv/scene/xnode.h"
#include "ruv/xfile/mesh_node_writer.h"
#include "ruv/xfile/record_layout.h"
#include "ruv/xfile/skin_frames.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"

namespace {

HRESULT AddRecord(ExportContext* context, xof::SaveData* parent, const xof::Guid& templateId,
                  const char* name, std::size_t size, const void* data, xof::SaveData** child) {
  if (parent) return parent->AddDataObject(templateId, name, nullptr, size, data, child);
  return context->saveObject->AddDataObject(templateId, name, nullptr, size, data, child);
}

}  // namespace

xof::SaveData* AddFrameRecord(ExportContext* context, xof::SaveData* parent, const XNode& node,
                              const float* matrix16) {
  return AddFrameRecord(context, parent, node.name, matrix16);
}

xof::SaveData* AddFrameRecord(ExportContext* context, xof::SaveData* parent,
                              const std::wstring& wideName, const float* matrix16) {
  std::string name = platform::WideToAnsi(wideName);
  xof::SaveData* frame = nullptr;
  if (xof::Failed(AddRecord(context, parent, xof::tid::Frame, name.c_str(), 0, nullptr, &frame)))
    return nullptr;
  xof::SaveData* transform = nullptr;
  if (xof::Succeeded(frame->AddDataObject(xof::tid::FrameTransformMatrix, nullptr, nullptr,
                                          16 * sizeof(float), matrix16, &transform))) {
    transform->Release();
  }
  return frame;
}

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

void WriteChildren(ExportContext* context, xof::SaveData* parent, XNode* node) {
  for (auto& child : node->children) {
    if (child->hasGeometry) {
      WriteMeshNode(context, parent, child.get());
    } else {
      WriteFrame(context, parent, child.get());
    }
  }
}
