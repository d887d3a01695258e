#include "ruv/options/clip_keys.h"

#include "platform/profile_document.h"

namespace {

constexpr std::wstring_view kClipKeyPrefix = L"animation";

std::wstring_view SuffixOf(ClipField field) {
  switch (field) {
    case ClipField::Name:
      return L"_Name";
    case ClipField::StartKey:
      return L"_StartKey";
    case ClipField::EndKey:
      return L"_EndKey";
  }
  return L"";
}

}  // namespace

std::wstring ClipKey(std::size_t index, ClipField field) {
  return L"Animation" + std::to_wstring(index) + std::wstring(SuffixOf(field));
}

std::optional<ClipKeyName> ParseClipKey(std::wstring_view key) {
  std::wstring folded = platform::FoldProfileName(key);
  std::wstring_view rest = folded;
  if (!rest.starts_with(kClipKeyPrefix)) return std::nullopt;
  rest.remove_prefix(kClipKeyPrefix.size());
  std::size_t digits = 0;
  while (digits < rest.size() && rest[digits] >= L'0' && rest[digits] <= L'9') ++digits;
  // More digits than any clip count can need would only overflow the index.
  if (digits == 0 || digits > 9 || (digits > 1 && rest[0] == L'0')) return std::nullopt;
  std::size_t index = std::stoul(std::wstring(rest.substr(0, digits)));
  rest.remove_prefix(digits);
  for (ClipField field : {ClipField::Name, ClipField::StartKey, ClipField::EndKey}) {
    if (rest == platform::FoldProfileName(SuffixOf(field))) return ClipKeyName{index, field};
  }
  return std::nullopt;
}
