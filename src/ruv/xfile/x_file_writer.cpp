#include "ruv/xfile/x_file_writer.h"

#include "platform/window.h"
#include "ruv/plugin/export_context.h"

void WriteXFile(ExportContext* context, const std::wstring& outputPath) {
  (void)outputPath;
  if (context->topNodes.empty()) {
    MessageBoxW(context->host->GetMAXHWnd(), L"No node will be export.", L"", MB_OK);
    return;
  }
}
