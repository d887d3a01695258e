// Skin weights of a mesh deformed by a Skin or Physique modifier: read per object point from the
// modifier, optionally topped up to a sum of 1, carried over to the mesh's vertices where the two
// do not correspond, and counted for the skin mesh header.
#pragma once

#include "host/matrix3.h"

class Modifier;
struct ExportContext;
struct XRenderableNode;

// Fills the node's rawSkin, skin and hasSkin when the Skin option is on and the node has an
// enabled Skin modifier (read first) or else a Physique modifier.
void ExtractSkin(ExportContext* context, XRenderableNode* node);

// Read the modifier's influences into a new rawSkin; false when its interface or context is
// missing.
bool ReadSkinModifier(ExportContext* context, XRenderableNode* node, Modifier* modifier);
bool ReadPhysiqueModifier(ExportContext* context, XRenderableNode* node, Modifier* modifier);

// The three counts of the skin mesh header, from the node's skin and mesh data.
void BuildSkinHeader(ExportContext* context, XRenderableNode* node);

// The inverse of a bone's bind pose. A flat pose (a zero scale) has none: it gets the inverse of
// the pose with the lost axis put back at unit length, normal to the plane the pose keeps, and
// `flat` is set. At that pose its vertices then lie where the flat pose puts them (in its plane,
// each at its own place), rather than all on the bone's origin.
Matrix3 BindPoseInverse(const Matrix3& pose, bool& flat);
