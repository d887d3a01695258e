// Texture files to images and back: the decoders and encoders of every format a texture is read
// from or converted to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "texture/texture_image.h"

namespace texture {

// Decodes PNG (libpng), JPEG, TGA, BMP, GIF, PSD, HDR and PNM (stb_image: the first frame, 8 bits
// a channel) and DDS (DXT1, DXT3, DXT5: the top level). Nothing when it cannot, with why in
// `problem`; a picture of more than `maxPixels` is not decoded (a fuzzer sets it lower, so that
// what it tries fits its memory).
std::optional<Image> DecodeImage(std::string_view bytes, std::string* problem = nullptr,
                                 long long maxPixels = kMaxPixels);

// The file's bytes in `format`; empty when it cannot be encoded. PNG, TGA and BMP keep alpha when
// the image has any; JPEG holds colour only (quality 90); DDS as EncodeDds.
std::string EncodeImage(const Image& image, Format format);

}  // namespace texture
