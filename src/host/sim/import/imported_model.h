// The neutral model every importer fills: what a model file holds, already in the host's terms
// (host matrices, map channels, material slots), but not yet host objects. Readers of a format
// flatten its quirks into this; ModelAssembly turns it into the scene the JSON loader would build.
// Skins hang off the nodes; animations are clips of keyed node parts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/matrix3.h"
#include "host/sim/material_description.h"
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

// A DirectX shader material: its effect file and the parameters of its block 0, in order.
struct ImportedEffect {
  // The effect file in host form (found beside the model, or named for the exporter's search).
  std::wstring hostPath;
  std::vector<EffectParamDescription> params;
};

struct ImportedMaterial {
  std::wstring name;
  MaterialColors colors;
  // Standard material slots (StandardSlot) given a bitmap.
  std::array<std::optional<ImportedTexture>, kStandardSlotCount> maps;
  // The bump slot's bitmap is a tangent-space normal map, put under a Normal Bump map.
  bool bumpIsNormalMap = false;
  // Set: the material is a DirectX shader material of this effect (colours and maps unused).
  std::optional<ImportedEffect> effect;
};

struct ImportedInfluence {
  int joint = 0;
  float weight = 0.0f;
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
  // A part of several materials (a `.x` mesh): its material list (indices into
  // ImportedModel::materials, -1 for none) and, per triangle, the entry of the list it uses. When
  // set, `material` is unused and the list becomes the node's material ids in its order.
  std::vector<int> slotMaterials;
  std::vector<std::uint16_t> triangleSlots;
  // The smoothing groups of the part's faces, for the corners without a normal (0: flat).
  DWORD smoothingGroups = 0;
  // The node's wire colour (red, green, blue), where the source gives one: a `.x` mesh without a
  // material holds it as its default material.
  std::optional<std::array<std::uint8_t, 3>> wireColor;
  // The joints (indices into the skin's joints) that move each position, with weights above 0:
  // position i's are influences[influenceStarts[i]] up to influences[influenceStarts[i + 1]].
  // Both empty for a part no skin moves.
  std::vector<ImportedInfluence> influences;
  std::vector<std::uint32_t> influenceStarts;
  // The largest joint index the influences name, and where the source gives it, for the check
  // against the skin of each node that uses the part.
  int largestJoint = -1;
  std::string influencePlace;
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
  // Index into ImportedModel::skins of the skin that deforms the mesh; -1 for none.
  int skin = -1;
  // A node without a mesh that the source holds as a frame of its own (a `.x` frame): a bone,
  // which the exporter writes whatever is below it, rather than a dummy, which it writes only
  // above what it writes.
  bool bone = false;
};

// The joints of a skin and how each sat when the mesh was bound to it.
struct ImportedSkin {
  // Indices into ImportedModel::nodes.
  std::vector<int> joints;
  // Per joint: the host row-vector matrix taking a point of the mesh's own space into the joint's
  // space at the bind pose (the source's units and axes).
  std::vector<Matrix3> inverseBindMatrices;
};

enum class ImportedPath { kTranslation, kRotation, kScale };
enum class ImportedInterpolation { kLinear, kStep, kCubicSpline };

// The keys of one part of one node in one animation, in the source's terms (the node's local
// space; the assembly composes the root turn into top-level nodes).
struct ImportedChannel {
  int node = -1;  // index into ImportedModel::nodes
  ImportedPath path = ImportedPath::kTranslation;
  ImportedInterpolation interpolation = ImportedInterpolation::kLinear;
  // Seconds, strictly increasing, none below 0.
  std::vector<float> times;
  // Per key 3 numbers (x, y, z) or 4 (a unit quaternion x, y, z, w, turning column vectors as
  // glTF's do: the conjugate of the host's quaternion of the turn); cubic-spline keys hold the
  // in-tangent, the value and the out-tangent one after the other, tangents per second.
  std::vector<float> values;
  // The keys' host times in ticks, set when the clips are laid out (LayOutClips).
  std::vector<int> ticks;
};

struct ImportedAnimation {
  std::wstring name;
  std::vector<ImportedChannel> channels;
};

// Where an animation lies on the host's timeline, in frames.
struct ImportedClip {
  std::wstring name;
  int startFrame = 0;
  int endFrame = 0;
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
  std::vector<ImportedSkin> skins;
  // In the order of the file: they become clips laid end to end on the timeline.
  std::vector<ImportedAnimation> animations;
  // One per animation, set when the clips are laid out.
  std::vector<ImportedClip> clips;
  // One line per feature dropped, in the order found.
  std::vector<std::string> warnings;
  // The source is Y-up: the assembly turns it Z-up.
  bool yUp = true;
};

}  // namespace sim::import
