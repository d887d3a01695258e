#include "ruv/xfile/animation_writer.h"

#include <set>

#include "platform/text_encoding.h"
#include "ruv/core/export_context.h"
#include "ruv/core/names.h"
#include "ruv/core/progress.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"
#include "ruv/xfile/record_layout.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"

namespace {

// AnimationKey key types.
constexpr std::uint32_t kRotationKeyType = 0;
constexpr std::uint32_t kScaleKeyType = 1;
constexpr std::uint32_t kPositionKeyType = 2;
constexpr std::uint32_t kMatrixKeyType = 4;

// The save object takes the block over: the keys are never held twice as records.
void AddKeyRecord(xof::SaveData* animation, const char* name, RecordBuffer& data) {
  xof::SaveData* record = nullptr;
  if (xof::Succeeded(
          animation->AddDataObject(xof::tid::AnimationKey, name, nullptr, data.Take(), &record))) {
    record->Release();
  }
}

// An AnimationKey block of `count` keys of `values` floats each, reserved at its size.
RecordBuffer KeyBlock(std::uint32_t keyType, std::size_t count, std::size_t values) {
  RecordBuffer data;
  data.Reserve(8 + count * (8 + 4 * values));
  data.Dword(keyType);
  data.Dword(static_cast<std::uint32_t>(count));
  return data;
}

void WriteVectorKeys(ExportContext* context, xof::SaveData* animation, const char* name,
                     std::uint32_t keyType, const std::vector<VectorKey>& keys) {
  RecordBuffer data = KeyBlock(keyType, keys.size(), 3);
  for (const VectorKey& key : keys) {
    data.Dword(static_cast<std::uint32_t>(key.time));
    data.Dword(3);
    data.Float(key.value.x);
    data.Float(key.value.y);
    data.Float(key.value.z);
    ProgressStep(context);
  }
  AddKeyRecord(animation, name, data);
}

void WriteRotationKeys(ExportContext* context, xof::SaveData* animation,
                       const std::vector<QuatKey>& keys) {
  RecordBuffer data = KeyBlock(kRotationKeyType, keys.size(), 4);
  for (const QuatKey& key : keys) {
    data.Dword(static_cast<std::uint32_t>(key.time));
    data.Dword(4);
    // w first, as the decomposition gave it: the sign is the reducer's, never changed here.
    data.Float(key.value.w);
    data.Float(key.value.x);
    data.Float(key.value.y);
    data.Float(key.value.z);
    ProgressStep(context);
  }
  AddKeyRecord(animation, "R", data);
}

void WriteMatrixKeys(ExportContext* context, xof::SaveData* animation,
                     const std::vector<MatrixKey>& keys) {
  RecordBuffer data = KeyBlock(kMatrixKeyType, keys.size(), 16);
  for (const MatrixKey& key : keys) {
    data.Dword(static_cast<std::uint32_t>(key.time));
    data.Dword(16);
    MatrixRecord matrix = MatrixLayout(key.value);
    data.Floats(matrix.data(), matrix.size());
    ProgressStep(context);
  }
  AddKeyRecord(animation, "", data);
}

// The Animation record with its frame reference and options; null when it was refused.
xof::SaveData* AddAnimationRecord(xof::SaveData* set, const XNode& node) {
  xof::SaveData* animation = nullptr;
  if (xof::Failed(
          set->AddDataObject(xof::tid::Animation, nullptr, nullptr, 0, nullptr, &animation)))
    return nullptr;
  std::string frameName = platform::WideToAnsi(node.name);
  animation->AddDataReference(frameName.c_str(), nullptr);
  if (gExportOptions.AnimationOptions) {
    RecordBuffer options;
    options.Dword(static_cast<std::uint32_t>(gExportOptions.AnimationOpenClose));
    options.Dword(static_cast<std::uint32_t>(gExportOptions.AnimationQuality));
    xof::SaveData* record = nullptr;
    if (xof::Succeeded(animation->AddDataObject(xof::tid::AnimationOptions, nullptr, nullptr,
                                                options.size(), options.data(), &record))) {
      record->Release();
    }
  }
  return animation;
}

void WriteTrack(ExportContext* context, xof::SaveData* set, const XNode& node,
                const AnimationTrack& track) {
  if (track.separateKeys) {
    if (track.rotationKeys.empty() && track.scaleKeys.empty() && track.positionKeys.empty()) return;
  } else if (track.matrixKeys.empty()) {
    return;
  }
  xof::SaveData* animation = AddAnimationRecord(set, node);
  if (!animation) return;
  if (track.separateKeys) {
    if (!track.scaleKeys.empty())
      WriteVectorKeys(context, animation, "S", kScaleKeyType, track.scaleKeys);
    if (!track.rotationKeys.empty()) WriteRotationKeys(context, animation, track.rotationKeys);
    if (!track.positionKeys.empty())
      WriteVectorKeys(context, animation, "T", kPositionKeyType, track.positionKeys);
  } else {
    WriteMatrixKeys(context, animation, track.matrixKeys);
  }
  animation->Release();
}

}  // namespace

std::vector<std::wstring> AnimationSetNames() {
  std::vector<std::wstring> names;
  std::set<std::wstring> taken;
  for (const AnimationClip& clip : gAnimationClips) {
    std::wstring name = CleanName(clip.name);
    while (!taken.insert(name).second) name += L'_';
    names.push_back(std::move(name));
  }
  return names;
}

void WriteAnimationSet(ExportContext* context, const std::string& name, std::size_t clipIndex) {
  xof::SaveData* set = nullptr;
  if (xof::Failed(context->saveObject->AddDataObject(xof::tid::AnimationSet, name.c_str(), nullptr,
                                                     0, nullptr, &set))) {
    return;
  }
  for (auto& top : context->topNodes) {
    if (top) WriteNodeAnimation(context, set, top.get(), clipIndex);
  }
  set->Release();
}

void WriteNodeAnimation(ExportContext* context, xof::SaveData* set, XNode* node,
                        std::size_t clipIndex) {
  if (!node->processed) {
    if (!gExportOptions.WorldSpace) return;
  } else {
    auto* renderable = AsRenderable(node);
    bool skinnedMesh = renderable && renderable->hasSkin && IsMeshNode(*node);
    // In world space a skinned mesh and what hangs below it move with the bones alone.
    if (skinnedMesh && gExportOptions.WorldSpace) return;
    if (clipIndex < node->tracks.size()) {
      WriteTrack(context, set, *node, node->tracks[clipIndex]);
      if (context->releaseWrittenTracks) node->tracks[clipIndex] = AnimationTrack();
    }
  }
  for (auto& child : node->children) WriteNodeAnimation(context, set, child.get(), clipIndex);
}
