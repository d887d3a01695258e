#include "platform/window.h"

#include <cstdio>
#include <string>

#include "platform/text_encoding.h"

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  if (owner) return owner->ShowMessageBox(text ? text : L"", caption ? caption : L"", type);
  std::wstring line = (caption && *caption) ? std::wstring(caption) + L": " : std::wstring();
  line += text ? text : L"";
  std::fprintf(stderr, "%s\n", platform::WideToUtf8(line).c_str());
  return IDOK;
}
