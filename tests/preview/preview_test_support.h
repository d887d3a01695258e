// Small .x files written as text for the preview tests, and drawing them.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "preview/renderer.h"
#include "preview/scene_reader.h"

namespace preview::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The scene of a .x text (the header is added); fails the test when the reader refuses it.
PreviewScene SceneFromText(const std::string& body, const std::filesystem::path& folder = {});

struct Drawn {
  Image image;
  Camera camera;
  std::vector<std::string> warnings;
  // The pixel where a world point lands.
  std::array<std::uint8_t, 4> At(Vec3 point) const;
};

// Without the grid unless asked, so background pixels are plain.
Drawn Draw(const PreviewScene& scene, View view, int width = 240, int height = 180,
           bool grid = false);

// A colour whose red, green and blue are each within `tolerance` of the expected ones.
bool Near(const std::array<std::uint8_t, 4>& pixel, int r, int g, int b, int tolerance);
// Red clearly dominating green and blue (and so on), whatever the lighting.
bool Reddish(const std::array<std::uint8_t, 4>& pixel);
bool Greenish(const std::array<std::uint8_t, 4>& pixel);
bool Bluish(const std::array<std::uint8_t, 4>& pixel);
bool IsBackground(const std::array<std::uint8_t, 4>& pixel);

// Material bodies for MeshMaterialList children.
std::string MaterialText(const std::string& name, float r, float g, float b,
                         const std::string& texture = {});

}  // namespace preview::test
