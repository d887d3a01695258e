// Turns material and map descriptions into the objects of one scene.
#pragma once

#include <map>
#include <set>

#include "host/sim/material_description.h"
#include "host/sim/sim_material_library.h"

namespace sim {

class MaterialInstancer {
 public:
  // The objects go into `library`, which must outlive the instancer.
  explicit MaterialInstancer(SimMaterialLibrary& library) : library_(library) {}

  // The scene's object for a description, made on first use: the same description always gives
  // the same object. Null for null. A description that contains itself throws
  // std::invalid_argument (the scene file reader refuses such files before they get here).
  Mtl* Material(const MaterialDescriptionRef& description);
  Texmap* Map(const MapDescriptionRef& description);

 private:
  Mtl* MakeMaterial(const MaterialDescription& description);
  Texmap* MakeMap(const MapDescription& description);
  void AddEffectParams(const MaterialDescription& description, SimDxMaterial& material);

  SimMaterialLibrary& library_;
  std::map<const MaterialDescription*, Mtl*> materials_;
  std::map<const MapDescription*, Texmap*> maps_;
  // Descriptions being made, to tell a loop from sharing.
  std::set<const void*> making_;
};

}  // namespace sim
