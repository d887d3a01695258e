#include "ruv/scene/processing.h"

#include "ruv/plugin/export_context.h"
#include "ruv/plugin/progress.h"

void ProcessNodeTree(ExportContext* context) {
  ProgressStep(context);
  if (context->topNodes.empty()) return;
}
