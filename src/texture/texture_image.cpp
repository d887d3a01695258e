#include "texture/texture_image.h"

#include <algorithm>
#include <cwctype>

namespace texture {

bool Image::Opaque() const {
  for (std::size_t i = 3; i < rgba.size(); i += 4) {
    if (rgba[i] != 255) return false;
  }
  return true;
}

const wchar_t* ExtensionOf(Format format) {
  switch (format) {
    case Format::kDds:
      return L".dds";
    case Format::kPng:
      return L".png";
    case Format::kTga:
      return L".tga";
    case Format::kJpg:
      return L".jpg";
    case Format::kBmp:
      return L".bmp";
  }
  return L"";
}

std::optional<Format> FormatOf(std::string_view bytes, std::wstring_view fileName) {
  auto startsWith = [bytes](std::string_view signature) {
    return bytes.substr(0, signature.size()) == signature;
  };
  if (startsWith("DDS ")) return Format::kDds;
  if (startsWith("\x89PNG\r\n\x1a\n")) return Format::kPng;
  if (startsWith("\xff\xd8\xff")) return Format::kJpg;
  if (startsWith("BM")) return Format::kBmp;
  std::wstring extension(fileName.substr(std::min(fileName.size(), fileName.rfind(L'.'))));
  for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towlower(c));
  if (extension == L".tga") return Format::kTga;
  return std::nullopt;
}

}  // namespace texture
