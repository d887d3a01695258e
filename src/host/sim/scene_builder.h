// Scenes made in code, for tests and for scenes bundled in the host application:
//
//   SceneBuilder b;
//   b.FrameRate(30).AnimationFrames(0, 50);
//   NodeBuilder& box = b.Root().AddChild(L"Box01").Translate({10, 20, 30}).Hidden();
//   box.AddChild(L"Lid").Rotate({0, 0, 90});
//   std::unique_ptr<SimScene> scene = b.Build();
//
// The builder only describes the scene; Build makes a fresh, independent scene each time it is
// called.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/sim/sim_app_settings.h"
#include "host/sim/sim_scene.h"

namespace sim {

class NodeBuilder {
 public:
  explicit NodeBuilder(std::wstring name) : name_(std::move(name)) {}
  NodeBuilder(const NodeBuilder&) = delete;
  NodeBuilder& operator=(const NodeBuilder&) = delete;

  // Appends a child after the existing ones and returns it; the reference stays valid as long as
  // the builder lives.
  NodeBuilder& AddChild(std::wstring name);

  NodeBuilder& Name(std::wstring name);
  NodeBuilder& Hidden(bool hidden = true);
  NodeBuilder& Selected(bool selected = true);
  NodeBuilder& Renderable(bool renderable = true);

  // Parts of a local transform composed as scale, rotation (X, Y, Z, degrees), translation.
  NodeBuilder& Translate(const Point3& offset);
  NodeBuilder& Rotate(const Point3& degrees);
  NodeBuilder& Scale(const Point3& factors);
  // A local matrix given outright. Whichever of the matrix and the parts was set last decides.
  NodeBuilder& Transform(const Matrix3& local);

  // The local transform the node will get.
  Matrix3 LocalTransform() const;

 private:
  friend class SceneBuilder;
  std::unique_ptr<SimNode> Make(bool isRoot) const;

  std::wstring name_;
  bool hidden_ = false;
  bool selected_ = false;
  bool renderable_ = true;
  Point3 translate_;
  Point3 rotateDegrees_;
  Point3 scale_{1, 1, 1};
  std::optional<Matrix3> matrix_;
  std::vector<std::unique_ptr<NodeBuilder>> children_;
};

class SceneBuilder {
 public:
  SceneBuilder();

  // The scene root; its children are the scene's top-level nodes.
  NodeBuilder& Root() { return *root_; }

  SceneBuilder& FrameRate(int framesPerSecond);
  SceneBuilder& TicksPerFrame(int ticks);
  // The animation range in frames, turned into ticks at Build with the ticks per frame then set.
  SceneBuilder& AnimationFrames(int startFrame, int endFrame);
  SceneBuilder& AnimationTicks(TimeValue start, TimeValue end);
  // Paths in host form ('\'-separated), handed to the exporter as they are.
  SceneBuilder& SceneFile(std::wstring hostPath);
  SceneBuilder& Folder(int which, std::wstring hostPath);

  std::unique_ptr<SimScene> Build() const;

 private:
  SimAppSettings settings_;
  // Set when the range was given in frames.
  std::optional<std::pair<int, int>> rangeFrames_{std::pair{0, 100}};
  std::unique_ptr<NodeBuilder> root_;
};

}  // namespace sim
