#include "ruv/animation/animation_extraction.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "host/decomp.h"
#include "ruv/animation/clip_span.h"
#include "ruv/animation/key_reduction.h"
#include "ruv/animation/key_times.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/progress.h"
#include "ruv/core/transforms.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

namespace {

// What every sample of one node needs, worked out once per extraction.
struct NodeSampler {
  explicit NodeSampler(const XNode& node)
      : host(node.hostNode), parent(node.parent ? node.parent->hostNode : nullptr) {
    if (gExportOptions.WorldSpace) {
      relativeToParent = false;
      // A mesh is written in its bind pose; its keys move it from there.
      if (IsMeshNode(node)) {
        bindPoseInverse = Inverse(node.nodeTM);
        relativeToBindPose = true;
      }
    } else {
      relativeToParent = node.parent != nullptr;
    }
  }

  Matrix3 At(TimeValue t) const {
    Matrix3 m = host ? NodeTransformAt(host, t) : Matrix3();
    Matrix3 local = m;
    if (relativeToParent) {
      local = m * Inverse(parent ? NodeTransformAt(parent, t) : Matrix3());
    } else if (relativeToBindPose) {
      local = bindPoseInverse * m;
    }
    return ConvertTransform(local);
  }

  INode* host;
  INode* parent;
  bool relativeToParent = false;
  bool relativeToBindPose = false;
  Matrix3 bindPoseInverse;
};

// Clears the tracks and gives the reduction the KeyOptimizeLevel option asks for.
KeyReduction BeginExtraction(XNode* node) {
  node->tracks.clear();
  return KeyReductionForLevel(static_cast<std::uint32_t>(gExportOptions.KeyOptimizeLevel));
}

// A key matrix taken apart as separate keys hold it.
struct KeyParts {
  explicit KeyParts(const Matrix3& k) { DecomposeMatrix(k, position, rotation, scale); }
  Point3 position, scale;
  Quat rotation;
};

void StoreSeparateKeys(AnimationTrack& track, std::int32_t time, const KeyParts& parts,
                       const KeyReduction& reduction, bool scaleBeforePosition) {
  StoreKey(track.rotationKeys, QuatKey{KeyKindRotation, time, parts.rotation}, reduction);
  if (scaleBeforePosition)
    StoreKey(track.scaleKeys, VectorKey{KeyKindScale, time, parts.scale}, reduction);
  StoreKey(track.positionKeys, VectorKey{KeyKindPosition, time, parts.position}, reduction);
  if (!scaleBeforePosition)
    StoreKey(track.scaleKeys, VectorKey{KeyKindScale, time, parts.scale}, reduction);
}

// Room for a key per sample, so that long clips are not grown by doubling (up to twice their keys
// held at the peak); what reduction leaves unused is given back by ShrinkKeys.
void ReserveKeys(AnimationTrack& track, std::int64_t samples) {
  constexpr std::int64_t kMostReserved = 1 << 22;
  auto count = static_cast<std::size_t>(std::min(samples, kMostReserved));
  if (track.separateKeys) {
    track.rotationKeys.reserve(count);
    track.positionKeys.reserve(count);
    track.scaleKeys.reserve(count);
  } else {
    track.matrixKeys.reserve(count);
  }
}

template <class Key>
void ShrinkIfSlack(std::vector<Key>& keys) {
  if (keys.capacity() - keys.size() > keys.size() / 8) keys.shrink_to_fit();
}

void ShrinkKeys(AnimationTrack& track) {
  ShrinkIfSlack(track.rotationKeys);
  ShrinkIfSlack(track.positionKeys);
  ShrinkIfSlack(track.scaleKeys);
  ShrinkIfSlack(track.matrixKeys);
}

// Rotations whose quaternions' dot product is below this lie more than about 174 degrees apart:
// too near half a turn for readers to agree on the way, once the file's rounding is in.
constexpr float kHalfTurnDot = 0.05f;

// The custom time unit of a frame or sample. The dialog keeps it from 1 up; an options file that
// gives less would write every key at one time, which readers drop.
std::int64_t CustomUnit() { return std::max<std::int64_t>(gExportOptions.TimelineCustom, 1); }

}  // namespace

Matrix3 KeyMatrixAt(const XNode& node, TimeValue t) { return NodeSampler(node).At(t); }

bool ExtractSampledAnimation(ExportContext* context, XNode* node) {
  KeyReduction reduction = BeginExtraction(node);
  NodeSampler sampler(*node);
  bool separate = gExportOptions.KeyType != 0;
  std::uint32_t keys = 0;
  for (const AnimationClip& clip : gAnimationClips) {
    AnimationTrack& track = node->tracks.emplace_back();
    std::optional<ClipSpan> span = ClipSpanOf(clip, context->ticksPerFrame);
    if (!span) continue;
    track.separateKeys = separate ? 1 : 0;
    std::int64_t step = context->ticksPerSample > 0 ? context->ticksPerSample
                                                    : std::max<std::int64_t>(span->duration, 1);
    std::int64_t samples = (span->duration + step - 1) / step + 1;
    ReserveKeys(track, samples);
    for (std::int64_t i = 0; i < samples; ++i) {
      std::int64_t offset = std::min<std::int64_t>(i * step, span->duration);
      auto time = static_cast<std::int32_t>(gExportOptions.Timeline ? CustomUnit() * i : offset);
      Matrix3 k = sampler.At(static_cast<TimeValue>(span->start + offset));
      if (separate) {
        StoreSeparateKeys(track, time, KeyParts(k), reduction, false);
      } else {
        StoreKey(track.matrixKeys, MatrixKey{KeyKindMatrix, time, k}, reduction);
      }
      ProgressStep(context);
    }
    ShrinkKeys(track);
    keys += static_cast<std::uint32_t>(track.KeyCount());
  }
  context->writeWorkCount += keys;
  return true;
}

bool ExtractKeyFrameAnimation(ExportContext* context, XNode* node) {
  KeyReduction reduction = BeginExtraction(node);
  if (!node->hostNode) return false;
  // Custom time units count whole frames: a key between frames is taken at the frame before it,
  // once per frame, so that the times written rise as the poses they hold.
  const bool wholeFrames = gExportOptions.Timeline != 0;
  if (wholeFrames && context->ticksPerFrame <= 0) return false;
  NodeSampler sampler(*node);
  std::uint32_t keys = 0;
  for (const AnimationClip& clip : gAnimationClips) {
    AnimationTrack& track = node->tracks.emplace_back();
    std::optional<ClipSpan> span = ClipSpanOf(clip, context->ticksPerFrame);
    if (!span) continue;
    track.startTime = span->start;
    track.endTime = span->end;
    if (!CollectKeyTimes(node->hostNode, track)) return false;
    std::int64_t lastFrame = -1;
    std::optional<Quat> lastTurn;
    for (std::int32_t t : track.keyTimes) {
      ProgressStep(context);  // every key time counted in the work estimate, taken or not
      std::int64_t offset = static_cast<std::int64_t>(t) - span->start;
      std::int64_t time = offset;
      TimeValue at = t;
      if (wholeFrames) {
        std::int64_t frame = offset / context->ticksPerFrame;
        if (frame == lastFrame) continue;
        lastFrame = frame;
        time = frame * CustomUnit();
        at = static_cast<TimeValue>(span->start + frame * context->ticksPerFrame);
      }
      Matrix3 k = sampler.At(at);
      KeyParts parts(k);
      // Readers turn the shorter way between two keys; half a turn between key times has no
      // shorter way, and each reader would pick its own. Sampling the node instead gives the
      // frames between, which tell the way.
      if (lastTurn && std::fabs(*lastTurn % parts.rotation) < kHalfTurnDot) return false;
      lastTurn = parts.rotation;
      if (track.separateKeys) {
        StoreSeparateKeys(track, static_cast<std::int32_t>(time), parts, reduction, true);
      } else {
        StoreKey(track.matrixKeys, MatrixKey{KeyKindMatrix, static_cast<std::int32_t>(time), k},
                 reduction);
      }
    }
    keys += static_cast<std::uint32_t>(track.KeyCount());
  }
  // Counted only once the whole extraction holds, so that a fall-back to sampling does not count
  // the same clips twice.
  context->writeWorkCount += keys;
  return true;
}

void ExtractAnimation(ExportContext* context, XNode* node) {
  if (gExportOptions.KeyFrames && ExtractKeyFrameAnimation(context, node)) return;
  ExtractSampledAnimation(context, node);
}
