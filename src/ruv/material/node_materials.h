// Entering material records into a node's list and the scene's shared list.
#pragma once

#include <memory>
#include <vector>

#include "ruv/core/shared_materials.h"
#include "ruv/core/xmaterial.h"

struct XRenderableNode;

// Names the record apart from the node and enters it: into the node's own list when materials are
// inline or it is an effect material, else into the shared list (once per name) with a reference
// in the node's list. A null record is ignored.
void AddNodeMaterial(XRenderableNode* node, SharedMaterials& shared,
                     std::unique_ptr<XMaterial> record);
