// glTF 2.0 documents into the neutral model. ReadGltfModel is the entry; the others are its
// stages, each in a file of its own (nodes here, meshes in gltf_meshes.cpp, materials and images
// in gltf_materials.cpp).
#pragma once

#include <filesystem>
#include <functional>
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

// The joints and weights of a primitive into `part` (whose positions are read), every set, weights
// of 0 left out; `warn` names what is dropped.
void ReadGltfInfluences(const GltfContext& context, const tinygltf::Primitive& primitive,
                        const std::string& place, ImportedMeshPart& part,
                        const std::function<void(const std::string&)>& warn);

// Skins, once the nodes are read (`sourceOfNode`: the glTF node of each model node): model.skins
// one per glTF skin, each node's skin checked against the joints its mesh's weights name.
void ReadGltfSkins(GltfContext& context, const std::vector<int>& sourceOfNode);

// Animations, once the nodes are read: model.animations, in the file's order.
void ReadGltfAnimations(GltfContext& context, const std::vector<int>& sourceOfNode);

// Per glTF node, its index in model.nodes; -1 for a node outside the imported scene.
std::vector<int> ModelIndexOfNodes(const GltfContext& context,
                                   const std::vector<int>& sourceOfNode);

// "/meshes/3/primitives/0" and the like.
std::string Pointer(const char* array, std::size_t index);

}  // namespace sim::import
