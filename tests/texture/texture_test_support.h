// Test images and ImageMagick, the independent decoder every written format is read back with.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "texture/texture_image.h"

namespace texture::test {

// Stands in for a photograph: smooth shading, hard edges, fine detail and sensor noise, which
// between them give block compression what real pictures give it. With `alpha`, a soft vignette.
inline Image Photo(int width, int height, bool alpha) {
  Image image(width, height);
  unsigned noise = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const int grain = static_cast<int>(noise >> 16 & 7) - 3;
      const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
      const double sky = 200 - 120 * v + 20 * std::sin(u * 9.0);
      const bool hill = v > 0.55 + 0.15 * std::sin(u * 5.0 + 1.0);
      const double detail = 18 * std::sin(x * 0.7) * std::cos(y * 0.5);
      auto byte = [](double value) {
        return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
      };
      std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = byte((hill ? 60 + detail : sky * 0.55) + grain);
      p[1] = byte((hill ? 130 + detail : sky * 0.8) + grain);
      p[2] = byte((hill ? 40 + detail * 0.5 : sky) + grain);
      const double r = std::hypot(u - 0.5, v - 0.5);
      p[3] = alpha ? byte(255 * std::fmin(1.0, std::fmax(0.0, (0.7 - r) * 3.0))) : 255;
    }
  }
  return image;
}

// The mean absolute difference per channel (R, G, B, A) of two images of one size.
inline std::array<double, 4> MeanAbsoluteError(const Image& a, const Image& b) {
  std::array<double, 4> sum{};
  for (std::size_t i = 0; i < a.rgba.size() && i < b.rgba.size(); ++i) {
    sum[i % 4] += std::abs(static_cast<int>(a.rgba[i]) - static_cast<int>(b.rgba[i]));
  }
  const double pixels = static_cast<double>(a.rgba.size() / 4);
  for (double& channel : sum) channel /= pixels;
  return sum;
}

inline bool HaveImageMagick() { return std::system("convert -version >/dev/null 2>&1") == 0; }

#define REQUIRE_IMAGEMAGICK()                                                              \
  if (!::texture::test::HaveImageMagick())                                                 \
  GTEST_SKIP() << "ImageMagick (convert) is not installed: the formats are not read back " \
                  "by an independent decoder"

// The file at `path` as ImageMagick decodes it (8-bit RGBA); nothing when it cannot, or when its
// size is not width x height.
inline std::optional<Image> ReadWithImageMagick(const std::filesystem::path& path, int width,
                                                int height) {
  const std::filesystem::path raw = path.string() + ".rgba";
  // DDS files hold their mips as further images: the first is the top level. ImageMagick keeps a
  // TGA's rows in file order, bottom-up, and only notes the origin: -auto-orient applies it.
  const std::string command = "convert '" + path.string() + "[0]' -auto-orient -depth 8 rgba:'" +
                              raw.string() + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  std::optional<std::string> bytes = platform::ReadWholeFile(raw);
  std::filesystem::remove(raw);
  Image image(width, height);
  if (!bytes || bytes->size() != image.rgba.size()) return std::nullopt;
  std::copy(bytes->begin(), bytes->end(), image.rgba.begin());
  return image;
}

// A folder of its own for one test, removed afterwards.
class Folder {
 public:
  Folder() {
    path_ = std::filesystem::temp_directory_path() /
            ("ruv-texture-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~Folder() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace texture::test
