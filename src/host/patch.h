// The host's patch objects: a patch mesh of vertices and triangle or quad patches, and the object
// that holds one.
#pragma once

#include <vector>

#include "host/object.h"
#include "host/point3.h"

constexpr int PATCH_TRI = 3;
constexpr int PATCH_QUAD = 4;

struct PatchVert {
  Point3 p;
};

// A patch: its type and four vertex indices, of which a triangle patch uses the first three.
struct Patch {
  int type = PATCH_TRI;
  int v[4] = {0, 0, 0, 0};
};

class PatchMesh {
 public:
  int getNumVerts() const { return static_cast<int>(verts.size()); }
  int getNumPatches() const { return static_cast<int>(patches.size()); }
  PatchVert& getVert(int i) { return verts[i]; }
  const PatchVert& getVert(int i) const { return verts[i]; }

  std::vector<PatchVert> verts;
  std::vector<Patch> patches;
};

// The class of the host's patch objects.
constexpr Class_ID PATCHOBJ_CLASS_ID(0x1030, 0);

class PatchObject : public Object {
 public:
  virtual PatchMesh& GetPatchMesh() = 0;
};
