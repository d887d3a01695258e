// Weight arithmetic on a node's skins, shared by the skin reader and the transfers from points to
// mesh vertices.
#pragma once

struct XRenderableNode;
struct XSkinInfo;

// Adds an even share of what each of the first `count` points lacks of a weight sum of 1 to its
// assigned weights, for points that lack no more than min(threshold, 1).
void FixSkinWeights(XSkinInfo& skin, int count, float threshold);

// Adds `factor` times the raw weights of object point `point` to mesh position `vertex` of the
// node's skin, creating the skin's bone entries on first use; sums are clamped to 1.
void TransferPointWeights(XRenderableNode* node, int vertex, int point, float factor);
