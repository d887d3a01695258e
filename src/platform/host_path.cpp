#include "platform/host_path.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace platform {

std::filesystem::path ToNativePath(std::wstring_view hostPath) {
  std::wstring text(hostPath);
  std::replace(text.begin(), text.end(), L'\\', L'/');
  return std::filesystem::path(WideToUtf8(text));
}

std::wstring ToHostPath(const std::filesystem::path& nativePath) {
  std::wstring text = Utf8ToWide(nativePath.string());
  std::replace(text.begin(), text.end(), L'/', L'\\');
  return text;
}

}  // namespace platform
