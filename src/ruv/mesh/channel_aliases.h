// Texture-coordinate sets that are equal everywhere are written once.
#pragma once

struct XMeshData;

// Points each used channel at the first earlier channel whose coordinates equal its own at every
// output vertex (within 1e-6), or at itself.
void FindChannelAliases(XMeshData& data);
