#include "ruv/options/scene_root_name.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxNameLength = 255;

bool IsIdentifierChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'-' || c == L'_';
}

// The export's name cleaning leaves such a name exactly as it is.
bool IsCleanName(std::wstring_view name) {
  if (name.empty()) return true;
  if (name.size() > kMaxNameLength || (name.front() >= L'0' && name.front() <= L'9')) return false;
  return std::all_of(name.begin(), name.end(), IsIdentifierChar);
}

}  // namespace

std::wstring SceneRootNameFromText(std::wstring_view typed, const std::wstring& rootNodeName) {
  std::wstring name;
  for (wchar_t c : typed.substr(0, kMaxNameLength)) {
    if (c != L' ') name += c;
  }
  return IsCleanName(name) ? name : rootNodeName;
}
