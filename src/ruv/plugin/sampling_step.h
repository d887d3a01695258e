// The time between two animation samples.
#pragma once

struct ExportContext;

// Sets the context's ticks per sample from the Timeline and SampleRate options. A sample rate below
// one per second or above one per tick is replaced by the frame rate, in the options too.
void SetupSamplingStep(ExportContext* context);
