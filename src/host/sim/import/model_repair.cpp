#include "host/sim/import/model_repair.h"

#include <string>
#include <vector>

#include "platform/text_encoding.h"

namespace sim::import {

namespace {

// How many nodes use each part.
std::vector<int> PartUsers(const ImportedModel& model) {
  std::vector<int> users(model.parts.size(), 0);
  for (const ImportedNode& node : model.nodes) {
    for (int part : node.parts) ++users[static_cast<std::size_t>(part)];
  }
  return users;
}

// The one joint of `node`'s skin that weights its mesh, when that joint is the node itself; -1
// otherwise (no weights, or another joint among them).
int OwnOnlyJoint(const ImportedModel& model, std::size_t node) {
  const ImportedSkin& skin = model.skins[static_cast<std::size_t>(model.nodes[node].skin)];
  int only = -1;
  for (int index : model.nodes[node].parts) {
    for (const ImportedInfluence& influence :
         model.parts[static_cast<std::size_t>(index)].influences) {
      auto joint = static_cast<std::size_t>(influence.joint);
      if (joint >= skin.joints.size() || skin.joints[joint] != static_cast<int>(node)) return -1;
      if (only >= 0 && only != influence.joint) return -1;
      only = influence.joint;
    }
  }
  return only;
}

// A skinned vertex moves by v · IBM · J(t); with J the node's own world transform W(t), the rigid
// vertex v · IBM moves by W(t) alike. Normals go through the inverse transpose.
void FoldSelfSkins(ImportedModel& model, std::vector<int>& users) {
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    if (model.nodes[n].skin < 0) continue;
    int joint = OwnOnlyJoint(model, n);
    if (joint < 0) continue;
    const ImportedSkin& skin = model.skins[static_cast<std::size_t>(model.nodes[n].skin)];
    const Matrix3 bind = skin.inverseBindMatrices[static_cast<std::size_t>(joint)];
    const Matrix3 inverse = Inverse(bind);
    for (int& index : model.nodes[n].parts) {
      // Another node keeps the part as it was.
      if (users[static_cast<std::size_t>(index)] > 1) {
        --users[static_cast<std::size_t>(index)];
        ImportedMeshPart copy = model.parts[static_cast<std::size_t>(index)];
        index = static_cast<int>(model.parts.size());
        model.parts.push_back(std::move(copy));
        users.push_back(1);
      }
      ImportedMeshPart& part = model.parts[static_cast<std::size_t>(index)];
      for (Point3& position : part.positions) position = position * bind;
      for (Point3& normal : part.normals) {
        if (IsAbsentNormal(normal)) continue;
        normal = Normalize(Point3(DotProd(normal, inverse[0]), DotProd(normal, inverse[1]),
                                  DotProd(normal, inverse[2])));
      }
      part.influences.clear();
      part.influenceStarts.clear();
      part.largestJoint = -1;
    }
    model.nodes[n].skin = -1;
    model.warnings.push_back("mesh \"" + platform::WideToUtf8(model.nodes[n].name) +
                             "\" is skinned to its own node alone: it is kept as a rigid mesh");
  }
}

void ScaleHeavyWeights(ImportedModel& model) {
  std::size_t scaled = 0;
  for (ImportedMeshPart& part : model.parts) {
    if (part.influenceStarts.empty()) continue;
    for (std::size_t v = 0; v + 1 < part.influenceStarts.size(); ++v) {
      float sum = 0.0f;
      for (std::uint32_t i = part.influenceStarts[v]; i < part.influenceStarts[v + 1]; ++i) {
        sum += part.influences[i].weight;
      }
      if (!(sum > 1.0f + kWeightSumTolerance)) continue;
      for (std::uint32_t i = part.influenceStarts[v]; i < part.influenceStarts[v + 1]; ++i) {
        part.influences[i].weight /= sum;
      }
      ++scaled;
    }
  }
  if (scaled > 0) {
    model.warnings.push_back(std::to_string(scaled) +
                             (scaled == 1 ? " vertex has" : " vertices have") +
                             " skin weights that sum above 1: they are scaled to sum 1");
  }
}

void CountAbsentNormals(ImportedModel& model, const std::vector<int>& users) {
  std::size_t absent = 0;
  for (std::size_t p = 0; p < model.parts.size(); ++p) {
    if (users[p] == 0) continue;
    for (const Point3& normal : model.parts[p].normals) absent += IsAbsentNormal(normal) ? 1 : 0;
  }
  if (absent > 0) {
    model.warnings.push_back(std::to_string(absent) +
                             (absent == 1 ? " normal has" : " normals have") +
                             " zero length: the exporter computes those corners' normals from the "
                             "faces");
  }
}

}  // namespace

void RepairModel(ImportedModel& model) {
  std::vector<int> users = PartUsers(model);
  FoldSelfSkins(model, users);
  ScaleHeavyWeights(model);
  CountAbsentNormals(model, users);
}

}  // namespace sim::import
