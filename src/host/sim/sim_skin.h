// The Skin and Physique modifiers' interfaces in the in-memory host, answering from a scene's
// description once its bones are resolved to nodes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "host/iskin.h"
#include "host/sim/skin_description.h"

namespace sim {

// Turns a builder's node into the node built from it (null when it was not built).
using NodeResolver = std::function<INode*(const NodeBuilder*)>;

class SimSkin : public ISkin, public ISkinContextData {
 public:
  SimSkin(const SkinDescription& description, const NodeResolver& resolve);

  // ISkin. The scene does not move, so a transform not given is the node's at time 0.
  int GetSkinInitTM(INode* node, Matrix3& transform, bool objectOffset = false) override;
  int GetBoneInitTM(INode* node, Matrix3& transform, bool objectOffset = false) override;
  int GetNumBones() override { return static_cast<int>(bones_.size()); }
  INode* GetBone(int index) override;
  // The modifier deforms the one node it sits on, so any node gets the same data.
  ISkinContextData* GetContextInterface(INode* node) override;

  // ISkinContextData
  int GetNumPoints() override { return static_cast<int>(description_.points.size()); }
  int GetNumAssignedBones(int point) override;
  int GetAssignedBone(int point, int k) override;
  float GetBoneWeight(int point, int k) override;

 private:
  const SkinInfluence* Influence(int point, int k) const;

  SkinDescription description_;
  std::vector<INode*> bones_;
};

class SimPhysique : public IPhysiqueExport, public IPhyContextExport {
 public:
  SimPhysique(const PhysiqueDescription& description, const NodeResolver& resolve);
  ~SimPhysique() override;

  // IPhysiqueExport
  int GetInitNodeTM(INode* node, Matrix3& transform) override;
  IPhyContextExport* GetContextInterface(INode* node) override;
  void ReleaseContextInterface(IPhyContextExport*) override {}

  // IPhyContextExport. Vertices are rigid already; the switches are kept for what they say.
  void ConvertToRigid(BOOL flag) override { convertToRigid_ = flag; }
  void AllowBlending(BOOL flag) override { allowBlending_ = flag; }
  int GetNumberVertices() override { return static_cast<int>(vertices_.size()); }
  IPhyVertexExport* GetVertexInterface(int index) override;
  void ReleaseVertexInterface(IPhyVertexExport* vertex) override;

  // How many vertex records are handed out and not yet released.
  int OutstandingVertices() const { return outstanding_; }

 private:
  struct ResolvedVertex {
    int type;
    std::vector<std::pair<INode*, float>> nodes;
  };
  std::vector<ResolvedVertex> vertices_;
  std::vector<std::pair<INode*, Matrix3>> initTMs_;
  BOOL convertToRigid_ = FALSE;
  BOOL allowBlending_ = FALSE;
  int outstanding_ = 0;
};

}  // namespace sim
