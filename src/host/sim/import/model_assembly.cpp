#include "host/sim/import/model_assembly.h"

#include <algorithm>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>

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

// The node's parts as one mesh; `slots` receives the material of each material id. A model's
// mesh is large, so the host mesh is filled in place, without lists in between.
Mesh MeshOf(const ImportedModel& model, const ImportedNode& node, std::vector<int>& slots) {
  std::vector<const ImportedMeshPart*> parts;
  bool anyNormals = false, anyColors = false, anyAlpha = false;
  std::size_t uvSets = 0, vertexCount = 0, faceCount = 0, normalCount = 0;
  for (int index : node.parts) {
    const ImportedMeshPart& part = model.parts[static_cast<std::size_t>(index)];
    parts.push_back(&part);
    vertexCount += part.positions.size();
    faceCount += part.triangles.size();
    normalCount += part.normals.size();
    anyNormals = anyNormals || !part.normals.empty();
    anyColors = anyColors || !part.colors.empty();
    anyAlpha = anyAlpha || !part.alpha.empty();
    uvSets = std::max(uvSets, part.uvSets.size());
  }
  constexpr auto kMaxCount = static_cast<std::size_t>(std::numeric_limits<int>::max());
  if (vertexCount > kMaxCount) throw std::invalid_argument("too many vertices");
  if (faceCount > kMaxCount) throw std::invalid_argument("too many faces");
  if (normalCount > kMaxCount) throw std::invalid_argument("too many normals");

  Mesh mesh;
  mesh.verts.reserve(vertexCount);
  mesh.setNumFaces(static_cast<int>(faceCount));
  std::size_t face = 0;
  for (const ImportedMeshPart* part : parts) {
    // The material id of each entry of the part's list: a node of one listed part keeps the list
    // as it is (entries named twice included), so its ids are the file's.
    std::vector<WORD> ids;
    const std::vector<int> single{part->material};
    const std::vector<int>& list = part->slotMaterials.empty() ? single : part->slotMaterials;
    for (int material : list) {
      auto slot = std::find(slots.begin(), slots.end(), material);
      if (slot == slots.end() || parts.size() == 1) slot = slots.insert(slots.end(), material);
      ids.push_back(static_cast<WORD>(slot - slots.begin()));
    }
    const auto base = static_cast<DWORD>(mesh.verts.size());
    mesh.verts.insert(mesh.verts.end(), part->positions.begin(), part->positions.end());
    for (std::size_t t = 0; t < part->triangles.size(); ++t, ++face) {
      const auto& corners = part->triangles[t];
      for (DWORD corner : corners) {
        if (corner + base >= vertexCount) {
          throw std::invalid_argument("mesh: index " + std::to_string(corner + base) + " past " +
                                      std::to_string(vertexCount) + " vertices");
        }
      }
      Face& out = mesh.faces[face];
      out.setVerts(corners[0] + base, corners[1] + base, corners[2] + base);
      std::size_t entry = part->triangleSlots.empty() ? 0 : part->triangleSlots[t];
      out.setMatID(ids[std::min(entry, ids.size() - 1)]);
      out.setSmGroup(part->smoothingGroups);
    }
  }

  // Attributes a part lacks where another has them: no normal (the smoothing groups decide), the
  // origin for coordinates, white for colours, opaque for alpha.
  auto fill = [&](int channel, auto values, auto fallback, auto convert) {
    UVVert* out = StartVertexMap(mesh, channel);
    for (const ImportedMeshPart* part : parts) {
      const auto& given = values(*part);
      if (given.empty()) {
        out = std::fill_n(out, part->positions.size(), convert(fallback));
        continue;
      }
      if (given.size() != part->positions.size()) {
        throw std::invalid_argument("map channel " + std::to_string(channel) + ": " +
                                    std::to_string(given.size()) + " values for a part of " +
                                    std::to_string(part->positions.size()) + " vertices");
      }
      out = std::transform(given.begin(), given.end(), out, convert);
    }
  };
  auto same = [](const Point3& p) { return p; };
  for (std::size_t set = 0; set < uvSets; ++set) {
    fill(
        static_cast<int>(set) + 1,
        [set](const ImportedMeshPart& p) -> const std::vector<Point3>& {
          static const std::vector<Point3> kNone;
          return set < p.uvSets.size() ? p.uvSets[set] : kNone;
        },
        Point3(), same);
  }
  if (anyColors) {
    fill(
        0, [](const ImportedMeshPart& p) -> const auto& { return p.colors; }, Point3(1, 1, 1),
        same);
  }
  if (anyAlpha) {
    // Alpha in every component, as the host keeps it.
    fill(
        MAP_ALPHA, [](const ImportedMeshPart& p) -> const auto& { return p.alpha; }, 1.0f,
        [](float a) { return UVVert(a, a, a); });
  }
  if (anyNormals) {
    MeshNormalSpec& normals = mesh.SpecifyNormals();
    normals.SetNumNormals(static_cast<int>(normalCount));
    int base = 0;
    face = 0;
    for (const ImportedMeshPart* part : parts) {
      const bool given = !part->normals.empty();
      if (given) std::copy(part->normals.begin(), part->normals.end(), &normals.Normal(base));
      for (const auto& t : part->triangles) {
        for (std::size_t k = 0; k < 3; ++k) {
          int id = kNoNormal;
          if (given) {
            if (t[k] >= part->normals.size()) {
              throw std::invalid_argument("specified normals: normal " +
                                          std::to_string(base + static_cast<int>(t[k])) +
                                          " does not exist");
            }
            // A zero normal says nothing: the corner takes the smoothing groups' normal.
            if (!IsAbsentNormal(part->normals[t[k]])) id = base + static_cast<int>(t[k]);
          }
          normals.SetNormalId(static_cast<int>(face), static_cast<int>(k), id);
        }
        ++face;
      }
      base += static_cast<int>(part->normals.size());
    }
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
