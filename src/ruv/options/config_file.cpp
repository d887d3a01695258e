#include "ruv/options/config_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/profile.h"
#include "ruv/options/clip_keys.h"
#include "ruv/options/option_table.h"
#include "ruv/options/option_text.h"
#include "ruv/options/option_values.h"

namespace {

constexpr std::size_t kMaxTextLength = kProfileStringBufferSize - 1;

void ReadOption(const platform::ProfileDocument& file, const OptionKey& option, int frameRate,
                ExportOptions& options) {
  switch (option.Type()) {
    case OptionType::Integer: {
      std::int32_t fallback = option.defaultIsFrameRate ? frameRate : option.integerDefault;
      options.*std::get<std::int32_t ExportOptions::*>(option.member) =
          file.GetInt(kOptionsSection, option.key, fallback);
      break;
    }
    case OptionType::Float: {
      // The rotations' shortcut for the exact text "0" gives the value the conversion gives anyway.
      float value = ReadFloatOption(
          file.GetString(kOptionsSection, option.key, option.textDefault, kMaxTextLength));
      // An infinite or NaN scale or angle would make every matrix of the file unwritable.
      if (!std::isfinite(value)) value = ReadFloatOption(option.textDefault);
      options.*std::get<float ExportOptions::*>(option.member) = value;
      break;
    }
    case OptionType::Text:
      options.*std::get<std::wstring ExportOptions::*>(option.member) =
          file.GetString(kOptionsSection, option.key, option.textDefault, kMaxTextLength);
      break;
  }
}

void ApplyDependentSwitches(ExportOptions& options) {
  // Without materials there is nothing for the texture and effect options to work on.
  if (options.Mtl == 0) {
    options.PowerOf2 = 0;
    options.OverwriteFX = 0;
    options.DxFx = 0;
    options.TextureFiles = 0;
    options.EffectParam = 0;
    options.InlineMtl = 0;
  }
  if (options.Bones == 0) options.BoneMesh = 0;
}

std::int32_t FrameOf(TimeValue ticks, int ticksPerFrame) {
  // In 64 bits, so that the most negative tick count over -1 cannot overflow.
  std::int64_t frame = static_cast<std::int64_t>(ticks) / (ticksPerFrame == 0 ? 1 : ticksPerFrame);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      frame, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void ReadClips(const platform::ProfileDocument& file, Interval animRange, int ticksPerFrame,
               AnimationClips& clips) {
  const std::int32_t firstFrame = FrameOf(animRange.Start(), ticksPerFrame);
  const std::int32_t lastFrame = FrameOf(animRange.End(), ticksPerFrame);
  std::int32_t count = file.GetInt(kOptionsSection, kAnimationCountKey, kDefaultAnimationCount);
  count = std::min(count, kMaxAnimationClips);
  clips.clear();
  for (std::int32_t i = 0; i < count; ++i) {
    const auto index = static_cast<std::size_t>(i);
    std::wstring name = file.GetString(kOptionsSection, ClipKey(index, ClipField::Name),
                                       kDefaultClipName, kMaxTextLength);
    if (name.empty()) continue;
    std::int32_t start =
        file.GetInt(kOptionsSection, ClipKey(index, ClipField::StartKey), kDefaultClipStartKey);
    std::int32_t end =
        file.GetInt(kOptionsSection, ClipKey(index, ClipField::EndKey), kDefaultClipEndKey);
    // min(max()) rather than std::clamp: a range whose start lies after its end must not be
    // undefined behaviour, and this order settles such a clip on the last frame.
    end = std::min(std::max(end, firstFrame), lastFrame);
    start = std::min(std::max(start, firstFrame), lastFrame);
    start = std::min(start, end);
    clips.push_back(AnimationClip{std::move(name), start, end});
  }
}

}  // namespace

std::wstring ConfigFilePath(Interface* host) {
  const wchar_t* folder = host ? host->GetDir(APP_PLUGCFG_DIR) : nullptr;
  return ConfigFilePathIn(folder ? folder : L"");
}

std::wstring ConfigFilePathIn(std::wstring_view folder) {
  if (folder.empty()) return {};
  return std::wstring(folder) + L"\\" + std::wstring(kConfigFileName);
}

void ReadOptions(const platform::ProfileDocument& file, int frameRate, Interval animRange,
                 int ticksPerFrame, ExportOptions& options, AnimationClips& clips) {
  options = ExportOptions{};
  for (const OptionKey* option : OptionsInReadOrder())
    ReadOption(file, *option, frameRate, options);
  ApplyDependentSwitches(options);
  ReadClips(file, animRange, ticksPerFrame, clips);
}

platform::ProfileDocument OptionsDocument(const ExportOptions& options,
                                          const AnimationClips& clips) {
  platform::ProfileDocument document;
  const std::vector<OptionText> list = ListOptions(options, clips);
  const auto saveOrder = OptionsInSaveOrder();
  for (std::size_t i = 0; i < list.size(); ++i) {
    // An empty scene root name stays out of the file; a load then gives the empty default anyway.
    bool textOption = i < saveOrder.size() && saveOrder[i]->Type() == OptionType::Text;
    if (textOption && list[i].value.empty()) continue;
    document.Set(kOptionsSection, list[i].key, list[i].value);
  }
  return document;
}

namespace {

std::wstring gUnreadableConfigPath;
std::string gConfigProblem;

std::string Unreadable(const std::wstring& configPath, const std::string& why) {
  return "cannot read the options file " + platform::ToNativePath(configPath).string() + ": " + why;
}

}  // namespace

const std::string& OptionsFileProblem() { return gConfigProblem; }

int LoadOptions(const std::wstring& configPath, int frameRate, Interval animRange,
                int ticksPerFrame) {
  std::string why;
  std::optional<platform::ProfileDocument> file = platform::ReadExistingProfile(configPath, why);
  gUnreadableConfigPath = file ? std::wstring() : configPath;
  gConfigProblem = file ? std::string() : Unreadable(configPath, why);
  ReadOptions(file ? *file : platform::ProfileDocument{}, frameRate, animRange, ticksPerFrame,
              gExportOptions, gAnimationClips);
  return 1;
}

bool TrySaveOptions(const std::wstring& configPath, std::string* error) {
  if (configPath.empty()) return false;
  std::string why;
  if (configPath == gUnreadableConfigPath) {
    why = gConfigProblem;
  } else if (!platform::ReadExistingProfile(configPath, why)) {
    why = Unreadable(configPath, why);
  }
  if (!why.empty()) {
    if (error) *error = why;
    return false;
  }
  return platform::WriteFileAtomically(
      platform::ToNativePath(configPath),
      platform::EncodeProfileText(OptionsDocument(gExportOptions, gAnimationClips).Serialize()),
      error);
}

void SaveOptions(const std::wstring& configPath) { TrySaveOptions(configPath); }
