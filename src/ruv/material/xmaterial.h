// Material records of a node's material list and of the scene-wide shared list.
#pragma once

// An entry of a material list; each kind of record derives from it and is destroyed through it.
struct XMaterialRef {
  virtual ~XMaterialRef() = default;
};
