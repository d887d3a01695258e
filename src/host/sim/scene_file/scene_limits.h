// Bounds on what a scene file may ask for. A file beyond them is refused before anything is
// allocated for it, so a corrupt or hostile file cannot exhaust memory or the stack.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

struct SceneLimits {
  static constexpr std::uintmax_t kMaxFileBytes = 1024u * 1024u * 1024u;
  // Nesting of JSON arrays and objects; the format itself needs far fewer levels.
  static constexpr int kMaxJsonDepth = 64;
  // Any one string (name, id, path), in UTF-8 bytes.
  static constexpr std::size_t kMaxStringBytes = 4096;
  static constexpr std::size_t kMaxNodes = 100000;
  // Levels of nodes below the scene root; the exporter walks hierarchies recursively.
  static constexpr int kMaxHierarchyDepth = 1000;
  static constexpr int kMaxFrameRate = 1000;
  static constexpr int kMaxTicksPerFrame = 100000;
  // Folder numbers a scene may name.
  static constexpr int kMaxFolderNumber = 99;
  // Vertices and faces of all meshes of a scene together, those of parametric objects included.
  static constexpr std::size_t kMaxSceneVertices = 2000000;
  static constexpr std::size_t kMaxSceneFaces = 4000000;
  // Map vertices and map faces of all map channels of a scene's mesh objects together, specified
  // normals and their faces counted with them. A channel without faces of its own still takes one
  // map face per mesh face.
  static constexpr std::size_t kMaxSceneMapVertices = 4000000;
  static constexpr std::size_t kMaxSceneMapFaces = 8000000;
  static constexpr int kMaxSphereSegments = 256;
  // Materials of a scene, sub-materials of one material, levels of materials inside materials,
  // sub-maps of one map or material, and parameters of one effect.
  static constexpr std::size_t kMaxMaterials = 10000;
  static constexpr std::size_t kMaxSubMaterials = 1000;
  static constexpr int kMaxMaterialDepth = 100;
  static constexpr std::size_t kMaxSubMaps = 100;
  static constexpr std::size_t kMaxEffectParams = 1000;
  // The highest map channel a map may use.
  static constexpr int kMaxMapChannel = 99;
  // Derived objects stacked on one node, and modifiers in one derived object.
  static constexpr std::size_t kMaxDerivedObjects = 16;
  static constexpr std::size_t kMaxModifiers = 64;
  // Keys of one part (position, rotation or scale) of a transform controller.
  static constexpr std::size_t kMaxControllerKeys = 100000;
};

}  // namespace sim
