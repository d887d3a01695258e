// Scenes made in code, for tests and for scenes bundled in the host application:
//
//   SceneBuilder b;
//   b.FrameRate(30).AnimationFrames(0, 50);
//   NodeBuilder& box = b.Root().AddChild(L"Box01").Translate({10, 20, 30}).Hidden();
//   box.AddChild(L"Lid").Rotate({0, 0, 90});
//   box.Box(20, 20, 10).Modifier(kDisplaceModifierClass, true, {0, 0, 5}).Pivot({0, 0, -5});
//   b.Root().AddChild(L"Sign").WireColor(0, 128, 255).TriMesh(MakeMesh(...));  // mesh_builder.h
//   box.Material(StandardMaterial(L"Wood").Map(kDiffuseSlot, BitmapTexture(L"wood.jpg")));
//   std::unique_ptr<SimScene> scene = b.Build();
//
// The builder only describes the scene; Build makes a fresh, independent scene each time it is
// called.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/sim/material_builder.h"
#include "host/sim/material_instancer.h"
#include "host/sim/sim_app_settings.h"
#include "host/sim/sim_classes.h"
#include "host/sim/sim_controllers.h"
#include "host/sim/sim_object_pipeline.h"
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
  // The wire colour, as bytes or packed 0x00BBGGRR; kDefaultWireColor when not given.
  NodeBuilder& WireColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  NodeBuilder& WireColor(DWORD packed);

  // Parts of a local transform composed as scale, rotation (X, Y, Z, degrees), translation.
  NodeBuilder& Translate(const Point3& offset);
  NodeBuilder& Rotate(const Point3& degrees);
  NodeBuilder& Scale(const Point3& factors);
  // A local matrix given outright. Whichever of the matrix and the parts was set last decides.
  NodeBuilder& Transform(const Matrix3& local);

  // The local transform the node will get.
  Matrix3 LocalTransform() const;

  // The node's object. Each call replaces the object given before; modifiers stay. A node given
  // none has no object (GetObjectRef answers null).
  // An editable mesh: a triangle-mesh object holding `mesh`.
  NodeBuilder& TriMesh(Mesh mesh);
  // Parametric geometry converting to a new triangle-mesh object (see mesh_primitives.h).
  NodeBuilder& Box(float length, float width, float height);
  NodeBuilder& Sphere(float radius, int segments = 16);
  // An object of any class; a convertible one converts to a unit box (MakeBoxMesh(1, 1, 1)).
  NodeBuilder& Custom(SClass_ID superClass, Class_ID classId, bool convertible = false);
  NodeBuilder& SetObject(ObjectDescription object);
  // The host's classes: a dummy helper; a bone (kBoneClass or one of the other bone classes) and a
  // biped, both convertible geometry; a target, geometry that does not convert.
  NodeBuilder& Dummy();
  NodeBuilder& Bone(Class_ID boneClass = kBoneClass);
  NodeBuilder& Biped();
  NodeBuilder& Target();

  // The modifier stack, written from the bottom up in the order the host applies it. Modifier puts
  // an object-space modifier on top of the newest derived object, starting one when there is none;
  // DerivedObject starts a new, empty derived object above the others. So
  //   .Box(1, 1, 1).Modifier(kDisplaceModifierClass).DerivedObject().Modifier(kSkinModifierClass)
  // stacks box <- [displace] <- [skin], and GetObjectRef answers the derived object of the skin.
  NodeBuilder& Modifier(Class_ID classId, bool enabled = true, const Point3& displacement = {});
  // A Skin or Physique modifier with its skinning data, stacked as Modifier stacks; its bones are
  // other NodeBuilders of the same scene builder.
  NodeBuilder& Skin(SkinDescription skin, bool enabled = true);
  NodeBuilder& Physique(PhysiqueDescription physique, bool enabled = true);
  NodeBuilder& Modifier(ModifierDescription modifier);
  // A patch object holding `patches` (host/patch.h).
  NodeBuilder& Patch(PatchMesh patches);
  NodeBuilder& DerivedObject();
  // A world-space modifier on top of the node's world-space derived object, which the first call
  // creates above the object-space stack.
  NodeBuilder& WorldSpaceModifier(Class_ID classId, bool enabled = true,
                                  const Point3& displacement = {});

  // The object offset (pivot), applied to the object before the node transform.
  NodeBuilder& Pivot(const Matrix3& offset);
  NodeBuilder& Pivot(const Point3& offset);
  // The class of the node's transform controller; a node given none has no controller.
  NodeBuilder& Controller(Class_ID classId);
  // Keys of the parts of a position-rotation-scale controller (times in ticks); each gives the
  // node that controller. The parts without keys hold what the local transform decomposes into.
  NodeBuilder& PositionKeys(Point3TrackDescription track);
  NodeBuilder& RotationKeys(RotationTrackDescription track);
  NodeBuilder& ScaleKeys(Point3TrackDescription track);
  // The node's material (material_builder.h); nullptr for none. Nodes given the same builder (or
  // copies of it) share one material object.
  NodeBuilder& Material(const MaterialBuilder& material);

 private:
  friend class SceneBuilder;
  // `spend`: the node's objects take its meshes over instead of copying them.
  std::unique_ptr<SimNode> Make(bool isRoot, MaterialInstancer& materials,
                                std::map<const NodeBuilder*, SimNode*>& built, bool spend);

  std::wstring name_;
  bool hidden_ = false;
  bool selected_ = false;
  bool renderable_ = true;
  DWORD wireColor_ = kDefaultWireColor;
  Point3 translate_;
  Point3 rotateDegrees_;
  Point3 scale_{1, 1, 1};
  std::optional<Matrix3> matrix_;
  PipelineDescription objects_;
  Matrix3 pivot_;
  std::optional<Class_ID> controller_;
  std::optional<Point3TrackDescription> positionKeys_;
  std::optional<RotationTrackDescription> rotationKeys_;
  std::optional<Point3TrackDescription> scaleKeys_;
  MaterialDescriptionRef material_;
  std::vector<std::unique_ptr<NodeBuilder>> children_;
};

class SceneBuilder {
 public:
  SceneBuilder();

  // The scene root; its children are the scene's top-level nodes.
  NodeBuilder& Root() { return *root_; }

  SceneBuilder& FrameRate(int framesPerSecond);
  SceneBuilder& TicksPerFrame(int ticks);
  int TicksPerFrameSetting() const { return settings_.ticksPerFrame; }
  // The animation range in frames, turned into ticks at Build with the ticks per frame then set.
  SceneBuilder& AnimationFrames(int startFrame, int endFrame);
  SceneBuilder& AnimationTicks(TimeValue start, TimeValue end);
  // Paths in host form ('\'-separated), handed to the exporter as they are.
  SceneBuilder& SceneFile(std::wstring hostPath);
  SceneBuilder& Folder(int which, std::wstring hostPath);

  std::unique_ptr<SimScene> Build() const&;
  // The same, handing the builder's meshes to the scene instead of copying them (a model's meshes
  // are large): the builder is spent.
  std::unique_ptr<SimScene> Build() &&;

 private:
  std::unique_ptr<SimScene> Make(bool spend) const;

  SimAppSettings settings_;
  // Set when the range was given in frames.
  std::optional<std::pair<int, int>> rangeFrames_{std::pair{0, 100}};
  std::unique_ptr<NodeBuilder> root_;
};

}  // namespace sim
