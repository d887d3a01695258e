// How much work the processing pass will do, for the progress bar.
#pragma once

#include <cstdint>

struct ExportContext;
struct XNode;

// Samples per node over all animation clips; 0 when animation is off.
std::uint32_t AnimationSampleCount(const ExportContext& context);

// Adds the work of an exported node and of the ancestors the pass will process with it (only the
// node itself in world space) to the context's work total; a node is counted once.
void AddNodeWork(ExportContext* context, XNode* node);
