// Animations laid out on the host's timeline: each becomes one clip, end to end in the file's
// order, and every key gets its time in host ticks.
#pragma once

#include <string>

#include "host/sim/import/imported_model.h"

namespace sim::import {

// The timing of an imported scene (the host's defaults): seconds become frames and ticks by these.
inline constexpr int kImportFrameRate = 30;
inline constexpr int kImportTicksPerFrame = 160;
inline constexpr int kImportTicksPerSecond = kImportFrameRate * kImportTicksPerFrame;

// Fills model.clips (one per animation, named after it; the second clip of a name gets "_2" after
// it, the third "_3", passing over names already taken) and every channel's ticks. Clip i starts at
// frame 0 or one frame after clip i - 1 ends, and ends at the first whole frame at or after its
// last key, so that no two clips share a key time. A key that rounds to the tick of the key before
// it is dropped, with a warning. Throws SceneFileError naming `fileName` when the animations last
// longer than host time holds.
void LayOutClips(ImportedModel& model, const std::string& fileName);

}  // namespace sim::import
