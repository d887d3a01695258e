#include "host/sim/sim_skin.h"

namespace sim {

namespace {

class RigidVertex : public IPhyRigidVertex {
 public:
  explicit RigidVertex(INode* node) : node_(node) {}
  int GetVertexType() override { return RIGID_TYPE; }
  INode* GetNode() override { return node_; }

 private:
  INode* node_;
};

class BlendedVertex : public IPhyBlendedRigidVertex {
 public:
  explicit BlendedVertex(const std::vector<std::pair<INode*, float>>& nodes) : nodes_(nodes) {}
  int GetVertexType() override { return RIGID_BLENDED_TYPE; }
  int GetNumberNodes() override { return static_cast<int>(nodes_.size()); }
  INode* GetNode(int k) override {
    return InRange(k) ? nodes_[static_cast<std::size_t>(k)].first : nullptr;
  }
  float GetWeight(int k) override {
    return InRange(k) ? nodes_[static_cast<std::size_t>(k)].second : 0.0f;
  }

 private:
  bool InRange(int k) const { return k >= 0 && static_cast<std::size_t>(k) < nodes_.size(); }
  const std::vector<std::pair<INode*, float>>& nodes_;
};

// A vertex of a kind the exporter does not read (deformable, floating).
class OtherVertex : public IPhyVertexExport {
 public:
  explicit OtherVertex(int type) : type_(type) {}
  int GetVertexType() override { return type_; }

 private:
  int type_;
};

}  // namespace

SimSkin::SimSkin(const SkinDescription& description, const NodeResolver& resolve)
    : description_(description) {
  for (const SkinDescription::Bone& bone : description_.bones) bones_.push_back(resolve(bone.node));
}

int SimSkin::GetSkinInitTM(INode* node, Matrix3& transform, bool objectOffset) {
  if (!node || description_.noInitTM) return 0;
  Matrix3 nodeTM = description_.initTM ? *description_.initTM : node->GetNodeTM(0);
  // The object offset is what separates the object's transform from the node's.
  transform = objectOffset ? node->GetObjectTM(0) * Inverse(node->GetNodeTM(0)) * nodeTM : nodeTM;
  return 1;
}

int SimSkin::GetBoneInitTM(INode* node, Matrix3& transform, bool objectOffset) {
  if (!node) return 0;
  for (std::size_t i = 0; i < bones_.size(); ++i) {
    if (bones_[i] != node) continue;
    const auto& given = description_.bones[i].initTM;
    Matrix3 nodeTM = given ? *given : node->GetNodeTM(0);
    transform = objectOffset ? node->GetObjectTM(0) * Inverse(node->GetNodeTM(0)) * nodeTM : nodeTM;
    return 1;
  }
  return 0;
}

INode* SimSkin::GetBone(int index) {
  return index >= 0 && index < GetNumBones() ? bones_[static_cast<std::size_t>(index)] : nullptr;
}

ISkinContextData* SimSkin::GetContextInterface(INode* node) { return node ? this : nullptr; }

const SkinInfluence* SimSkin::Influence(int point, int k) const {
  if (point < 0 || point >= static_cast<int>(description_.points.size())) return nullptr;
  const auto& influences = description_.points[static_cast<std::size_t>(point)];
  return k >= 0 && k < static_cast<int>(influences.size())
             ? &influences[static_cast<std::size_t>(k)]
             : nullptr;
}

int SimSkin::GetNumAssignedBones(int point) {
  if (point < 0 || point >= GetNumPoints()) return 0;
  return static_cast<int>(description_.points[static_cast<std::size_t>(point)].size());
}

int SimSkin::GetAssignedBone(int point, int k) {
  const SkinInfluence* influence = Influence(point, k);
  return influence ? influence->bone : -1;
}

float SimSkin::GetBoneWeight(int point, int k) {
  const SkinInfluence* influence = Influence(point, k);
  return influence ? influence->weight : 0.0f;
}

SimPhysique::SimPhysique(const PhysiqueDescription& description, const NodeResolver& resolve) {
  for (const PhysiqueDescription::Vertex& vertex : description.vertices) {
    ResolvedVertex resolved{vertex.type, {}};
    for (const auto& [node, weight] : vertex.nodes)
      resolved.nodes.emplace_back(resolve(node), weight);
    vertices_.push_back(std::move(resolved));
  }
  for (const auto& [node, transform] : description.initTMs)
    initTMs_.emplace_back(resolve(node), transform);
}

SimPhysique::~SimPhysique() = default;

int SimPhysique::GetInitNodeTM(INode* node, Matrix3& transform) {
  if (!node) return 1;
  for (const auto& [known, initTM] : initTMs_) {
    if (known == node) {
      transform = initTM;
      return 0;
    }
  }
  transform = node->GetNodeTM(0);
  return 0;
}

IPhyContextExport* SimPhysique::GetContextInterface(INode* node) { return node ? this : nullptr; }

IPhyVertexExport* SimPhysique::GetVertexInterface(int index) {
  if (index < 0 || index >= GetNumberVertices()) return nullptr;
  const ResolvedVertex& vertex = vertices_[static_cast<std::size_t>(index)];
  ++outstanding_;
  if (vertex.type == RIGID_TYPE)
    return new RigidVertex(vertex.nodes.empty() ? nullptr : vertex.nodes[0].first);
  if (vertex.type == RIGID_BLENDED_TYPE) return new BlendedVertex(vertex.nodes);
  return new OtherVertex(vertex.type);
}

void SimPhysique::ReleaseVertexInterface(IPhyVertexExport* vertex) {
  if (!vertex) return;
  --outstanding_;
  delete vertex;
}

}  // namespace sim
