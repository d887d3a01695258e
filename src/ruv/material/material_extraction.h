// The material list of a node, extracted from its host material.
#pragma once

#include <memory>
#include <vector>

#include "ruv/core/shared_materials.h"
#include "ruv/core/xmaterial.h"

class Mtl;
struct XRenderableNode;

// Fills the node's material list: one entry per sub-material slot (or one for a single material).
// False only when there is no host material.
bool ExtractNodeMaterials(XRenderableNode* node, SharedMaterials& shared, Mtl* material);

// The record of the standard material found in the material's tree; null when none applies.
std::unique_ptr<XMaterial> ExtractStandardMaterial(XRenderableNode* node, Mtl* material);

// The record of any other material, from the generic queries (never null).
std::unique_ptr<XMaterial> ExtractOtherMaterial(XRenderableNode* node, Mtl* material);
