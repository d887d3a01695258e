// Where a clip lies in host time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "ruv/options/export_options.h"

struct ClipSpan {
  std::int32_t start = 0;      // ticks
  std::int32_t end = 0;        // ticks
  std::uint32_t duration = 0;  // end - start
};

// The clip's start and end frames in ticks; nothing for a clip that ends before it starts, which
// has no span to sample (it keeps its place in the clip list, so later clips keep their indices).
inline std::optional<ClipSpan> ClipSpanOf(const AnimationClip& clip, std::int32_t ticksPerFrame) {
  if (clip.endKey < clip.startKey) return std::nullopt;
  // Host time is 32-bit; a clip reaching beyond it is held at its limits.
  auto ticks = [ticksPerFrame](std::int32_t frame) {
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(frame) * ticksPerFrame, INT32_MIN,
                                    INT32_MAX);
  };
  std::int64_t start = ticks(clip.startKey), end = ticks(clip.endKey);
  return ClipSpan{static_cast<std::int32_t>(start), static_cast<std::int32_t>(end),
                  static_cast<std::uint32_t>(end - start)};
}
