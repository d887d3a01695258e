// Options as key and value text: the listing that the save writes and `ruvx options` prints, and
// the setting of one option by key that `ruvx options --set KEY=VALUE` performs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ruv/options/export_options.h"

struct OptionText {
  std::wstring key;
  std::wstring value;
};

// Every option in the save order, with the value text the file holds (SceneRootName included even
// when empty), then AnimationCount and the three keys of each clip.
std::vector<OptionText> ListOptions(const ExportOptions& options, const AnimationClips& clips);

// Sets the option or clip field that `key` names (case-insensitively) from `value`. Integers take
// a decimal 32-bit number, floats a finite decimal number; text must read back from the file
// unchanged (at most 259 characters, no control characters, no surrounding blanks or quotes).
// AnimationCount (0 to kMaxAnimationClips) cuts the list or extends it with the clips a load gives
// for missing entries; a clip key needs its clip to exist, so set AnimationCount first.
// Returns nothing on success, else a message that names the key and why the value was refused;
// then nothing has changed.
std::optional<std::wstring> SetOptionFromText(ExportOptions& options, AnimationClips& clips,
                                              std::wstring_view key, std::wstring_view value);
