// The animation tracks of a node, one per clip.
#pragma once

#include "host/matrix3.h"
#include "host/time_value.h"

struct ExportContext;
struct XNode;

// Extracts the node's tracks: at the controllers' key times with the KeyFrames option when that
// works, else by sampling.
void ExtractAnimation(ExportContext* context, XNode* node);

// One track per clip from samples every ticks-per-sample through each clip, the last on the clip's
// end. Always succeeds.
bool ExtractSampledAnimation(ExportContext* context, XNode* node);

// One track per clip from the times at which the node's controllers hold keys, plus the clip's
// ends. Fails, leaving the tracks to sampling, when the node has no host node or any clip's key
// times cannot be collected.
bool ExtractKeyFrameAnimation(ExportContext* context, XNode* node);

// The node's transform at absolute time t relative to what its frame hangs under, in output space:
// relative to its parent's transform, or with the WorldSpace option to the world (a mesh node to
// its bind pose).
Matrix3 KeyMatrixAt(const XNode& node, TimeValue t);
