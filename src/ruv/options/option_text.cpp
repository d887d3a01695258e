#include "ruv/options/option_text.h"

#include <variant>

#include "platform/profile_document.h"
#include "ruv/options/clip_keys.h"
#include "ruv/options/option_table.h"
#include "ruv/options/option_values.h"

namespace {

std::wstring ValueText(const ExportOptions& options, const OptionKey& option) {
  return std::visit(
      [&](auto member) -> std::wstring {
        const auto& value = options.*member;
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, std::int32_t>)
          return FormatIntegerOption(value);
        else if constexpr (std::is_same_v<Value, float>)
          return FormatFloatOption(value);
        else
          return value;
      },
      option.member);
}

std::wstring Quoted(std::wstring_view value) { return L"\"" + std::wstring(value) + L"\""; }

// Text survives the file when a load gives it back as it was written.
std::optional<std::wstring> CheckText(std::wstring_view value) {
  if (value.size() > kProfileStringBufferSize - 1) {
    return L"the text is longer than " + std::to_wstring(kProfileStringBufferSize - 1) +
           L" characters";
  }
  for (wchar_t c : value) {
    if (c < 0x20 || c == 0x7F) return std::wstring(L"the text holds a control character");
  }
  if (!value.empty() && (value.front() == L' ' || value.back() == L' ' || value.front() == L'\t' ||
                         value.back() == L'\t')) {
    return Quoted(value) + L" begins or ends with a blank, which the file drops";
  }
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
      value.back() == value.front()) {
    return Quoted(value) + L" is enclosed in quotes, which the file drops";
  }
  return std::nullopt;
}

std::optional<std::wstring> SetOption(ExportOptions& options, const OptionKey& option,
                                      std::wstring_view value) {
  switch (option.Type()) {
    case OptionType::Integer: {
      std::optional<std::int32_t> number = ParseIntegerText(value);
      if (!number) return Quoted(value) + L" is not a 32-bit decimal integer";
      options.*std::get<std::int32_t ExportOptions::*>(option.member) = *number;
      return std::nullopt;
    }
    case OptionType::Float: {
      std::optional<float> number = ParseFloatText(value);
      if (!number) return Quoted(value) + L" is not a finite decimal number in the float range";
      options.*std::get<float ExportOptions::*>(option.member) = *number;
      return std::nullopt;
    }
    case OptionType::Text:
      if (auto problem = CheckText(value)) return problem;
      options.*std::get<std::wstring ExportOptions::*>(option.member) = std::wstring(value);
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::wstring> SetClipCount(AnimationClips& clips, std::wstring_view value) {
  std::optional<std::int32_t> count = ParseIntegerText(value);
  if (!count || *count < 0 || *count > kMaxAnimationClips) {
    return Quoted(value) + L" is not a clip count from 0 to " + std::to_wstring(kMaxAnimationClips);
  }
  clips.resize(
      static_cast<std::size_t>(*count),
      AnimationClip{std::wstring(kDefaultClipName), kDefaultClipStartKey, kDefaultClipEndKey});
  return std::nullopt;
}

std::optional<std::wstring> SetClipField(AnimationClips& clips, ClipKeyName name,
                                         std::wstring_view value) {
  if (name.index >= clips.size()) {
    return L"there is no clip " + std::to_wstring(name.index) + L" while AnimationCount is " +
           std::to_wstring(clips.size()) + L" (set AnimationCount first)";
  }
  AnimationClip& clip = clips[name.index];
  if (name.field == ClipField::Name) {
    if (auto problem = CheckText(value)) return problem;
    clip.name = value;
    return std::nullopt;
  }
  std::optional<std::int32_t> frame = ParseIntegerText(value);
  if (!frame) return Quoted(value) + L" is not a 32-bit decimal integer";
  (name.field == ClipField::StartKey ? clip.startKey : clip.endKey) = *frame;
  return std::nullopt;
}

}  // namespace

std::vector<OptionText> ListOptions(const ExportOptions& options, const AnimationClips& clips) {
  std::vector<OptionText> list;
  for (const OptionKey* option : OptionsInSaveOrder()) {
    list.push_back({std::wstring(option->key), ValueText(options, *option)});
  }
  list.push_back({std::wstring(kAnimationCountKey),
                  FormatIntegerOption(static_cast<std::int32_t>(clips.size()))});
  for (std::size_t i = 0; i < clips.size(); ++i) {
    list.push_back({ClipKey(i, ClipField::Name), clips[i].name});
    list.push_back({ClipKey(i, ClipField::StartKey), FormatIntegerOption(clips[i].startKey)});
    list.push_back({ClipKey(i, ClipField::EndKey), FormatIntegerOption(clips[i].endKey)});
  }
  return list;
}

std::optional<std::wstring> SetOptionFromText(ExportOptions& options, AnimationClips& clips,
                                              std::wstring_view key, std::wstring_view value) {
  std::optional<std::wstring> problem;
  if (const OptionKey* option = FindOption(key)) {
    problem = SetOption(options, *option, value);
  } else if (platform::FoldProfileName(key) == platform::FoldProfileName(kAnimationCountKey)) {
    problem = SetClipCount(clips, value);
  } else if (std::optional<ClipKeyName> clipKey = ParseClipKey(key)) {
    problem = SetClipField(clips, *clipKey, value);
  } else {
    return std::wstring(key) + L": no option has this key (value " + Quoted(value) + L")";
  }
  if (problem) return std::wstring(key) + L": " + *problem;
  return std::nullopt;
}
