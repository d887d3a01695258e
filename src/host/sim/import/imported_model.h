// The neutral model every importer fills: what a model file holds, already in the host's terms
// (host matrices, map channels, material slots), but not yet host objects. Readers of a format
// flatten its quirks into this; ModelAssembly turns it into the scene the JSON loader would build.
// Skins and animations will hang off the nodes here when the host carries them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/matrix3.h"
#include "host/sim/sim_material.h"
#include "host/sim/sim_texmap.h"

namespace sim::import {

// One texture a material slot reads.
struct ImportedTexture {
  // The image file in host form: a file beside the model, or an embedded image written beside the
  // output.
  std::wstring hostPath;
  // The texture-coordinate set, from 0; it reads map channel uvSet + 1.
  int uvSet = 0;
  UVPlacement placement;
  int tiling = U_WRAP | V_WRAP;
};

struct ImportedMaterial {
  std::wstring name;
  MaterialColors colors;
  // Standard material slots (StandardSlot) given a bitmap.
  std::array<std::optional<ImportedTexture>, kStandardSlotCount> maps;
  // The bump slot's bitmap is a tangent-space normal map, put under a Normal Bump map.
  bool bumpIsNormalMap = false;
};

// One primitive or sub-mesh: triangles over its own vertices, all attributes per vertex.
struct ImportedMeshPart {
  std::vector<Point3> positions;
  // Empty, or one per position.
  std::vector<Point3> normals;
  // Each set one per position, V already in the host's convention (0 at the bottom).
  std::vector<std::vector<Point3>> uvSets;
  // Empty, or one per position; alpha only when the source gives it.
  std::vector<Point3> colors;
  std::vector<float> alpha;
  std::vector<std::array<DWORD, 3>> triangles;
  // Index into ImportedModel::materials; -1 for none.
  int material = -1;
};

struct ImportedNode {
  std::wstring name;
  // Index of the parent in ImportedModel::nodes, always before this node; -1 for a top-level node.
  int parent = -1;
  Matrix3 local;
  // Indices into ImportedModel::parts that together make this node's one mesh.
  std::vector<int> parts;
  // The name of the source mesh, for a multi/sub-object material made for it.
  std::wstring meshName;
};

// An image held inside the model file, to be written beside the output under `fileName`.
struct EmbeddedImage {
  std::string fileName;
  std::vector<unsigned char> bytes;
};

struct ImportedModel {
  std::vector<ImportedNode> nodes;
  std::vector<ImportedMeshPart> parts;
  std::vector<ImportedMaterial> materials;
  std::vector<EmbeddedImage> images;
  // One line per feature dropped, in the order found.
  std::vector<std::string> warnings;
  // The source is Y-up: the assembly turns it Z-up.
  bool yUp = true;
};

}  // namespace sim::import
