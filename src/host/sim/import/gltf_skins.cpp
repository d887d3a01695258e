// glTF skins into the neutral model: the joints and weights of each primitive (every JOINTS_n and
// WEIGHTS_n set, weights of 0 left out), and per skin its joints and inverse bind matrices, each
// index checked against the file and against the skin of every node that uses the mesh.
#include <algorithm>
#include <cmath>

#include "host/sim/import/gltf_reader.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

const tinygltf::Accessor& CheckedAccessor(const GltfContext& c, int index,
                                          const std::string& place) {
  c.accessors.Count(index, place);  // refuses an accessor that does not exist
  return c.document.accessors[static_cast<std::size_t>(index)];
}

// The joints of one set: unsigned bytes or shorts, four per vertex.
std::vector<float> JointSet(const GltfContext& c, int index, const std::string& place) {
  const tinygltf::Accessor& a = CheckedAccessor(c, index, place);
  if (a.type != TINYGLTF_TYPE_VEC4 || a.normalized ||
      (a.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
       a.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)) {
    c.accessors.Fail(place,
                     "accessor " + std::to_string(index) +
                         " cannot hold joints: it must be a VEC4 of unsigned bytes or shorts");
  }
  return c.accessors.Floats(index, 4, place);
}

// The weights of one set: floats, or normalised unsigned bytes or shorts, four per vertex.
std::vector<float> WeightSet(const GltfContext& c, int index, const std::string& place) {
  const tinygltf::Accessor& a = CheckedAccessor(c, index, place);
  bool integer = a.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
                 a.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
  if (a.type != TINYGLTF_TYPE_VEC4 ||
      !(a.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT || (integer && a.normalized))) {
    c.accessors.Fail(place, "accessor " + std::to_string(index) +
                                " cannot hold weights: it must be a VEC4 of floats or of "
                                "normalised unsigned bytes or shorts");
  }
  return c.accessors.Floats(index, 4, place);
}

// glTF's column-major matrix as the host's row-vector matrix.
Matrix3 FromColumns(const float* m) {
  auto column = [m](int k) { return Point3(m[k * 4], m[k * 4 + 1], m[k * 4 + 2]); };
  return Matrix3(column(0), column(1), column(2), column(3));
}

double Determinant(const Matrix3& m) {
  auto e = [&m](int row, int col) { return static_cast<double>(m[row][col]); };
  return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
         e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
         e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

// The skin's joints as model nodes, and their inverse bind matrices; false (with a warning) when a
// joint lies outside the imported scene, so that no bone can stand for it.
bool ReadSkin(GltfContext& c, std::size_t s, const std::vector<int>& modelIndex,
              ImportedSkin& skin) {
  const tinygltf::Skin& source = c.document.skins[s];
  std::string place = Pointer("skins", s);
  for (std::size_t k = 0; k < source.joints.size(); ++k) {
    int joint = source.joints[k];
    if (joint < 0 || static_cast<std::size_t>(joint) >= modelIndex.size()) {
      c.accessors.Fail(place + Pointer("joints", k),
                       "joint node " + std::to_string(joint) + " does not exist");
    }
    int node = modelIndex[static_cast<std::size_t>(joint)];
    if (node < 0) {
      c.model.warnings.push_back("skin " + std::to_string(s) + " is dropped: its joint node " +
                                 std::to_string(joint) + " lies outside the scene");
      return false;
    }
    skin.joints.push_back(node);
  }
  skin.inverseBindMatrices.assign(source.joints.size(), Matrix3());
  if (source.inverseBindMatrices < 0) return true;
  std::string at = place + "/inverseBindMatrices";
  std::vector<float> values = c.accessors.Floats(source.inverseBindMatrices, 16, at);
  if (values.size() / 16 < source.joints.size()) {
    c.accessors.Fail(at, "accessor " + std::to_string(source.inverseBindMatrices) + " holds " +
                             std::to_string(values.size() / 16) + " matrices for " +
                             std::to_string(source.joints.size()) + " joints");
  }
  for (std::size_t k = 0; k < source.joints.size(); ++k) {
    Matrix3 m = FromColumns(values.data() + 16 * k);
    if (!(std::fabs(Determinant(m)) > 1e-12)) {
      c.accessors.Fail(
          at, "the inverse bind matrix of joint " + std::to_string(k) + " cannot be inverted");
    }
    skin.inverseBindMatrices[k] = m;
  }
  return true;
}

}  // namespace

void ReadGltfInfluences(const GltfContext& c, const tinygltf::Primitive& primitive,
                        const std::string& place, ImportedMeshPart& part,
                        const std::function<void(const std::string&)>& warn) {
  const std::size_t count = part.positions.size();
  std::vector<std::vector<float>> joints, weights;
  for (int set = 0;; ++set) {
    std::string suffix = std::to_string(set);
    auto j = primitive.attributes.find("JOINTS_" + suffix);
    auto w = primitive.attributes.find("WEIGHTS_" + suffix);
    if (j == primitive.attributes.end() && w == primitive.attributes.end()) break;
    if (j == primitive.attributes.end() || w == primitive.attributes.end()) {
      warn("a JOINTS_n or WEIGHTS_n set without its partner is dropped (" + place + ")");
      continue;
    }
    std::string jointPlace = place + "/attributes/JOINTS_" + suffix;
    std::string weightPlace = place + "/attributes/WEIGHTS_" + suffix;
    joints.push_back(JointSet(c, j->second, jointPlace));
    weights.push_back(WeightSet(c, w->second, weightPlace));
    for (const auto& [values, at] :
         {std::pair{&joints.back(), &jointPlace}, std::pair{&weights.back(), &weightPlace}}) {
      if (values->size() != 4 * count) {
        c.accessors.Fail(*at, "the accessor holds " + std::to_string(values->size() / 4) +
                                  " elements for " + std::to_string(count) + " positions");
      }
    }
    if (part.influencePlace.empty()) part.influencePlace = jointPlace;
  }
  if (joints.empty()) return;
  bool negative = false;
  part.influenceStarts.reserve(count + 1);
  for (std::size_t v = 0; v < count; ++v) {
    part.influenceStarts.push_back(static_cast<std::uint32_t>(part.influences.size()));
    for (std::size_t s = 0; s < joints.size(); ++s) {
      for (std::size_t k = 4 * v; k < 4 * v + 4; ++k) {
        float weight = weights[s][k];
        negative = negative || weight < 0.0f;
        if (!(weight > 0.0f)) continue;
        int joint = static_cast<int>(joints[s][k]);
        part.largestJoint = std::max(part.largestJoint, joint);
        part.influences.push_back({joint, weight});
      }
    }
  }
  part.influenceStarts.push_back(static_cast<std::uint32_t>(part.influences.size()));
  if (negative) warn("negative skin weights are dropped (" + place + ")");
}

void ReadGltfSkins(GltfContext& c, const std::vector<int>& sourceOfNode) {
  std::vector<int> modelIndex = ModelIndexOfNodes(c, sourceOfNode);
  const std::size_t skinCount = c.document.skins.size();
  std::vector<bool> usable(skinCount, false);
  c.model.skins.resize(skinCount);
  for (std::size_t s = 0; s < skinCount; ++s)
    usable[s] = ReadSkin(c, s, modelIndex, c.model.skins[s]);
  for (std::size_t n = 0; n < c.model.nodes.size(); ++n) {
    ImportedNode& node = c.model.nodes[n];
    const std::size_t source = static_cast<std::size_t>(sourceOfNode[n]);
    int s = c.document.nodes[source].skin;
    bool weighted = false;
    for (int index : node.parts)
      weighted = weighted || !c.model.parts[static_cast<std::size_t>(index)].influences.empty();
    if (s < 0) {
      if (weighted) {
        c.model.warnings.push_back("the skin weights of node " + platform::WideToUtf8(node.name) +
                                   " are dropped: the node has no skin");
      }
      continue;
    }
    if (static_cast<std::size_t>(s) >= skinCount) {
      c.accessors.Fail(Pointer("nodes", source) + "/skin",
                       "skin " + std::to_string(s) + " does not exist");
    }
    if (!usable[static_cast<std::size_t>(s)]) continue;
    if (node.parts.empty()) {
      c.model.warnings.push_back("the skin of node " + platform::WideToUtf8(node.name) +
                                 " is dropped: the node has no mesh");
      continue;
    }
    const std::size_t joints = c.model.skins[static_cast<std::size_t>(s)].joints.size();
    for (int index : node.parts) {
      const ImportedMeshPart& part = c.model.parts[static_cast<std::size_t>(index)];
      if (part.largestJoint >= 0 && static_cast<std::size_t>(part.largestJoint) >= joints) {
        c.accessors.Fail(part.influencePlace, "joint " + std::to_string(part.largestJoint) +
                                                  " does not exist: skin " + std::to_string(s) +
                                                  " of node " + platform::WideToUtf8(node.name) +
                                                  " has " + std::to_string(joints) + " joints");
      }
    }
    node.skin = s;
  }
}

}  // namespace sim::import
