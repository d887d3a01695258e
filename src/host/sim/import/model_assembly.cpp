#include "host/sim/import/model_assembly.h"

#include <algorithm>
#include <map>

#include "host/sim/import/animation_assembly.h"
#include "host/sim/import/model_repair.h"
#include "host/sim/mesh_builder.h"
#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"

namespace sim::import {

namespace {

MapBuilder BitmapOf(const ImportedTexture& texture) {
  MapBuilder map = BitmapTexture(texture.hostPath);
  std::wstring name = texture.hostPath.substr(texture.hostPath.find_last_of(L'\\') + 1);
  map.Name(name.empty() ? L"Map" : name)
      .Offset(texture.placement.offsetU, texture.placement.offsetV)
      .Repeat(texture.placement.repeatU, texture.placement.repeatV)
      .Angle(texture.placement.angle)
      .Tiling(texture.tiling)
      .Channel(texture.uvSet + 1);
  return map;
}

MaterialBuilder StandardOf(const ImportedMaterial& source) {
  if (source.effect) {
    MaterialBuilder effect = DxMaterial(source.name, source.effect->hostPath);
    for (const EffectParamDescription& param : source.effect->params) effect.Param(param);
    return effect;
  }
  MaterialBuilder material = StandardMaterial(source.name);
  const MaterialColors& c = source.colors;
  material.Diffuse(c.diffuse)
      .Specular(c.specular)
      .Shininess(c.shininess)
      .ShininessStrength(c.shininessStrength)
      .Transparency(c.transparency);
  if (c.selfIlluminationOn) material.SelfIllumination(c.selfIllumination);
  for (int slot = 0; slot < kStandardSlotCount; ++slot) {
    const auto& texture = source.maps[static_cast<std::size_t>(slot)];
    if (!texture) continue;
    MapBuilder map = BitmapOf(*texture);
    if (slot == kBumpSlot && source.bumpIsNormalMap) {
      map = NormalBump(map).Name(L"Normal Bump").Channel(texture->uvSet + 1);
    }
    material.Map(slot, map);
  }
  return material;
}

// The materials of the scene: one builder per model material, and one multi/sub-object material
// per distinct list of materials a node's parts use, shared by the nodes with the same list.
class MaterialSet {
 public:
  explicit MaterialSet(const ImportedModel& model) {
    for (const ImportedMaterial& material : model.materials)
      standards_.push_back(StandardOf(material));
  }

  MaterialBuilder ForNode(const std::vector<int>& slots, const std::wstring& name) {
    if (slots.size() == 1) return Single(slots.front());
    auto found = multis_.find(slots);
    if (found != multis_.end()) return found->second;
    std::vector<MaterialBuilder> subMaterials;
    for (int slot : slots) subMaterials.push_back(Single(slot));
    MaterialBuilder multi = MultiMaterial(name, subMaterials);
    multis_.emplace(slots, multi);
    return multi;
  }

 private:
  MaterialBuilder Single(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= standards_.size()) return nullptr;
    return standards_[static_cast<std::size_t>(index)];
  }

  std::vector<MaterialBuilder> standards_;
  std::map<std::vector<int>, MaterialBuilder> multis_;
};

// The node's parts as one mesh; `slots` receives the material of each material id.
Mesh MeshOf(const ImportedModel& model, const ImportedNode& node, std::vector<int>& slots) {
  std::vector<Point3> positions;
  std::vector<MapFace> faces;
  std::vector<WORD> faceSlots;
  std::vector<DWORD> faceGroups;
  bool anyNormals = false, anyColors = false, anyAlpha = false;
  std::size_t uvSets = 0;
  // Each list allocated once at its size: a model's mesh is large.
  std::size_t vertexCount = 0, faceCount = 0;
  for (int index : node.parts) {
    vertexCount += model.parts[static_cast<std::size_t>(index)].positions.size();
    faceCount += model.parts[static_cast<std::size_t>(index)].triangles.size();
  }
  positions.reserve(vertexCount);
  faces.reserve(faceCount);
  faceSlots.reserve(faceCount);
  for (int index : node.parts) {
    const ImportedMeshPart& part = model.parts[static_cast<std::size_t>(index)];
    // The material id of each entry of the part's list: a node of one listed part keeps the list
    // as it is (entries named twice included), so its ids are the file's.
    std::vector<WORD> ids;
    const std::vector<int> single{part.material};
    const std::vector<int>& list = part.slotMaterials.empty() ? single : part.slotMaterials;
    for (int material : list) {
      auto slot = std::find(slots.begin(), slots.end(), material);
      if (slot == slots.end() || node.parts.size() == 1) slot = slots.insert(slots.end(), material);
      ids.push_back(static_cast<WORD>(slot - slots.begin()));
    }
    DWORD base = static_cast<DWORD>(positions.size());
    positions.insert(positions.end(), part.positions.begin(), part.positions.end());
    for (std::size_t t = 0; t < part.triangles.size(); ++t) {
      const auto& corners = part.triangles[t];
      faces.push_back({corners[0] + base, corners[1] + base, corners[2] + base});
      std::size_t entry = part.triangleSlots.empty() ? 0 : part.triangleSlots[t];
      faceSlots.push_back(ids[std::min(entry, ids.size() - 1)]);
      faceGroups.push_back(part.smoothingGroups);
    }
    anyNormals = anyNormals || !part.normals.empty();
    anyColors = anyColors || !part.colors.empty();
    anyAlpha = anyAlpha || !part.alpha.empty();
    uvSets = std::max(uvSets, part.uvSets.size());
  }
  Mesh mesh = MakeMesh(std::move(positions), faces);
  for (std::size_t f = 0; f < faceSlots.size(); ++f) {
    mesh.faces[f].setMatID(faceSlots[f]);
    mesh.faces[f].setSmGroup(faceGroups[f]);
  }

  // Attributes a part lacks where another has them: no normal (the smoothing groups decide), the
  // origin for coordinates, white for colours, opaque for alpha.
  auto gather = [&](auto member, auto fallback) {
    std::vector<std::decay_t<decltype(fallback)>> all;
    all.reserve(mesh.verts.size());
    for (int index : node.parts) {
      const ImportedMeshPart& part = model.parts[static_cast<std::size_t>(index)];
      const auto& values = member(part);
      if (values.empty()) {
        all.insert(all.end(), part.positions.size(), fallback);
      } else {
        all.insert(all.end(), values.begin(), values.end());
      }
    }
    return all;
  };
  static const std::vector<Point3> kNone;
  for (std::size_t set = 0; set < uvSets; ++set) {
    auto coordinates = gather(
        [set](const ImportedMeshPart& p) -> const std::vector<Point3>& {
          return set < p.uvSets.size() ? p.uvSets[set] : kNone;
        },
        Point3());
    SetVertexMap(mesh, static_cast<int>(set) + 1, std::move(coordinates));
  }
  if (anyColors) {
    SetVertexColors(mesh, gather(
                              [](const ImportedMeshPart& p) -> const auto& { return p.colors; },
                              Point3(1, 1, 1)));
  }
  if (anyAlpha) {
    SetVertexAlpha(mesh,
                   gather(
                       [](const ImportedMeshPart& p) -> const auto& { return p.alpha; }, 1.0f));
  }
  if (anyNormals) {
    std::vector<Point3> normals;
    std::vector<std::array<int, 3>> normalFaces;
    normals.reserve(mesh.verts.size());
    normalFaces.reserve(mesh.faces.size());
    std::size_t base = 0;
    for (int index : node.parts) {
      const ImportedMeshPart& part = model.parts[static_cast<std::size_t>(index)];
      bool given = !part.normals.empty();
      normals.insert(normals.end(), part.normals.begin(), part.normals.end());
      for (const auto& t : part.triangles) {
        if (!given) {
          normalFaces.push_back({kNoNormal, kNoNormal, kNoNormal});
          continue;
        }
        // A zero normal says nothing: the corner takes the smoothing groups' normal.
        std::array<int, 3> corners{};
        for (std::size_t k = 0; k < 3; ++k) {
          corners[k] =
              IsAbsentNormal(part.normals[t[k]]) ? kNoNormal : static_cast<int>(base + t[k]);
        }
        normalFaces.push_back(corners);
      }
      base += part.normals.size();
    }
    SetSpecifiedNormals(mesh, std::move(normals), normalFaces);
  }
  return mesh;
}

void CheckLimits(const ImportedModel& model, const std::string& fileName) {
  std::size_t vertices = 0, faces = 0, mapVertices = 0, mapFaces = 0;
  for (const ImportedNode& node : model.nodes) {
    for (int index : node.parts) {
      const ImportedMeshPart& part = model.parts[static_cast<std::size_t>(index)];
      std::size_t channels = part.uvSets.size() + (part.colors.empty() ? 0 : 1) +
                             (part.alpha.empty() ? 0 : 1) + (part.normals.empty() ? 0 : 1);
      vertices += part.positions.size();
      faces += part.triangles.size();
      mapVertices += channels * part.positions.size();
      mapFaces += channels * part.triangles.size();
    }
  }
  auto refuse = [&](std::size_t count, std::size_t limit, const char* what) {
    if (count <= limit) return;
    throw SceneFileError(fileName, "",
                         "the model holds " + std::to_string(count) + " " + what +
                             " in all its nodes, more than the limit of " + std::to_string(limit));
  };
  refuse(model.nodes.size(), SceneLimits::kMaxNodes, "nodes");
  refuse(vertices, SceneLimits::kMaxSceneVertices, "vertices");
  refuse(faces, SceneLimits::kMaxSceneFaces, "triangles");
  refuse(mapVertices, SceneLimits::kMaxSceneMapVertices, "map vertices");
  refuse(mapFaces, SceneLimits::kMaxSceneMapFaces, "map faces");
}

}  // namespace

Matrix3 YUpToZUp() { return Matrix3({1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {0, 0, 0}); }

std::unique_ptr<SimScene> AssembleScene(const ImportedModel& model, float scale,
                                        const std::string& fileName,
                                        const std::wstring& sceneFile) {
  CheckLimits(model, fileName);
  Matrix3 rootTurn = model.yUp ? YUpToZUp() : Matrix3();
  if (scale != 1.0f) rootTurn = rootTurn * ScaleMatrix(Point3(scale, scale, scale));

  SceneBuilder builder;
  builder.SceneFile(sceneFile);
  MaterialSet materials(model);
  std::vector<NodeBuilder*> made;
  made.reserve(model.nodes.size());
  // Host local and world transforms before any animation, for the skins' bind poses and the keys.
  std::vector<Matrix3> local, world;
  local.reserve(model.nodes.size());
  world.reserve(model.nodes.size());
  for (const ImportedNode& node : model.nodes) {
    NodeBuilder& parent =
        node.parent < 0 ? builder.Root() : *made[static_cast<std::size_t>(node.parent)];
    NodeBuilder& child = parent.AddChild(node.name);
    local.push_back(node.parent < 0 ? node.local * rootTurn : node.local);
    world.push_back(node.parent < 0 ? local.back()
                                    : local.back() * world[static_cast<std::size_t>(node.parent)]);
    child.Transform(local.back());
    made.push_back(&child);
    // A node without a mesh (a group, or what held a camera or a light) is a dummy helper, as the
    // host keeps such nodes.
    if (node.parts.empty()) {
      if (node.bone) {
        child.Bone();
      } else {
        child.Dummy();
      }
      continue;
    }
    std::vector<int> slots;
    child.TriMesh(MeshOf(model, node, slots));
    for (int index : node.parts) {
      const auto& wire = model.parts[static_cast<std::size_t>(index)].wireColor;
      if (!wire) continue;
      child.WireColor((*wire)[0], (*wire)[1], (*wire)[2]);
      break;
    }
    MaterialBuilder material =
        materials.ForNode(slots, node.meshName.empty() ? node.name : node.meshName);
    if (material) child.Material(material);
  }
  AddSkins(model, made, world);
  AddAnimationKeys(model, made, local, rootTurn, scale, fileName);
  if (!model.clips.empty()) builder.AnimationFrames(0, model.clips.back().endFrame);
  return std::move(builder).Build();
}

}  // namespace sim::import
