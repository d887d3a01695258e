#include "platform/host_path.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace platform {

namespace {

// Bytes of a native name that are not UTF-8 (a name written in Latin-1, say) stand in host text as
// the lone surrogates U+DC80..U+DCFF, which no valid text holds, and turn back into the same bytes:
// a file of such a name is found, read and written under its own name.
constexpr wchar_t kEscapedByte = 0xDC00;

}  // namespace

std::filesystem::path ToNativePath(std::wstring_view hostPath) {
  std::string bytes;
  bytes.reserve(hostPath.size());
  std::size_t from = 0;
  auto flush = [&](std::size_t to) {
    std::wstring text(hostPath.substr(from, to - from));
    std::replace(text.begin(), text.end(), L'\\', L'/');
    bytes += WideToUtf8(text);
  };
  for (std::size_t i = 0; i < hostPath.size(); ++i) {
    wchar_t c = hostPath[i];
    if (c >= kEscapedByte + 0x80 && c <= kEscapedByte + 0xFF) {
      flush(i);
      bytes.push_back(static_cast<char>(c - kEscapedByte));
      from = i + 1;
    }
  }
  flush(hostPath.size());
  return std::filesystem::path(std::move(bytes));
}

std::wstring ToHostPath(const std::filesystem::path& nativePath) {
  const std::string& bytes = nativePath.native();
  std::wstring text;
  text.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    // The longest run that is valid UTF-8 on its own, converted as a whole.
    std::size_t valid = ValidUtf8Prefix(std::string_view(bytes).substr(i));
    if (valid > 0) {
      text += Utf8ToWide(std::string_view(bytes).substr(i, valid));
      i += valid;
      continue;
    }
    text.push_back(static_cast<wchar_t>(kEscapedByte + static_cast<unsigned char>(bytes[i])));
    ++i;
  }
  std::replace(text.begin(), text.end(), L'/', L'\\');
  return text;
}

}  // namespace platform
