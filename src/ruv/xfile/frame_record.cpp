#include "ruv/xfile/frame_record.h"

#include "platform/text_encoding.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
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
