// The host's triangle-mesh object: an object that holds one Mesh.
#pragma once

#include "host/mesh.h"
#include "host/object.h"

class TriObject : public Object {
 public:
  virtual Mesh& GetMesh() = 0;
};
