// Questions about a host node's modifier stacks.
#pragma once

class INode;
class Modifier;

// The first enabled Skin (or Physique) modifier in the node's object-space stack, or null.
Modifier* FindSkinModifier(INode* node);
Modifier* FindPhysiqueModifier(INode* node);
// Either of the two.
bool HasSkinModifier(INode* node);

// Whether the node's world-space stack holds a world-space modifier.
bool HasWorldSpaceModifier(INode* node);
