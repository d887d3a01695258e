#include "preview/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "preview/gl_context.h"
#include "preview/gpu_mesh.h"
#include "preview/overlay.h"
#include "preview/scene_pose.h"
#include "preview/shading.h"

namespace preview {
namespace {

constexpr float kBackground[3] = {0.24f, 0.25f, 0.28f};

// One picture's cell of the drawing buffer, in buffer pixels (y from the bottom, as OpenGL has it).
struct Cell {
  View view;
  int x, y, width, height;
};

// Each side drawn at twice the size and averaged down, unless that exceeds what OSMesa draws.
int SupersampleFactor(int width, int height) {
  static const int maxSide = OffscreenContext::MaxSide();
  return 2 * std::max(width, height) <= maxSide ? 2 : 1;
}

// A round grid step (1, 2 or 5 times a power of ten) giving about ten lines across the model.
float GridStep(float extent) {
  float raw = extent / 10.0f;
  float power = std::pow(10.0f, std::floor(std::log10(raw)));
  for (float m : {1.0f, 2.0f, 5.0f}) {
    if (raw <= m * power) return m * power;
  }
  return 10.0f * power;
}

// Lines on the ground plane (the bottom of the bounding box) around the model's centre.
std::vector<Vec3> GridLines(const Bounds& bounds) {
  Vec3 center = bounds.Empty() ? Vec3{} : bounds.Center();
  Vec3 size = bounds.Empty() ? Vec3{2, 2, 2} : bounds.Size();
  float extent = std::max({size.x, size.z, size.y * 0.5f, 1e-3f}) * 1.6f;
  float step = GridStep(extent);
  int half = static_cast<int>(std::ceil(extent / step / 2));
  float ground = bounds.Empty() ? 0.0f : bounds.min.y;
  float cx = std::round(center.x / step) * step, cz = std::round(center.z / step) * step;
  float reach = half * step;
  std::vector<Vec3> lines;
  for (int i = -half; i <= half; ++i) {
    float offset = i * step;
    lines.push_back({cx + offset, ground, cz - reach});
    lines.push_back({cx + offset, ground, cz + reach});
    lines.push_back({cx - reach, ground, cz + offset});
    lines.push_back({cx + reach, ground, cz + offset});
  }
  return lines;
}

std::string FormatLength(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", static_cast<double>(value));
  return text;
}

// A mesh instance to draw: the uploaded mesh and where it goes.
struct Placed {
  const GpuMesh* mesh;
  const Mat4* world;
};

class Renderer {
 public:
  Renderer(const PreviewScene& scene, const RenderOptions& options,
           std::vector<std::string>& warnings)
      : scene_(scene), options_(options), warnings_(warnings) {
    posed_ = PoseScene(scene, options.time);
  }

  Image Render() {
    int factor = SupersampleFactor(options_.width, options_.height);
    OffscreenContext context(options_.width * factor, options_.height * factor);
    ShadingProgram program;
    program.Use();
    TextureCache textures;
    // Each mesh uploaded once (and each skinning of its own), in the order of first use.
    std::vector<std::unique_ptr<GpuMesh>> meshes(scene_.meshes.size());
    std::vector<std::unique_ptr<GpuMesh>> ownSkins(posed_.ownSkins.size());
    std::vector<Placed> placed;
    for (std::size_t i = 0; i < scene_.instances.size(); ++i) {
      std::size_t m = scene_.instances[i].mesh;
      const PreviewMesh& mesh = scene_.meshes[m];
      if (mesh.indices.empty()) continue;
      const PosedInstance& instance = posed_.instances[i];
      bool own = instance.ownSkin >= 0;
      std::unique_ptr<GpuMesh>& gpu =
          own ? ownSkins[static_cast<std::size_t>(instance.ownSkin)] : meshes[m];
      if (!gpu) {
        const PosedMesh& pose =
            own ? posed_.ownSkins[static_cast<std::size_t>(instance.ownSkin)] : posed_.meshes[m];
        gpu = std::make_unique<GpuMesh>(mesh, pose, textures, warnings_);
      }
      placed.push_back({gpu.get(), &instance.world});
    }
    std::vector<Vec3> gridLines = GridLines(posed_.bounds);
    GLuint grid = 0;
    glGenBuffers(1, &grid);
    glBindBuffer(GL_ARRAY_BUFFER, grid);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(gridLines.size() * sizeof(Vec3)),
                 gridLines.data(), GL_STATIC_DRAW);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);  // DirectX's front faces are clockwise on screen
    glCullFace(GL_BACK);
    // Sheet cells may leave a strip at the right or bottom edge; it gets the background too.
    glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    std::vector<Cell> cells = Cells(context.width(), context.height());
    for (const Cell& cell : cells) {
      DrawCell(cell, program, placed, grid, gridLines.size());
    }
    glDeleteBuffers(1, &grid);
    Image image = Downsample(context.Pixels().data(), context.width(), context.height(), factor);
    Label(image, cells, factor);
    return image;
  }

 private:
  void DrawCell(const Cell& cell, const ShadingProgram& program, const std::vector<Placed>& placed,
                GLuint grid, std::size_t gridVertices) const {
    glViewport(cell.x, cell.y, cell.width, cell.height);
    glScissor(cell.x, cell.y, cell.width, cell.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Camera camera = FrameCamera(posed_.bounds, cell.view,
                                static_cast<float>(cell.width) / static_cast<float>(cell.height));
    // The light sits above the camera and a little to its left, so a box's faces read apart.
    Vec3 toLight = Normalize(camera.up * 0.8f - camera.forward - camera.right * 0.1f);
    program.SetCamera(camera.viewProjection, camera.eye, toLight);
    if (options_.grid) DrawGrid(program, grid, gridVertices);
    if (options_.wire) {
      glEnable(GL_POLYGON_OFFSET_FILL);
      glPolygonOffset(1.0f, 1.0f);
    }
    for (const Placed& p : placed) p.mesh->Draw(program, *p.world, false);
    if (options_.wire) {
      glDisable(GL_POLYGON_OFFSET_FILL);
      glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
      program.SetFlatColor(0.08f, 0.08f, 0.1f);
      for (const Placed& p : placed) p.mesh->Draw(program, *p.world, true);
      glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
  }

  std::vector<Cell> Cells(int width, int height) const {
    if (!options_.sheet) return {{options_.view, 0, 0, width, height}};
    std::vector<Cell> cells;
    int cellWidth = width / 3, cellHeight = height / 2;
    const std::vector<View>& views = SheetViews();
    for (std::size_t i = 0; i < views.size(); ++i) {
      int column = static_cast<int>(i % 3), row = static_cast<int>(i / 3);
      cells.push_back(
          {views[i], column * cellWidth, height - (row + 1) * cellHeight, cellWidth, cellHeight});
    }
    return cells;
  }

  void DrawGrid(const ShadingProgram& program, GLuint grid, std::size_t count) const {
    program.SetWorld(Mat4{});
    program.SetFlatColor(0.42f, 0.44f, 0.48f);
    glBindBuffer(GL_ARRAY_BUFFER, grid);
    glEnableVertexAttribArray(kPosition);
    glVertexAttribPointer(kPosition, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    for (GLuint attribute : {kNormal, kTexcoord, kColor}) glDisableVertexAttribArray(attribute);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(count));
  }

  void Label(Image& image, const std::vector<Cell>& cells, int factor) const {
    int scale = std::max(1, std::min(image.width, image.height) / 300);
    std::string size;
    if (posed_.triangles == 0) {
      size = "empty scene";
    } else {
      Vec3 s = posed_.bounds.Size();
      size = "size " + FormatLength(s.x) + " x " + FormatLength(s.y) + " x " + FormatLength(s.z);
    }
    auto [width, height] = LabelSize(size, scale);
    DrawLabel(image, image.width - width - 6 * scale, image.height - height - 6 * scale, size,
              scale);
    if (!options_.sheet) return;
    for (const Cell& cell : cells) {
      int top = image.height - (cell.y + cell.height) / factor;
      DrawLabel(image, cell.x / factor + 4 * scale, top + 4 * scale, ViewName(cell.view), scale);
    }
  }

  const PreviewScene& scene_;
  const RenderOptions& options_;
  std::vector<std::string>& warnings_;
  PosedScene posed_;
};

}  // namespace

const std::vector<View>& SheetViews() {
  static const std::vector<View> views = {View::Front, View::Back, View::Left,
                                          View::Right, View::Top,  View::Iso};
  return views;
}

Camera CameraFor(const PreviewScene& scene, const RenderOptions& options, View view, int width,
                 int height) {
  PosedScene posed = PoseScene(scene, options.time);
  return FrameCamera(posed.bounds, view, static_cast<float>(width) / static_cast<float>(height));
}

Image RenderScene(const PreviewScene& scene, const RenderOptions& options,
                  std::vector<std::string>& warnings) {
  Renderer renderer(scene, options, warnings);
  Image image = renderer.Render();
  std::size_t triangles = 0;
  for (const PreviewMesh& mesh : scene.meshes) triangles += mesh.indices.size() / 3;
  if (triangles == 0)
    warnings.push_back("the file holds no triangles to draw; only the grid is drawn");
  return image;
}

}  // namespace preview
