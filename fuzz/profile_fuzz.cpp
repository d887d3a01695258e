// Any bytes as an options file: parsing, lookups and a rewrite never fail, and a rewritten file
// reads back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/profile_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring text =
      platform::DecodeProfileBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  platform::ProfileDocument document = platform::ProfileDocument::Parse(text);
  document.GetInt(L"Option", L"XFileType", 1);
  document.GetString(L"Option", L"SceneRootName", L"", 259);
  document.Set(L"Option", L"Mtl", L"1");
  platform::ProfileDocument again = platform::ProfileDocument::Parse(document.Serialize());
  if (again.GetString(L"Option", L"Mtl", L"", 259) != L"1") __builtin_trap();
  return 0;
}
