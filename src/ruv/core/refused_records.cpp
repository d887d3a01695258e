#include "ruv/core/refused_records.h"

#include "platform/text_encoding.h"
#include "ruv/core/export_context.h"
#include "xof/save_object.h"

namespace {
constexpr std::size_t kListedRecords = 20;
}  // namespace

void RefuseRecord(ExportContext* context, std::wstring record, std::wstring node,
                  std::wstring reason) {
  context->refusedRecords.push_back({std::move(record), std::move(node), std::move(reason)});
}

void CollectRefusals(ExportContext* context, const xof::SaveObject& save) {
  for (const xof::Refusal& refusal : save.Refusals()) {
    RefuseRecord(context, platform::AnsiToWide(refusal.record), platform::AnsiToWide(refusal.owner),
                 platform::AnsiToWide(refusal.reason));
  }
}

std::wstring RefusalMessage(const std::vector<RefusedRecord>& refused,
                            const std::wstring& outputPath) {
  std::wstring text =
      L"The file " + outputPath + L" was written incomplete: " + std::to_wstring(refused.size()) +
      (refused.size() == 1 ? L" record or file" : L" records or files") + L" could not be written.";
  for (std::size_t i = 0; i < refused.size() && i < kListedRecords; ++i) {
    const RefusedRecord& r = refused[i];
    text += L"\n  " + r.record + (r.node.empty() ? L" at the top level" : L" of node " + r.node) +
            L": " + r.reason;
  }
  if (refused.size() > kListedRecords) {
    text += L"\n  and " + std::to_wstring(refused.size() - kListedRecords) + L" more";
  }
  return text;
}
