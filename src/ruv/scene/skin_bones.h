// The bones that skins use: the scan that marks them while the tree is built, and the set of bone
// nodes a skin modifier names.
#pragma once

#include <vector>

class INode;
class Modifier;
struct ExportContext;
struct XNode;

// For every export node with geometry that is not a bone, the bones of its enabled Skin modifier
// (or else Physique modifier) are marked isBone, lose their geometry unless BoneMesh is on, and
// are exported when the skinned node is and the Skin and Bones options are on.
void MarkSkinBones(ExportContext* context);

// The host nodes the skinning modifier deforms `node` with, each once, in the order they are met.
std::vector<INode*> SkinBoneNodes(INode* node, Modifier* skin, Modifier* physique);
