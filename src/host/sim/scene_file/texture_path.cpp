#include "host/sim/scene_file/texture_path.h"

#include <algorithm>

#include "platform/host_path.h"

namespace sim {

namespace {
bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }
}  // namespace

bool IsForeignPath(std::wstring_view text) {
  if (text.size() >= 2 && text[1] == L':') {
    wchar_t drive = text[0];
    return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
  }
  return text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]);
}

std::wstring ResolveTexturePath(std::wstring_view text, const std::filesystem::path& baseFolder) {
  if (text.empty()) return {};
  if (IsForeignPath(text)) {
    std::wstring hostPath(text);
    std::replace(hostPath.begin(), hostPath.end(), L'/', L'\\');
    return hostPath;
  }
  std::filesystem::path native = platform::ToNativePath(text);
  if (native.is_relative()) native = baseFolder / native;
  return platform::ToHostPath(native.lexically_normal());
}

}  // namespace sim
