// glTF 2.0 documents into the neutral model. ReadGltfModel is the entry; the others are its
// stages, each in a file of its own (nodes here, meshes in gltf_meshes.cpp, materials and images
// in gltf_materials.cpp).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/sim/import/gltf_accessors.h"
#include "host/sim/import/imported_model.h"

namespace sim::import {

struct GltfContext {
  const tinygltf::Model& document;
  GltfAccessors accessors;
  std::string fileName;
  // The model's folder (for external images) and where embedded images will be written.
  std::filesystem::path modelFolder;
  std::filesystem::path imageFolder;
  ImportedModel& model;
};

// Reads the whole document. Throws SceneFileError.
void ReadGltfModel(GltfContext& context);

// Images (written or found) and materials: fills model.images and model.materials, one material
// per glTF material, in order.
void ReadGltfMaterials(GltfContext& context);

// Meshes: the parts of every glTF mesh, in order; returns per mesh the indices of its parts.
std::vector<std::vector<int>> ReadGltfMeshes(GltfContext& context);

// "/meshes/3/primitives/0" and the like.
std::string Pointer(const char* array, std::size_t index);

}  // namespace sim::import
