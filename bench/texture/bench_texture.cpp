// Converting a PNG texture to DDS (DXT5, full mip chain), as an export with TextureConvert does:
// decoding, the mip chain and block compression, each timed in processor seconds, from 256x256 to
// 4096x4096 pixels with the growth exponent in pixels, against the 1-second budget for 4096x4096.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "texture/dds_file.h"
#include "texture/image_codec.h"
#include "texture/resize.h"

namespace {

constexpr double kBudgetSeconds = 1.0;

// A photograph-like picture with a soft alpha edge (so DXT5), noise included: PNG compresses it
// about as it would a photograph, and the compressor sees varied blocks.
texture::Image Photo(int side) {
  texture::Image image(side, side);
  unsigned noise = 1;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      noise = noise * 1103515245u + 12345u;
      const int grain = static_cast<int>(noise >> 16 & 7) - 4;
      const double u = static_cast<double>(x) / side, v = static_cast<double>(y) / side;
      const double shade = 128 + 90 * std::sin(u * 7.0) * std::cos(v * 5.0);
      std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * side + x) * 4];
      auto byte = [](double value) {
        return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
      };
      p[0] = byte(shade + grain);
      p[1] = byte(shade * 0.8 + 30 * std::sin(x * 0.05) + grain);
      p[2] = byte(255 - shade + grain);
      p[3] = byte(255 * std::fmin(1.0, 4.0 * std::fmin(u, 1 - u) + 0.2));
    }
  }
  return image;
}

struct Run {
  double decode = 0, mips = 0, total = 0;
};

Run Convert(const std::string& png) {
  Run run;
  const double start = bench::CpuSeconds();
  std::optional<texture::Image> image = texture::DecodeImage(png);
  run.decode = bench::CpuSeconds() - start;
  if (!image) return run;
  const double mipsAt = bench::CpuSeconds();
  volatile std::size_t levels = texture::MipLevels(*image).size();
  (void)levels;
  run.mips = bench::CpuSeconds() - mipsAt;
  const double encodeAt = bench::CpuSeconds();
  std::string dds = texture::EncodeDds(*image);
  // EncodeDds makes its own mips: the chain timed above is not counted twice.
  run.total = run.decode + (bench::CpuSeconds() - encodeAt);
  if (dds.empty()) run.total = -1;
  return run;
}

}  // namespace

int main() {
  std::printf("PNG to DDS (DXT5, full mip chain), processor seconds:\n");
  std::printf("%6s %12s %9s %9s %9s %9s\n", "side", "pixels", "decode", "mips", "total", "peak MB");
  double firstSeconds = 0, firstPixels = 0, lastSeconds = 0, lastPixels = 0;
  for (int side = 256; side <= 4096; side *= 2) {
    const std::string png = texture::EncodeImage(Photo(side), texture::Format::kPng);
    Run run = Convert(png);
    const double pixels = static_cast<double>(side) * side;
    std::printf("%6d %12.0f %9.3f %9.3f %9.3f %9.1f\n", side, pixels, run.decode, run.mips,
                run.total, bench::PeakKilobytes() / 1024.0);
    if (side == 256) {
      firstSeconds = run.total;
      firstPixels = pixels;
    }
    lastSeconds = run.total;
    lastPixels = pixels;
  }
  std::printf("growth exponent in pixels, 256^2 to 4096^2: %.2f\n",
              bench::GrowthExponent(firstSeconds, lastSeconds, firstPixels, lastPixels));
  std::printf("4096x4096 in %.3f s: %s the %.1f s budget\n", lastSeconds,
              lastSeconds < kBudgetSeconds ? "within" : "OVER", kBudgetSeconds);
  return lastSeconds < kBudgetSeconds ? 0 : 1;
}
