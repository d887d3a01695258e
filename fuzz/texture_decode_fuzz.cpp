// Any bytes as a texture file (DDS, PNG, JPEG, TGA, BMP, ...): the decoders return an image of the
// size they claim, or a reason, nothing else.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "texture/image_codec.h"

// Pictures up to 4M pixels: a few bytes can claim the 256M pixels the exporter accepts, which
// decode into more memory than the fuzzer's limit without exercising anything more.
constexpr long long kFuzzMaxPixels = 1ll << 22;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string problem;
  std::optional<texture::Image> image = texture::DecodeImage(
      std::string_view(reinterpret_cast<const char*>(data), size), &problem, kFuzzMaxPixels);
  if (!image && problem.empty()) __builtin_trap();  // a failure must say what is wrong
  if (image && image->rgba.size() != static_cast<std::size_t>(image->width) * image->height * 4)
    __builtin_trap();
  return 0;
}
