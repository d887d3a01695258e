#include "ruv/core/progress.h"

#include "ruv/core/export_context.h"

void ProgressStep(ExportContext* context) {
  context->progressCount += 1;
  if (static_cast<float>(context->progressCount) >= context->progressNextAt) {
    if (context->progressPercent - context->progressEndPercent <= 0.01f) {
      context->host->ProgressUpdate(static_cast<int>(context->progressPercent), TRUE, nullptr);
    }
    context->progressPercent += context->progressPercentPerStep;
    context->progressNextAt += context->progressItemsPerStep;
  }
}

void BeginProcessingProgress(ExportContext* context) {
  std::uint32_t steps = context->workTotal < 95 ? context->workTotal : 95;
  context->writeWorkCount = 2;
  context->progressCount = 0;
  context->progressEndPercent = 95.0f;
  context->progressPercentPerStep = 95.0f / static_cast<float>(steps);
  context->progressItemsPerStep =
      static_cast<float>(context->workTotal) / static_cast<float>(steps);
  context->progressPercent = context->progressPercentPerStep;
  context->progressNextAt = context->progressItemsPerStep;
}

void BeginWritingProgress(ExportContext* context) {
  std::uint32_t steps = context->writeWorkCount < 5 ? context->writeWorkCount : 5;
  context->progressPercentPerStep = 5.0f / static_cast<float>(steps);
  context->progressItemsPerStep =
      static_cast<float>(context->writeWorkCount) / static_cast<float>(steps);
  context->progressPercent = 95.0f + context->progressPercentPerStep;
  context->progressNextAt =
      static_cast<float>(context->progressCount) + context->progressItemsPerStep;
  context->progressEndPercent = 100.0f;
}
