// DirectDraw Surface files, the texture form DirectX 9 engines load: block-compressed, with mips.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "texture/texture_image.h"

namespace texture {

// A DDS file of `image` with its full mip chain (down to 1x1, box-filtered from level to level):
// DXT1 when the image is opaque, DXT5 when it has alpha.
std::string EncodeDds(const Image& image);

// The top level of a DXT1, DXT3 or DXT5 DDS file, with or without mips. Nothing when the file is
// not one, or is cut short, with why in `problem`.
std::optional<Image> DecodeDds(std::string_view bytes, std::string* problem = nullptr,
                               long long maxPixels = kMaxPixels);

}  // namespace texture
