#include "host/sim/scene_file/skin_reader.h"

#include <memory>
#include <string>

#include "host/sim/core/patch_conversion.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/sim/scene_file/transform_reader.h"
#include "host/sim/sim_classes.h"

namespace sim {

namespace {

constexpr std::size_t kMaxInfluences = 1000;
// What Physique reports for a vertex that bones deform rather than carry.
constexpr int kDeformableType = 2;

// The host keeps each weight in [0, 1]; a point's weights may sum above 1, as they do in the host
// when it does not normalise them, and the exporter takes them as they come.
float ReadWeight(const JsonPlace& place) {
  float weight = place.Float();
  if (!(weight >= 0.0f && weight <= 1.0f)) place.Fail("a weight lies between 0 and 1");
  return weight;
}

// A bone: its id, or {"node": id, "bindPose": transform}. The pose is the node's world transform.
void ReadPosedNode(const JsonPlace& entry, const NodeBuilder** node, std::optional<Matrix3>& pose,
                   std::vector<NodeReference>& references) {
  if (entry.IsString()) {
    references.push_back({entry, node});
    return;
  }
  entry.ExpectObject({"node", "bindPose"});
  references.push_back({entry.Field("node"), node});
  if (auto given = entry.OptionalField("bindPose")) pose = ReadTransform(*given);
}

std::shared_ptr<SkinDescription> ReadSkin(const JsonPlace& entry,
                                          std::vector<NodeReference>& references) {
  auto skin = std::make_shared<SkinDescription>();
  JsonPlace bones = entry.Field("bones");
  std::size_t boneCount = bones.ExpectArray(0, SceneLimits::kMaxNodes);
  skin->bones.resize(boneCount);
  for (std::size_t i = 0; i < boneCount; ++i) {
    ReadPosedNode(bones.Element(i), &skin->bones[i].node, skin->bones[i].initTM, references);
  }
  if (auto pose = entry.OptionalField("bindPose")) skin->initTM = ReadTransform(*pose);
  if (auto points = entry.OptionalField("points")) {
    std::size_t count = points->ExpectArray(0, SceneLimits::kMaxSceneVertices);
    skin->points.resize(count);
    for (std::size_t p = 0; p < count; ++p) {
      JsonPlace influences = points->Element(p);
      std::size_t n = influences.ExpectArray(0, kMaxInfluences);
      for (std::size_t k = 0; k < n; ++k) {
        JsonPlace influence = influences.Element(k);
        influence.ExpectArray(2, 2);
        auto bone = static_cast<int>(
            influence.Element(0).Integer(-1, static_cast<long long>(boneCount) - 1));
        skin->points[p].push_back({bone, ReadWeight(influence.Element(1))});
      }
    }
  }
  return skin;
}

// "deformable", {"rigid": id} or {"blended": [[id, weight], ...]}; node slots are left for the
// caller to resolve once the list is complete.
PhysiqueDescription::Vertex ReadPhysiqueVertex(const JsonPlace& vertex) {
  PhysiqueDescription::Vertex result;
  if (vertex.IsString()) {
    if (vertex.String() != "deformable") {
      vertex.Fail(
          "expected \"deformable\", {\"rigid\": node} or {\"blended\": [[node, weight], ...]}");
    }
    result.type = kDeformableType;
    return result;
  }
  vertex.ExpectObject({"rigid", "blended"});
  if (vertex.OptionalField("rigid")) {
    if (vertex.OptionalField("blended")) vertex.Fail("a vertex is either \"rigid\" or \"blended\"");
    result.type = RIGID_TYPE;
    result.nodes.emplace_back(nullptr, 1.0f);
    return result;
  }
  JsonPlace blended = vertex.Field("blended");
  result.type = RIGID_BLENDED_TYPE;
  std::size_t n = blended.ExpectArray(0, kMaxInfluences);
  for (std::size_t k = 0; k < n; ++k) {
    JsonPlace pair = blended.Element(k);
    pair.ExpectArray(2, 2);
    if (!pair.Element(0).IsString()) pair.Element(0).Fail("expected the id of a node");
    result.nodes.emplace_back(nullptr, ReadWeight(pair.Element(1)));
  }
  return result;
}

std::shared_ptr<PhysiqueDescription> ReadPhysique(const JsonPlace& entry,
                                                  std::vector<NodeReference>& references) {
  auto physique = std::make_shared<PhysiqueDescription>();
  JsonPlace vertices = entry.Field("vertices");
  std::size_t count = vertices.ExpectArray(0, SceneLimits::kMaxSceneVertices);
  for (std::size_t i = 0; i < count; ++i)
    physique->vertices.push_back(ReadPhysiqueVertex(vertices.Element(i)));
  // The list is complete: its node slots keep their places from here on.
  for (std::size_t i = 0; i < count; ++i) {
    auto& nodes = physique->vertices[i].nodes;
    if (physique->vertices[i].type == RIGID_TYPE) {
      references.push_back({vertices.Element(i).Field("rigid"), &nodes[0].first});
    } else if (physique->vertices[i].type == RIGID_BLENDED_TYPE) {
      JsonPlace blended = vertices.Element(i).Field("blended");
      for (std::size_t k = 0; k < nodes.size(); ++k)
        references.push_back({blended.Element(k).Element(0), &nodes[k].first});
    }
  }
  if (auto poses = entry.OptionalField("bindPoses")) {
    std::size_t n = poses->ExpectArray(0, SceneLimits::kMaxNodes);
    physique->initTMs.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      JsonPlace pose = poses->Element(i);
      pose.ExpectObject({"node", "bindPose"});
      references.push_back({pose.Field("node"), &physique->initTMs[i].first});
      physique->initTMs[i].second = ReadTransform(pose.Field("bindPose"));
    }
  }
  return physique;
}

}  // namespace

void ReadSkinningData(const JsonPlace& entry, ModifierDescription& modifier,
                      std::vector<NodeReference>& references) {
  bool skinKeys = entry.OptionalField("bones") || entry.OptionalField("points") ||
                  entry.OptionalField("bindPose");
  bool physiqueKeys = entry.OptionalField("vertices") || entry.OptionalField("bindPoses");
  if (modifier.classId == kSkinModifierClass && skinKeys) {
    if (physiqueKeys)
      entry.Fail("\"vertices\" and \"bindPoses\" belong to a \"physique\" modifier");
    modifier.skin = ReadSkin(entry, references);
  } else if (modifier.classId == kPhysiqueModifierClass && physiqueKeys) {
    if (skinKeys)
      entry.Fail("\"bones\", \"points\" and \"bindPose\" belong to a \"skin\" modifier");
    modifier.physique = ReadPhysique(entry, references);
  } else if (skinKeys || physiqueKeys) {
    entry.Fail(skinKeys ? "\"bones\", \"points\" and \"bindPose\" belong to a \"skin\" modifier"
                        : "\"vertices\" and \"bindPoses\" belong to a \"physique\" modifier");
  }
}

PatchMesh ReadPatchMesh(const JsonPlace& object, GeometryBudget& budget) {
  PatchMesh patches;
  JsonPlace vertices = object.Field("vertices");
  JsonPlace list = object.Field("patches");
  std::size_t vertexCount = vertices.ExpectArray(0, SceneLimits::kMaxSceneVertices);
  std::size_t patchCount = list.ExpectArray(0, SceneLimits::kMaxSceneFaces);
  // What the tessellation will make: every patch adds at most its grid's points and triangles.
  constexpr std::size_t kPointsPerPatch = (kPatchSteps + 1) * (kPatchSteps + 1);
  constexpr std::size_t kTrianglesPerPatch = 2 * kPatchSteps * kPatchSteps;
  budget.Take(object, vertexCount + patchCount * kPointsPerPatch, patchCount * kTrianglesPerPatch);
  for (std::size_t i = 0; i < vertexCount; ++i)
    patches.verts.push_back({vertices.Element(i).Point()});
  for (std::size_t i = 0; i < patchCount; ++i) {
    JsonPlace entry = list.Element(i);
    std::size_t corners = entry.ExpectArray(3, 4);
    Patch patch;
    patch.type = corners == 4 ? PATCH_QUAD : PATCH_TRI;
    for (std::size_t k = 0; k < corners; ++k) {
      JsonPlace index = entry.Element(k);
      long long value = index.Integer(0, INT32_MAX);
      if (static_cast<std::size_t>(value) >= vertexCount) {
        index.Fail("vertex " + std::to_string(value) + " does not exist: the patch mesh has " +
                   std::to_string(vertexCount) + " vertices");
      }
      patch.v[k] = static_cast<int>(value);
    }
    patches.patches.push_back(patch);
  }
  return patches;
}

}  // namespace sim
