#include "preview_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "xof/file_reader.h"

namespace preview::test {

TempFolder::TempFolder() {
  std::random_device seed;
  path_ = std::filesystem::temp_directory_path() /
          ("ruv_preview_test_" + std::to_string(seed()) + std::to_string(seed()));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

PreviewScene SceneFromText(const std::string& body, const std::filesystem::path& folder) {
  xof::ReadResult read = xof::ReadXFile("xof 0303txt 0032\n" + body);
  EXPECT_TRUE(read.ok()) << read.Describe();
  if (!read.ok()) return {};
  return ReadPreviewScene(*read.document, folder);
}

std::array<std::uint8_t, 4> Drawn::At(Vec3 point) const {
  auto pixel = ProjectToPixel(camera, point, image.width, image.height);
  EXPECT_TRUE(pixel.has_value());
  if (!pixel) return {};
  int x = std::clamp(static_cast<int>(pixel->first), 0, image.width - 1);
  int y = std::clamp(static_cast<int>(pixel->second), 0, image.height - 1);
  return image.At(x, y);
}

Drawn Draw(const PreviewScene& scene, View view, int width, int height, bool grid) {
  RenderOptions options;
  options.width = width;
  options.height = height;
  options.view = view;
  options.grid = grid;
  Drawn drawn;
  drawn.image = RenderScene(scene, options, drawn.warnings);
  drawn.camera = CameraFor(scene, options, view, width, height);
  return drawn;
}

bool Near(const std::array<std::uint8_t, 4>& p, int r, int g, int b, int tolerance) {
  return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
         std::abs(p[2] - b) <= tolerance;
}

bool Reddish(const std::array<std::uint8_t, 4>& p) {
  return p[0] > 90 && p[0] > 3 * std::max(p[1], p[2]);
}
bool Greenish(const std::array<std::uint8_t, 4>& p) {
  return p[1] > 90 && p[1] > 3 * std::max(p[0], p[2]);
}
bool Bluish(const std::array<std::uint8_t, 4>& p) {
  return p[2] > 90 && p[2] > 3 * std::max(p[0], p[1]);
}

// The renderer clears to (0.24, 0.25, 0.28).
bool IsBackground(const std::array<std::uint8_t, 4>& p) { return Near(p, 61, 64, 71, 4); }

std::string MaterialText(const std::string& name, float r, float g, float b,
                         const std::string& texture) {
  char colours[160];
  std::snprintf(colours, sizeof colours, "%f;%f;%f;1.0;;\n 0.0;\n 0;0;0;;\n 0;0;0;;\n", r, g, b);
  std::string text = "Material " + name + " {\n " + colours;
  if (!texture.empty()) text += " TextureFilename { \"" + texture + "\"; }\n";
  return text + "}\n";
}

}  // namespace preview::test
