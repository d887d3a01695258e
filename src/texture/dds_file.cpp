#include "texture/dds_file.h"

#include <squish.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

// stb_dxt compiled here rather than called in libstb: inlined into the block loop it compresses
// a 4096x4096 texture about a sixth faster, and that loop is most of a conversion's time.
#define STB_DXT_IMPLEMENTATION
#define STB_DXT_STATIC
#include <stb_dxt.h>

#include "texture/resize.h"

namespace texture {
namespace {

// The header as the DirectX 9 readers take it (DDS_HEADER after the magic "DDS ").
constexpr std::uint32_t kHeaderSize = 124;
constexpr std::uint32_t kPixelFormatSize = 32;
constexpr std::uint32_t kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPixelFormat = 0x1000,
                        kMipMapCount = 0x20000, kLinearSize = 0x80000;
constexpr std::uint32_t kFourCcFlag = 0x4;
constexpr std::uint32_t kCapsComplex = 0x8, kCapsTexture = 0x1000, kCapsMipMap = 0x400000;
constexpr std::size_t kFileHeaderBytes = 4 + kHeaderSize;
// Offsets in the file, magic included.
constexpr std::size_t kAtHeight = 12, kAtWidth = 16, kAtFormatFlags = 80, kAtFourCc = 84;

constexpr std::uint32_t FourCc(const char (&code)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

void PutDword(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>(value >> shift & 0xff));
}

std::uint32_t DwordAt(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::size_t BlocksOf(int side) { return static_cast<std::size_t>(std::max(1, (side + 3) / 4)); }

// One level as blocks; edge blocks repeat the last row and column, as the DirectX compressors do.
void AppendLevel(std::string& out, const Image& level, bool alpha) {
  const std::size_t blockBytes = alpha ? 16 : 8;
  const std::size_t across = BlocksOf(level.width), down = BlocksOf(level.height);
  const std::size_t start = out.size();
  out.resize(start + across * down * blockBytes);
  auto* target = reinterpret_cast<unsigned char*>(out.data() + start);
  unsigned char block[64];
  for (std::size_t by = 0; by < down; ++by) {
    for (std::size_t bx = 0; bx < across; ++bx) {
      const bool inside = bx * 4 + 4 <= static_cast<std::size_t>(level.width);
      for (int row = 0; row < 4; ++row) {
        const std::size_t y = std::min<std::size_t>(by * 4 + row, level.height - 1);
        if (inside) {
          std::memcpy(block + row * 16, &level.rgba[(y * level.width + bx * 4) * 4], 16);
          continue;
        }
        for (int column = 0; column < 4; ++column) {
          const std::size_t x = std::min<std::size_t>(bx * 4 + column, level.width - 1);
          std::memcpy(block + (row * 4 + column) * 4, &level.rgba[(y * level.width + x) * 4], 4);
        }
      }
      stb_compress_dxt_block(target, block, alpha ? 1 : 0, STB_DXT_NORMAL);
      target += blockBytes;
    }
  }
}

}  // namespace

std::string EncodeDds(const Image& image) {
  if (image.width <= 0 || image.height <= 0) return {};
  const bool alpha = !image.Opaque();
  std::vector<Image> below = MipLevels(image);
  const std::uint32_t levels = static_cast<std::uint32_t>(below.size() + 1);
  const std::size_t blockBytes = alpha ? 16 : 8;

  std::string out = "DDS ";
  PutDword(out, kHeaderSize);
  PutDword(out,
           kCaps | kHeight | kWidth | kPixelFormat | kLinearSize | (levels > 1 ? kMipMapCount : 0));
  PutDword(out, static_cast<std::uint32_t>(image.height));
  PutDword(out, static_cast<std::uint32_t>(image.width));
  PutDword(out,
           static_cast<std::uint32_t>(BlocksOf(image.width) * BlocksOf(image.height) * blockBytes));
  PutDword(out, 0);  // depth
  PutDword(out, levels);
  for (int i = 0; i < 11; ++i) PutDword(out, 0);
  PutDword(out, kPixelFormatSize);
  PutDword(out, kFourCcFlag);
  PutDword(out, alpha ? FourCc("DXT5") : FourCc("DXT1"));
  for (int i = 0; i < 5; ++i) PutDword(out, 0);  // bit count and masks: unused with a FourCC
  PutDword(out, kCapsTexture | (levels > 1 ? kCapsComplex | kCapsMipMap : 0));
  for (int i = 0; i < 4; ++i) PutDword(out, 0);  // caps 2-4, reserved

  std::size_t total = out.size();
  for (int width = image.width, height = image.height;;
       width = std::max(1, width / 2), height = std::max(1, height / 2)) {
    total += BlocksOf(width) * BlocksOf(height) * blockBytes;
    if (width == 1 && height == 1) break;
  }
  out.reserve(total);
  AppendLevel(out, image, alpha);
  for (const Image& level : below) AppendLevel(out, level, alpha);
  return out;
}

std::optional<Image> DecodeDds(std::string_view bytes, std::string* problem, long long maxPixels) {
  auto fail = [problem](std::string why) -> std::optional<Image> {
    if (problem) *problem = std::move(why);
    return std::nullopt;
  };
  if (bytes.size() < kFileHeaderBytes || bytes.substr(0, 4) != "DDS " ||
      DwordAt(bytes, 4) != kHeaderSize) {
    return fail("it is not a DDS file (its header is missing or cut short)");
  }
  const std::uint32_t width = DwordAt(bytes, kAtWidth), height = DwordAt(bytes, kAtHeight);
  // In 64 bits unsigned: two sides of 2^32 - 1 overflow a signed product.
  if (width == 0 || height == 0 ||
      static_cast<std::uint64_t>(width) * height > static_cast<std::uint64_t>(maxPixels)) {
    return fail("its size " + std::to_string(width) + "x" + std::to_string(height) +
                " is not one that can be decoded");
  }
  const std::uint32_t fourCc = DwordAt(bytes, kAtFourCc);
  int flags = 0;
  if (DwordAt(bytes, kAtFormatFlags) & kFourCcFlag) {
    if (fourCc == FourCc("DXT1")) flags = squish::kDxt1;
    if (fourCc == FourCc("DXT3")) flags = squish::kDxt3;
    if (fourCc == FourCc("DXT5")) flags = squish::kDxt5;
  }
  if (flags == 0) return fail("its pixel format is not DXT1, DXT3 or DXT5");
  const std::size_t blockBytes = flags == squish::kDxt1 ? 8 : 16;
  const std::size_t needed =
      BlocksOf(static_cast<int>(width)) * BlocksOf(static_cast<int>(height)) * blockBytes;
  if (bytes.size() - kFileHeaderBytes < needed) {
    return fail("it is cut short: its first level needs " + std::to_string(needed) +
                " bytes of blocks, it has " + std::to_string(bytes.size() - kFileHeaderBytes));
  }
  Image image(static_cast<int>(width), static_cast<int>(height));
  squish::DecompressImage(image.rgba.data(), image.width, image.height,
                          bytes.data() + kFileHeaderBytes, flags);
  return image;
}

}  // namespace texture
