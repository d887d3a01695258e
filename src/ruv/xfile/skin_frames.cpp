#include "ruv/xfile/skin_frames.h"

#include <cmath>
#include <unordered_set>

#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/xfile/frame_record.h"
#include "xof/save_object.h"

namespace {

// Within Irrlicht's 1e-6 of the identity in every element once read back, from the binary floats
// or from the text encoding's six decimals.
bool ReadAsIdentity(const Matrix3& hostMatrix) {
  MatrixRecord m = MatrixLayout(ConvertTransform(hostMatrix));
  for (int i = 0; i < 16; ++i) {
    if (std::fabs(m[i] - (i % 5 == 0 ? 1.0f : 0.0f)) > 1.5e-6f) return false;
  }
  return true;
}

// Half a turn about Y: x and z change sign, exactly, both ways.
constexpr int kTurnedColumns[] = {0, 2};

MatrixRecord SkinFrameMatrix() {
  MatrixRecord m = MatrixLayout(Matrix3());
  for (int column : kTurnedColumns) m[column * 5] = -1.0f;
  return m;
}

// offset * turn^-1: the offset's x and z columns change sign (no -0 written for a 0).
MatrixRecord TurnedBack(MatrixRecord offset) {
  for (int row = 0; row < 4; ++row) {
    for (int column : kTurnedColumns) {
      float& value = offset[row * 4 + column];
      value = value == 0.0f ? 0.0f : -value;
    }
  }
  return offset;
}

bool WritesSkin(XNode* node) {
  XRenderableNode* renderable = AsRenderable(node);
  return renderable && renderable->hasSkin && renderable->skin && IsMeshNode(*renderable);
}

}  // namespace

bool NeedsSkinFrame(const Matrix3& offset, const Matrix3& boneRest) {
  return ReadAsIdentity(offset) && !ReadAsIdentity(boneRest);
}

void PlanSkinFrames(ExportContext* context) {
  std::unordered_set<std::wstring> taken{context->rootFrameName};
  for (const auto& [host, node] : context->nodeMap) taken.insert(node->name);
  for (XNode* node : context->processedNodes) {
    if (!WritesSkin(node)) continue;
    for (const auto& [bone, info] : AsRenderable(node)->skin->bones) {
      auto found = context->nodeMap.find(bone);
      if (found == context->nodeMap.end()) continue;
      XNode& boneNode = *found->second;
      if (!boneNode.processed || !boneNode.skinFrameName.empty() ||
          !NeedsSkinFrame(info.offsetMatrix, boneNode.nodeTM)) {
        continue;
      }
      // Well inside the 255 characters a name may have, with room for the suffix.
      std::wstring name = boneNode.name.substr(0, 200) + L"_Skin";
      while (!taken.insert(name).second) name += L'_';
      boneNode.skinFrameName = name;
    }
  }
}

SkinBoneRecord SkinBone(const std::wstring& boneName, const Matrix3& offset, const XNode* bone) {
  MatrixRecord record = MatrixLayout(ConvertTransform(offset));
  if (bone && !bone->skinFrameName.empty() && NeedsSkinFrame(offset, bone->nodeTM))
    return {bone->skinFrameName, TurnedBack(record)};
  return {boneName, record};
}

void WriteSkinFrame(ExportContext* context, xof::SaveData* boneFrame, const XNode& bone) {
  if (!boneFrame || bone.skinFrameName.empty()) return;
  MatrixRecord turn = SkinFrameMatrix();
  if (xof::SaveData* frame = AddFrameRecord(context, boneFrame, bone.skinFrameName, turn.data()))
    frame->Release();
}
