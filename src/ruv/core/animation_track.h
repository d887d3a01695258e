// The animation keys of one node for one clip.
#pragma once

#include <cstdint>
#include <vector>

#include "host/matrix3.h"
#include "host/quat.h"

// The kind code every key record begins with.
enum KeyKind : std::uint32_t {
  KeyKindRotation = 0,
  KeyKindScale = 1,
  KeyKindPosition = 2,
  KeyKindMatrix = 3,
};

// Times are relative to the clip start: ticks, or the custom unit of the Timeline option.
struct QuatKey {
  std::uint32_t kind = KeyKindRotation;
  std::int32_t time = 0;
  Quat value;
};

struct VectorKey {
  std::uint32_t kind = KeyKindPosition;  // or KeyKindScale
  std::int32_t time = 0;
  Point3 value;
};

struct MatrixKey {
  std::uint32_t kind = KeyKindMatrix;
  std::int32_t time = 0;
  Matrix3 value;
};

struct AnimationTrack {
  // The clip's span in ticks; set by key-frame extraction only.
  std::int32_t startTime = 0;
  std::int32_t endTime = 0;
  // Scale, rotation and position keys when set; matrix keys otherwise.
  std::uint8_t separateKeys = 0;
  // Key-frame extraction: the controllers' key times inside the clip, and their merged, sorted,
  // distinct union with the clip's ends.
  std::vector<std::int32_t> positionTimes;
  std::vector<std::int32_t> rotationTimes;
  std::vector<std::int32_t> scaleTimes;
  std::vector<std::int32_t> keyTimes;
  std::vector<MatrixKey> matrixKeys;
  std::vector<VectorKey> positionKeys;
  std::vector<QuatKey> rotationKeys;
  std::vector<VectorKey> scaleKeys;

  // The keys the track holds of the kind it stores.
  std::size_t KeyCount() const {
    return separateKeys ? positionKeys.size() + rotationKeys.size() + scaleKeys.size()
                        : matrixKeys.size();
  }
};
