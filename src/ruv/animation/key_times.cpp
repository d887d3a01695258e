#include "ruv/animation/key_times.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "host/control.h"
#include "ruv/animation/clip_span.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

namespace {

// Controllers nest a few levels (a transform, its parts, their axes); a walk deeper than this has
// met a loop in the host's sub-animation graph.
constexpr int kMaxControllerDepth = 64;

bool AddControllerTimes(Animatable* controller, const AnimationTrack& track,
                        std::vector<std::int32_t>& times, int depth) {
  if (depth > kMaxControllerDepth) return false;
  IKeyControl* keys = GetKeyControlInterface(controller);
  int keySize = keys ? keys->GetKeySize() : 0;
  if (keys && keySize >= 1) {
    // The record is the controller's own size; never smaller than the header that holds the time.
    std::size_t bytes = std::max<std::size_t>(static_cast<std::size_t>(keySize), sizeof(IKey));
    std::vector<std::max_align_t> record((bytes + sizeof(std::max_align_t) - 1) /
                                         sizeof(std::max_align_t));
    int count = keys->GetNumKeys();
    for (int i = 0; i < count; ++i) {
      auto* key = reinterpret_cast<IKey*>(record.data());
      keys->GetKey(i, key);
      if (track.startTime <= key->time && key->time <= track.endTime) times.push_back(key->time);
    }
  }
  int subs = controller->NumSubs();
  for (int i = 0; i < subs; ++i) {
    Animatable* sub = controller->SubAnim(i);
    if (sub && !AddControllerTimes(sub, track, times, depth + 1)) return false;
  }
  return true;
}

void SortDistinct(std::vector<std::int32_t>& times) {
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
}

bool IsAnimated(Control* controller) { return controller && controller->IsAnimated(); }

}  // namespace

bool CollectKeyTimes(INode* node, AnimationTrack& track) {
  Control* transform = node ? node->GetTMController() : nullptr;
  if (!transform) return false;
  Control* position = transform->GetPositionController();
  Control* rotation = transform->GetRotationController();
  Control* scale = transform->GetScaleController();
  if (!IsAnimated(position) && !IsAnimated(rotation) && !IsAnimated(scale)) return false;
  if (position && !AddControllerTimes(position, track, track.positionTimes, 0)) return false;
  if (rotation && !AddControllerTimes(rotation, track, track.rotationTimes, 0)) return false;
  if (scale && !AddControllerTimes(scale, track, track.scaleTimes, 0)) return false;
  SortDistinct(track.positionTimes);
  SortDistinct(track.rotationTimes);
  SortDistinct(track.scaleTimes);
  if (track.positionTimes.size() < 2 && track.rotationTimes.size() < 2 &&
      track.scaleTimes.size() < 2) {
    return false;
  }
  track.separateKeys = gExportOptions.KeyType != 0 ? 1 : 0;
  track.keyTimes = track.positionTimes;
  track.keyTimes.insert(track.keyTimes.end(), track.rotationTimes.begin(),
                        track.rotationTimes.end());
  track.keyTimes.insert(track.keyTimes.end(), track.scaleTimes.begin(), track.scaleTimes.end());
  track.keyTimes.push_back(track.startTime);
  track.keyTimes.push_back(track.endTime);
  SortDistinct(track.keyTimes);
  return true;
}

std::uint32_t CountKeyTimes(const ExportContext& context, const XNode& node) {
  if (!gExportOptions.Animation || !node.hostNode) return 0;
  std::uint32_t count = 0;
  for (const AnimationClip& clip : gAnimationClips) {
    std::optional<ClipSpan> span = ClipSpanOf(clip, context.ticksPerFrame);
    if (!span) continue;
    AnimationTrack track;
    track.startTime = span->start;
    track.endTime = span->end;
    if (!CollectKeyTimes(node.hostNode, track)) return 0;
    count += static_cast<std::uint32_t>(track.keyTimes.size());
  }
  return count;
}
