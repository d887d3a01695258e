// The skinning interfaces the exporter asks modifiers for: the Skin modifier's skin interface with
// its per-node context data, and the Physique modifier's export interface with its per-node
// context and per-vertex records.
#pragma once

#include "host/class_id.h"
#include "host/inode.h"
#include "host/matrix3.h"

// Interface number of the Skin modifier's skin interface.
constexpr DWORD I_SKIN = 0x00010000;
// Interface number of the Physique modifier's export interface.
constexpr DWORD I_PHYINTERFACE = 0x00100100;

constexpr Class_ID SKIN_CLASSID(0x0095C723, 0x00015666);
constexpr Class_ID PHYSIQUE_CLASSID(0x00000100, 0x00000000);

// The influences of one skinned node: per point, the bones assigned to it and their weights.
class ISkinContextData {
 public:
  virtual ~ISkinContextData() = default;
  virtual int GetNumPoints() = 0;
  virtual int GetNumAssignedBones(int point) = 0;
  // The skin's index of the bone of influence `k` on `point`; below 0 for none.
  virtual int GetAssignedBone(int point, int k) = 0;
  virtual float GetBoneWeight(int point, int k) = 0;
};

class ISkin {
 public:
  virtual ~ISkin() = default;
  // The transform of `node` when the skin was bound; with `objectOffset`, that of its object.
  // Returns non-zero when the skin holds one.
  virtual int GetSkinInitTM(INode* node, Matrix3& transform, bool objectOffset = false) = 0;
  // The transform of bone `node` when the skin was bound; non-zero on success.
  virtual int GetBoneInitTM(INode* node, Matrix3& transform, bool objectOffset = false) = 0;
  virtual int GetNumBones() = 0;
  // The host node of bone `index`; null for an index without a node.
  virtual INode* GetBone(int index) = 0;
  // The influences the skin holds for `node`; null when it does not deform that node.
  virtual ISkinContextData* GetContextInterface(INode* node) = 0;
};

// Kinds of Physique vertices; rigid vertices follow bones without deformation.
constexpr int RIGID_TYPE = 1;
constexpr int RIGID_BLENDED_TYPE = 5;

class IPhyVertexExport {
 public:
  virtual ~IPhyVertexExport() = default;
  virtual int GetVertexType() = 0;
};

// A rigid vertex follows one bone.
class IPhyRigidVertex : public IPhyVertexExport {
 public:
  virtual INode* GetNode() = 0;
};

// A blended rigid vertex follows several bones, each with a weight.
class IPhyBlendedRigidVertex : public IPhyVertexExport {
 public:
  virtual int GetNumberNodes() = 0;
  virtual INode* GetNode(int k) = 0;
  virtual float GetWeight(int k) = 0;
};

// Physique's view of one node, giving out one record per vertex.
class IPhyContextExport {
 public:
  virtual ~IPhyContextExport() = default;
  // Report deformable vertices as rigid ones.
  virtual void ConvertToRigid(BOOL flag) = 0;
  // Report vertices that several bones move as blended ones.
  virtual void AllowBlending(BOOL flag) = 0;
  virtual int GetNumberVertices() = 0;
  // The record of vertex `index`, or null; handed back with ReleaseVertexInterface.
  virtual IPhyVertexExport* GetVertexInterface(int index) = 0;
  virtual void ReleaseVertexInterface(IPhyVertexExport* vertex) = 0;
};

class IPhysiqueExport {
 public:
  virtual ~IPhysiqueExport() = default;
  // The transform of `node` (the skinned node or a bone) when Physique was attached; returns 0 on
  // success.
  virtual int GetInitNodeTM(INode* node, Matrix3& transform) = 0;
  // Physique's view of `node`, or null; handed back with ReleaseContextInterface.
  virtual IPhyContextExport* GetContextInterface(INode* node) = 0;
  virtual void ReleaseContextInterface(IPhyContextExport* context) = 0;
};
