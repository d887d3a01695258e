// Draws a preview scene off screen as a DirectX application would show it: the file's own
// matrices, left-handed coordinates, clockwise front faces with back faces culled (a face wound
// the wrong way is a hole), per-pixel lighting, textures and vertex colours; a ground grid under
// the model and the bounding box size in the corner.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "preview/camera.h"
#include "preview/image.h"
#include "preview/preview_scene.h"

namespace preview {

struct RenderOptions {
  int width = 800;
  int height = 600;
  View view = View::ThreeQuarter;
  std::optional<double> time;  // ticks; the frames' own matrices without it
  bool grid = true;
  bool wire = false;
  bool sheet = false;  // six views (front, back, left, right, top, iso) on one picture
};

// The views a contact sheet shows, in reading order (three across, two down).
const std::vector<View>& SheetViews();

// The camera the renderer uses for a picture (or sheet cell) of this size, so callers can find
// where a world point lands.
Camera CameraFor(const PreviewScene& scene, const RenderOptions& options, View view, int width,
                 int height);

// Adds to `warnings` what the picture cannot show as the file asks (a texture that does not
// decode, an empty scene). Throws RenderError when no off-screen context can be made.
Image RenderScene(const PreviewScene& scene, const RenderOptions& options,
                  std::vector<std::string>& warnings);

}  // namespace preview
