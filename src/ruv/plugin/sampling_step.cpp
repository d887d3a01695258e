#include "ruv/plugin/sampling_step.h"

#include "ruv/core/export_context.h"
#include "ruv/options/export_options.h"

void SetupSamplingStep(ExportContext* context) {
  int frameRate = context->host->GetFrameRate();
  int rate = gExportOptions.Timeline ? frameRate : gExportOptions.SampleRate;
  int ticksPerSecond = context->host->GetTicksPerFrame() * frameRate;
  if (rate < 1 || rate > ticksPerSecond) {
    gExportOptions.SampleRate = frameRate;
    rate = frameRate;
  }
  // A host that reports no frames per second leaves nothing to divide by.
  context->ticksPerSample = rate > 0 ? ticksPerSecond / rate : context->ticksPerFrame;
}
