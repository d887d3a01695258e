#include "host/sim/import/animation_timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "host/sim/scene_file/scene_file_error.h"

namespace sim::import {

namespace {

// Host time is 32-bit; the last clip must end, frames rounded up, well inside it.
constexpr double kLastTick = 2147483647.0 - 2 * kImportTicksPerFrame;

// Drops the keys whose tick equals the one before (their values with them); true if any.
bool DropCoincidentKeys(ImportedChannel& channel) {
  const std::size_t width = channel.path == ImportedPath::kRotation ? 4 : 3;
  const std::size_t perKey =
      (channel.interpolation == ImportedInterpolation::kCubicSpline ? 3 : 1) * width;
  std::size_t kept = 0;
  for (std::size_t k = 0; k < channel.ticks.size(); ++k) {
    if (kept > 0 && channel.ticks[k] == channel.ticks[kept - 1]) continue;
    channel.ticks[kept] = channel.ticks[k];
    channel.times[kept] = channel.times[k];
    std::copy_n(channel.values.begin() + static_cast<std::ptrdiff_t>(k * perKey), perKey,
                channel.values.begin() + static_cast<std::ptrdiff_t>(kept * perKey));
    ++kept;
  }
  if (kept == channel.ticks.size()) return false;
  channel.ticks.resize(kept);
  channel.times.resize(kept);
  channel.values.resize(kept * perKey);
  return true;
}

// Sets of one name could not be told apart: the second clip of a name gets "_2" after it, the third
// "_3", and so on, passing over a suffix another clip already has. Each suffix is tried at most
// once per name, so many clips of one name are named in linear time and their names stay short.
class ClipNames {
 public:
  std::wstring Take(const std::wstring& wanted) {
    if (taken_.insert(wanted).second) return wanted;
    unsigned& next = next_.try_emplace(wanted, 2u).first->second;
    for (;; ++next) {
      std::wstring name = wanted + L"_" + std::to_wstring(next);
      if (taken_.insert(name).second) {
        ++next;
        return name;
      }
    }
  }

 private:
  std::unordered_set<std::wstring> taken_;
  std::unordered_map<std::wstring, unsigned> next_;
};

}  // namespace

void LayOutClips(ImportedModel& model, const std::string& fileName) {
  model.clips.clear();
  std::int64_t startFrame = 0;
  bool coincident = false;
  ClipNames names;
  for (ImportedAnimation& animation : model.animations) {
    const double start = static_cast<double>(startFrame) * kImportTicksPerFrame;
    std::int64_t lastTick = 0;
    for (ImportedChannel& channel : animation.channels) {
      channel.ticks.resize(channel.times.size());
      for (std::size_t k = 0; k < channel.times.size(); ++k) {
        double tick =
            start + std::round(static_cast<double>(channel.times[k]) * kImportTicksPerSecond);
        if (!(tick <= kLastTick)) {
          throw SceneFileError(
              fileName, "",
              "the animations last longer than the host's timeline holds (" +
                  std::to_string(static_cast<std::int64_t>(kLastTick / kImportTicksPerSecond)) +
                  " seconds)");
        }
        channel.ticks[k] = static_cast<int>(tick);
      }
      coincident = DropCoincidentKeys(channel) || coincident;
      lastTick = std::max<std::int64_t>(lastTick, channel.ticks.back());
    }
    std::int64_t endFrame = (lastTick + kImportTicksPerFrame - 1) / kImportTicksPerFrame;
    model.clips.push_back(
        {names.Take(animation.name), static_cast<int>(startFrame), static_cast<int>(endFrame)});
    startFrame = endFrame + 1;
  }
  if (coincident) {
    model.warnings.push_back("animation keys closer than one host tick (1/" +
                             std::to_string(kImportTicksPerSecond) +
                             " s) to the key before are dropped");
  }
}

}  // namespace sim::import
