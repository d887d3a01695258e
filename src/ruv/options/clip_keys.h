// How the clip list lives in the options file: AnimationCount, then three keys per clip, numbered
// from 0 ("Animation0_Name", "Animation0_StartKey", "Animation0_EndKey", "Animation1_Name", ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::wstring_view kAnimationCountKey = L"AnimationCount";

// What a load gives for a missing count or a missing clip entry.
inline constexpr std::int32_t kDefaultAnimationCount = 1;
inline constexpr std::wstring_view kDefaultClipName = L"Anim1";
inline constexpr std::int32_t kDefaultClipStartKey = 0;
inline constexpr std::int32_t kDefaultClipEndKey = 999999;

// A load reads at most this many clip entries. Every entry missing from the file still yields a
// default clip, so a damaged count of two billion would otherwise build two billion clips; no scene
// has anywhere near this many animation sets.
inline constexpr std::int32_t kMaxAnimationClips = 10000;

enum class ClipField { Name, StartKey, EndKey };

// The key of one field of the clip at `index`.
std::wstring ClipKey(std::size_t index, ClipField field);

struct ClipKeyName {
  std::size_t index;
  ClipField field;
};

// The clip and field a key names (case-insensitively, as the file compares keys); nothing when the
// key is no clip key. The index is plain decimal without sign or leading zeros, as ClipKey writes
// it.
std::optional<ClipKeyName> ParseClipKey(std::wstring_view key);
