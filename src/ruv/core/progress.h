// The export's progress bar: processing fills 0-95 %, writing 95-100 %, each in a bounded number of
// moves so that a large scene does not spend its time redrawing the bar.
#pragma once

#include <cstdint>

struct ExportContext;

// One unit of work (a face, a vertex, a key, a bone, a record).
void ProgressStep(ExportContext* context);

// Sizes the processing phase (0-95 %) from the context's work total.
void BeginProcessingProgress(ExportContext* context);

// Sizes the writing phase (95-100 %) from the context's write work count.
void BeginWritingProgress(ExportContext* context);
