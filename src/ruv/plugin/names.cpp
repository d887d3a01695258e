#include "ruv/plugin/names.h"

#include <cstring>

namespace {
constexpr std::size_t kMaxNameChars = 255;

bool IsIdentifierChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'-' || c == L'_';
}
}  // namespace

std::wstring StripSpaces(const wchar_t* text) {
  std::wstring out;
  if (!text) return out;
  for (std::size_t i = 0; i < kMaxNameChars && text[i] != L'\0'; ++i) {
    if (text[i] != L' ') out.push_back(text[i]);
  }
  return out;
}

std::wstring CleanName(std::wstring_view text) {
  std::wstring out;
  if (text.empty()) return out;
  if (text.front() >= L'0' && text.front() <= L'9') out.push_back(L'_');
  for (wchar_t c : text.substr(0, kMaxNameChars)) {
    if (c == L'"') {
      out.push_back(L'\'');
    } else {
      out.push_back(IsIdentifierChar(c) ? c : L'_');
    }
  }
  return out;
}

std::wstring PrepareRootNodeName(const wchar_t* hostName) {
  std::wstring name = StripSpaces(hostName);
  return CleanName(name) == name ? name : L"SceneRoot";
}
