#include "ruv/core/names.h"

#include <cstring>
#include <cwctype>

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

namespace {

// The words of the text encoding's grammar, which strict readers refuse as names in any case.
bool IsKeyword(std::wstring_view name) {
  static constexpr std::wstring_view kKeywords[] = {
      L"template", L"array",   L"WORD",   L"DWORD",  L"FLOAT",          L"DOUBLE", L"CHAR",
      L"UCHAR",    L"SWORD",   L"SDWORD", L"VOID",   L"STRING",         L"LPSTR",  L"LPWSTR",
      L"CSTRING",  L"UNICODE", L"BYTE",   L"BINARY", L"BINARY_RESOURCE"};
  for (std::wstring_view keyword : kKeywords) {
    if (keyword.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i)
      same = std::towupper(name[i]) == std::towupper(keyword[i]);
    if (same) return true;
  }
  return false;
}

}  // namespace

std::wstring CleanName(std::wstring_view text) {
  std::wstring out;
  if (text.empty()) return out;
  for (wchar_t c : text.substr(0, kMaxNameChars)) out.push_back(IsIdentifierChar(c) ? c : L'_');
  // A name that starts like a number or is a keyword reads back as something else.
  bool numberLike = (out.front() >= L'0' && out.front() <= L'9') || out.front() == L'-';
  if (numberLike || IsKeyword(out)) out.insert(out.begin(), L'_');
  return out;
}

std::wstring PrepareRootNodeName(const wchar_t* hostName) {
  std::wstring name = StripSpaces(hostName);
  return CleanName(name) == name ? name : L"SceneRoot";
}
