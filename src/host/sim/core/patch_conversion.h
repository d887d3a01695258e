// The host core's patch conversion: a patch mesh tessellated into a triangle mesh. It lives in the
// host's core library (core.so), which exports it by name for plug-ins that look it up at run time.
#pragma once

#include <vector>

#include "host/mesh.h"
#include "host/patch.h"

// Every patch divided into kPatchSteps steps along each edge: the patch vertices come first, as
// mesh vertices 0 .. n-1 at the same positions, then the points inside patch edges (shared by the
// patches on both sides) and inside patches. `patchMapping` gets, per triangle, the index of its
// patch. A patch naming a vertex the patch mesh does not have is left out. Returns 1, or 0 when an
// argument is null. `flags` is accepted for the host's signature.
extern "C" __attribute__((visibility("default"))) int TessellatePatchMesh(
    PatchMesh* patches, Mesh* mesh, std::vector<int>* patchMapping, int flags);

constexpr int kPatchSteps = 2;
