// The animation tracks of a node, one per clip.
#pragma once

struct ExportContext;
struct XNode;

// Extracts the node's tracks: at the controllers' key times with the KeyFrames option when that
// works, else by sampling.
void ExtractAnimation(ExportContext* context, XNode* node);
