#include "ruv/mesh/skin_extraction.h"

#include <algorithm>
#include <memory>

#include "host/iskin.h"
#include "host/object.h"
#include "ruv/core/export_context.h"
#include "ruv/core/modifier_queries.h"
#include "ruv/core/progress.h"
#include "ruv/core/transforms.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/mesh/patch_skin.h"
#include "ruv/mesh/skin_remap.h"
#include "ruv/mesh/skin_weights.h"
#include "ruv/options/export_options.h"

namespace {

// What both readers share: the skin being filled, the node's bind pose and the way a bone's entry
// is made.
class RawSkinBuilder {
 public:
  RawSkinBuilder(ExportContext* context, XRenderableNode* node, const Matrix3& skinTM)
      : context_(context), node_(node), skinTM_(skinTM) {
    if (!node_->rawSkin) node_->rawSkin = std::make_shared<XSkinInfo>();
  }

  // The bone's entry, made on first use with the bind pose the modifier gives it.
  template <class BoneInitTM>
  XBoneInfo& Entry(INode* bone, bool& created, BoneInitTM&& boneInitTM) {
    auto found = node_->rawSkin->bones.find(bone);
    created = found == node_->rawSkin->bones.end();
    if (!created) return found->second;
    XBoneInfo& info = node_->rawSkin->bones[bone];
    auto exported = context_->nodeMap.find(bone);
    if (exported != context_->nodeMap.end()) info.name = exported->second->name;
    Matrix3 inverseBone = BindPoseInverse(RemoveMirror(boneInitTM()), info.flatBindPose);
    info.offsetMatrix = gExportOptions.WorldSpace ? inverseBone : skinTM_ * inverseBone;
    info.weights.resize(node_->objectPoints.size());
    return info;
  }

 private:
  ExportContext* context_;
  XRenderableNode* node_;
  Matrix3 skinTM_;
};

bool TopUpWanted() { return gExportOptions.SkinFix && gExportOptions.Precision != 0; }

void TopUp(XRenderableNode* node, int count) {
  if (TopUpWanted())
    FixSkinWeights(*node->rawSkin, count, static_cast<float>(gExportOptions.Precision) * 0.1f);
}

int ClampToPoints(const XRenderableNode* node, int count) {
  return std::min(count, static_cast<int>(node->objectPoints.size()));
}

}  // namespace

bool ReadSkinModifier(ExportContext* context, XRenderableNode* node, Modifier* modifier) {
  auto* skin = static_cast<ISkin*>(modifier->GetInterface(I_SKIN));
  if (!skin) return false;
  TimeValue time = context->animRange.Start();
  Matrix3 skinTM;
  // Without a bind pose the node's current transform stands in, as it does for its frame.
  if (!skin->GetSkinInitTM(node->hostNode, skinTM, false)) skinTM = node->hostNode->GetNodeTM(time);
  ISkinContextData* data = skin->GetContextInterface(node->hostNode);
  if (!data) return false;
  RawSkinBuilder builder(context, node, RemoveMirror(skinTM));
  int count = ClampToPoints(node, data->GetNumPoints());
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < data->GetNumAssignedBones(i); ++k) {
      float w = data->GetBoneWeight(i, k);
      int b = data->GetAssignedBone(i, k);
      INode* bone = b >= 0 ? skin->GetBone(b) : nullptr;
      if (!bone || !(w > 0.0f)) continue;
      bool created = false;
      XBoneInfo& info = builder.Entry(bone, created, [&] {
        Matrix3 boneTM;
        if (!skin->GetBoneInitTM(bone, boneTM, false)) boneTM = bone->GetNodeTM(time);
        return boneTM;
      });
      BoneWeight& weight = info.weights[static_cast<std::size_t>(i)];
      if (!created && weight.assigned) {
        weight.weight = std::min(1.0f, weight.weight + w);
      } else {
        weight = {w, 1};
      }
    }
  }
  TopUp(node, count);
  return true;
}

namespace {

void AddRigid(RawSkinBuilder& builder, INode* bone, int i, IPhysiqueExport* physique,
              TimeValue time) {
  bool created = false;
  XBoneInfo& info = builder.Entry(bone, created, [&] {
    Matrix3 boneTM;
    if (physique->GetInitNodeTM(bone, boneTM) != 0) boneTM = bone->GetNodeTM(time);
    return boneTM;
  });
  BoneWeight& weight = info.weights[static_cast<std::size_t>(i)];
  if (!weight.assigned) weight = {1.0f, 1};
}

void AddBlended(RawSkinBuilder& builder, INode* bone, int i, float w, IPhysiqueExport* physique,
                TimeValue time) {
  bool created = false;
  XBoneInfo& info = builder.Entry(bone, created, [&] {
    Matrix3 boneTM;
    if (physique->GetInitNodeTM(bone, boneTM) != 0) boneTM = bone->GetNodeTM(time);
    return boneTM;
  });
  BoneWeight& weight = info.weights[static_cast<std::size_t>(i)];
  if (weight.assigned) {
    weight.weight = weight.weight + w <= 1.0f ? weight.weight + w : 1.0f;
  } else {
    weight = {w, 1};
  }
}

}  // namespace

bool ReadPhysiqueModifier(ExportContext* context, XRenderableNode* node, Modifier* modifier) {
  auto* physique = static_cast<IPhysiqueExport*>(modifier->GetInterface(I_PHYINTERFACE));
  if (!physique) return false;
  IPhyContextExport* phyContext = physique->GetContextInterface(node->hostNode);
  if (!phyContext) return false;
  TimeValue time = context->animRange.Start();
  phyContext->ConvertToRigid(TRUE);
  phyContext->AllowBlending(TRUE);
  int count = phyContext->GetNumberVertices();
  Matrix3 skinTM;
  if (physique->GetInitNodeTM(node->hostNode, skinTM) != 0)
    skinTM = node->hostNode->GetNodeTM(time);
  RawSkinBuilder builder(context, node, RemoveMirror(skinTM));
  count = ClampToPoints(node, count);
  // A weight of 0 is recorded when the top-up will share out what the point lacks.
  bool keepZero = TopUpWanted();
  for (int i = 0; i < count; ++i) {
    IPhyVertexExport* vertex = phyContext->GetVertexInterface(i);
    if (!vertex) continue;
    int type = vertex->GetVertexType();
    if (type == RIGID_TYPE) {
      INode* bone = static_cast<IPhyRigidVertex*>(vertex)->GetNode();
      if (bone) AddRigid(builder, bone, i, physique, time);
    } else if (type == RIGID_BLENDED_TYPE) {
      auto* blended = static_cast<IPhyBlendedRigidVertex*>(vertex);
      for (int k = 0; k < blended->GetNumberNodes(); ++k) {
        float w = blended->GetWeight(k);
        INode* bone = blended->GetNode(k);
        if ((w > 0.0f || keepZero) && bone) AddBlended(builder, bone, i, w, physique, time);
      }
    }
    phyContext->ReleaseVertexInterface(vertex);
  }
  physique->ReleaseContextInterface(phyContext);
  TopUp(node, count);
  return true;
}

void BuildSkinHeader(ExportContext* context, XRenderableNode* node) {
  XSkinInfo& skin = *node->skin;
  const XMeshData& data = *node->meshData;
  // The bones assigned at each position, so that a face costs only what its corners carry.
  std::vector<std::vector<int>> bonesAt(static_cast<std::size_t>(data.positionCount));
  int boneNumber = 0;
  for (auto& [bone, info] : skin.bones) {
    std::size_t limit = std::min(info.weights.size(), bonesAt.size());
    for (std::size_t q = 0; q < limit; ++q) {
      if (info.weights[q].assigned) bonesAt[q].push_back(boneNumber);
    }
    ++boneNumber;
  }
  std::size_t perVertex = 0, perFace = 0;
  std::vector<int> distinct;
  for (const XFace& face : data.faces) {
    ProgressStep(context);
    distinct.clear();
    for (std::int32_t v : face.vertex) {
      const auto& assigned = bonesAt[static_cast<std::size_t>(
          data.vertices[static_cast<std::size_t>(v)].positionIndex)];
      perVertex = std::max(perVertex, assigned.size());
      distinct.insert(distinct.end(), assigned.begin(), assigned.end());
    }
    std::sort(distinct.begin(), distinct.end());
    perFace = std::max(
        perFace,
        static_cast<std::size_t>(std::unique(distinct.begin(), distinct.end()) - distinct.begin()));
  }
  auto word = [](std::size_t n) {
    return static_cast<std::uint16_t>(std::min<std::size_t>(n, 0xFFFF));
  };
  skin.header[0] = word(perVertex);
  skin.header[1] = word(perFace);
  skin.header[2] = word(skin.bones.size());
}

void ExtractSkin(ExportContext* context, XRenderableNode* node) {
  if (!gExportOptions.Skin) return;
  if (Modifier* skin = FindSkinModifier(node->hostNode)) {
    node->rawSkin = std::make_shared<XSkinInfo>();
    node->hasSkin = ReadSkinModifier(context, node, skin);
  } else if (Modifier* physique = FindPhysiqueModifier(node->hostNode)) {
    node->rawSkin = std::make_shared<XSkinInfo>();
    node->hasSkin = ReadPhysiqueModifier(context, node, physique);
  } else {
    return;
  }
  if (node->hasSkin) {
    if (node->pointOrderDiffers) {
      node->hasSkin = node->kind == KindPatch ? RemapSkinToPatchMesh(context, node)
                                              : RemapSkinToMesh(context, node);
    } else {
      node->skin = node->rawSkin;
    }
  }
  if (node->hasSkin) BuildSkinHeader(context, node);
}

namespace {

Point3 Unit(const Point3& p) {
  float length = Length(p);
  return length > 0.0f ? p / length : Point3(0, 0, 0);
}

// The longest of the three cross products of a, b and c, taken pairwise.
Point3 LongestCross(const Point3& a, const Point3& b, const Point3& c) {
  Point3 best = CrossProd(a, b);
  for (const Point3& candidate : {CrossProd(b, c), CrossProd(c, a)}) {
    if (Length(candidate) > Length(best)) best = candidate;
  }
  return best;
}

}  // namespace

Matrix3 BindPoseInverse(const Matrix3& pose, bool& flat) {
  flat = pose.Determinant() == 0.0f;
  if (!flat) return Inverse(pose);
  // The plane the rows span, and the direction the pose sends to nothing (u · M = 0): M + u^T n
  // sends u to the plane's normal n and every direction across u where M does.
  Point3 normal = Unit(LongestCross(pose[0], pose[1], pose[2]));
  Point3 columns[3];
  for (int j = 0; j < 3; ++j) columns[j] = Point3(pose[0][j], pose[1][j], pose[2][j]);
  Point3 lost = Unit(LongestCross(columns[0], columns[1], columns[2]));
  // A pose flat on more than one axis keeps no plane: nothing to put back.
  if (Length(normal) == 0.0f || Length(lost) == 0.0f) return Inverse(pose);
  Matrix3 repaired = pose;
  for (int i = 0; i < 3; ++i) repaired[i] = pose[i] + normal * lost[i];
  // Put back the way that keeps the pose unmirrored.
  if (repaired.Determinant() < 0.0f) {
    for (int i = 0; i < 3; ++i) repaired[i] = pose[i] - normal * lost[i];
  }
  return Inverse(repaired);
}
