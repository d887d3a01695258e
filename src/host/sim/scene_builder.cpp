#include "host/sim/scene_builder.h"

#include <algorithm>
#include <cstdint>

#include "host/sim/mesh_primitives.h"

namespace sim {

NodeBuilder& NodeBuilder::AddChild(std::wstring name) {
  children_.push_back(std::make_unique<NodeBuilder>(std::move(name)));
  return *children_.back();
}

NodeBuilder& NodeBuilder::Name(std::wstring name) {
  name_ = std::move(name);
  return *this;
}

NodeBuilder& NodeBuilder::Hidden(bool hidden) {
  hidden_ = hidden;
  return *this;
}

NodeBuilder& NodeBuilder::Selected(bool selected) {
  selected_ = selected;
  return *this;
}

NodeBuilder& NodeBuilder::Renderable(bool renderable) {
  renderable_ = renderable;
  return *this;
}

NodeBuilder& NodeBuilder::WireColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return WireColor(static_cast<DWORD>(red) | static_cast<DWORD>(green) << 8 |
                   static_cast<DWORD>(blue) << 16);
}

NodeBuilder& NodeBuilder::WireColor(DWORD packed) {
  wireColor_ = packed;
  return *this;
}

NodeBuilder& NodeBuilder::Translate(const Point3& offset) {
  translate_ = offset;
  matrix_.reset();
  return *this;
}

NodeBuilder& NodeBuilder::Rotate(const Point3& degrees) {
  rotateDegrees_ = degrees;
  matrix_.reset();
  return *this;
}

NodeBuilder& NodeBuilder::Scale(const Point3& factors) {
  scale_ = factors;
  matrix_.reset();
  return *this;
}

NodeBuilder& NodeBuilder::Transform(const Matrix3& local) {
  matrix_ = local;
  translate_ = rotateDegrees_ = Point3();
  scale_ = Point3(1, 1, 1);
  return *this;
}

Matrix3 NodeBuilder::LocalTransform() const {
  return matrix_ ? *matrix_ : ComposeTransform(translate_, rotateDegrees_, scale_);
}

NodeBuilder& NodeBuilder::TriMesh(Mesh mesh) {
  return SetObject({.classId = TRIOBJ_CLASS_ID, .triObject = true, .mesh = std::move(mesh)});
}

NodeBuilder& NodeBuilder::Box(float length, float width, float height) {
  return SetObject({.classId = kBoxClass, .mesh = MakeBoxMesh(length, width, height)});
}

NodeBuilder& NodeBuilder::Sphere(float radius, int segments) {
  return SetObject({.classId = kSphereClass, .mesh = MakeSphereMesh(radius, segments)});
}

NodeBuilder& NodeBuilder::Custom(SClass_ID superClass, Class_ID classId, bool convertible) {
  ObjectDescription object;
  object.superClass = superClass;
  object.classId = classId;
  if (convertible) object.mesh = MakeBoxMesh(1, 1, 1);
  return SetObject(std::move(object));
}

NodeBuilder& NodeBuilder::SetObject(ObjectDescription object) {
  objects_.base = std::move(object);
  return *this;
}

NodeBuilder& NodeBuilder::Dummy() { return Custom(HELPER_CLASS_ID, kDummyClass); }

NodeBuilder& NodeBuilder::Bone(Class_ID boneClass) {
  return Custom(GEOMOBJECT_CLASS_ID, boneClass, true);
}

NodeBuilder& NodeBuilder::Biped() { return Custom(GEOMOBJECT_CLASS_ID, kBipedClass, true); }

NodeBuilder& NodeBuilder::Target() { return Custom(GEOMOBJECT_CLASS_ID, kTargetClass); }

NodeBuilder& NodeBuilder::Modifier(Class_ID classId, bool enabled, const Point3& displacement) {
  if (objects_.derivedObjects.empty()) objects_.derivedObjects.emplace_back();
  objects_.derivedObjects.back().push_back({classId, OSM_CLASS_ID, enabled, displacement});
  return *this;
}

NodeBuilder& NodeBuilder::Modifier(ModifierDescription modifier) {
  if (objects_.derivedObjects.empty()) objects_.derivedObjects.emplace_back();
  objects_.derivedObjects.back().push_back(std::move(modifier));
  return *this;
}

NodeBuilder& NodeBuilder::Skin(SkinDescription skin, bool enabled) {
  ModifierDescription modifier{.classId = kSkinModifierClass, .enabled = enabled};
  modifier.skin = std::make_shared<const SkinDescription>(std::move(skin));
  return Modifier(std::move(modifier));
}

NodeBuilder& NodeBuilder::Physique(PhysiqueDescription physique, bool enabled) {
  ModifierDescription modifier{.classId = kPhysiqueModifierClass, .enabled = enabled};
  modifier.physique = std::make_shared<const PhysiqueDescription>(std::move(physique));
  return Modifier(std::move(modifier));
}

NodeBuilder& NodeBuilder::Patch(PatchMesh patches) {
  return SetObject({.classId = kPatchClass, .patches = std::move(patches)});
}

NodeBuilder& NodeBuilder::DerivedObject() {
  objects_.derivedObjects.emplace_back();
  return *this;
}

NodeBuilder& NodeBuilder::WorldSpaceModifier(Class_ID classId, bool enabled,
                                             const Point3& displacement) {
  objects_.worldSpaceModifiers.push_back({classId, WSM_CLASS_ID, enabled, displacement});
  return *this;
}

NodeBuilder& NodeBuilder::Pivot(const Matrix3& offset) {
  pivot_ = offset;
  return *this;
}

NodeBuilder& NodeBuilder::Pivot(const Point3& offset) { return Pivot(TransMatrix(offset)); }

NodeBuilder& NodeBuilder::Controller(Class_ID classId) {
  controller_ = classId;
  return *this;
}

NodeBuilder& NodeBuilder::PositionKeys(Point3TrackDescription track) {
  positionKeys_ = std::move(track);
  return Controller(kTransformControllerClass);
}

NodeBuilder& NodeBuilder::RotationKeys(RotationTrackDescription track) {
  rotationKeys_ = std::move(track);
  return Controller(kTransformControllerClass);
}

NodeBuilder& NodeBuilder::ScaleKeys(Point3TrackDescription track) {
  scaleKeys_ = std::move(track);
  return Controller(kTransformControllerClass);
}

NodeBuilder& NodeBuilder::Material(const MaterialBuilder& material) {
  material_ = material.Description();
  return *this;
}

std::unique_ptr<SimNode> NodeBuilder::Make(bool isRoot, MaterialInstancer& materials,
                                           std::map<const NodeBuilder*, SimNode*>& built,
                                           bool spend) {
  auto node = std::make_unique<SimNode>(name_, isRoot);
  node->SetHidden(hidden_);
  node->SetSelected(selected_);
  node->SetRenderable(renderable_);
  node->SetWireColor(wireColor_);
  node->SetTransform(SimTransformTrack(LocalTransform()));
  node->SetObjectOffset(pivot_);
  if (!objects_.Empty()) {
    node->SetObjects(std::make_unique<SimObjectPipeline>(spend ? std::move(objects_)
                                                               : PipelineDescription(objects_)));
  }
  if (controller_ == kTransformControllerClass) {
    node->SetTMController(
        MakeTransformControl(LocalTransform(), positionKeys_, rotationKeys_, scaleKeys_));
  } else if (controller_) {
    node->SetTMController(std::make_unique<SimControl>(*controller_));
  }
  node->SetMtl(materials.Material(material_));
  built[this] = node.get();
  for (const auto& child : children_) node->AddChild(child->Make(false, materials, built, spend));
  return node;
}

SceneBuilder::SceneBuilder() : root_(std::make_unique<NodeBuilder>(L"Scene Root")) {}

SceneBuilder& SceneBuilder::FrameRate(int framesPerSecond) {
  settings_.frameRate = framesPerSecond;
  return *this;
}

SceneBuilder& SceneBuilder::TicksPerFrame(int ticks) {
  settings_.ticksPerFrame = ticks;
  return *this;
}

SceneBuilder& SceneBuilder::AnimationFrames(int startFrame, int endFrame) {
  rangeFrames_ = std::pair{startFrame, endFrame};
  return *this;
}

SceneBuilder& SceneBuilder::AnimationTicks(TimeValue start, TimeValue end) {
  rangeFrames_.reset();
  settings_.animRange = Interval(start, end);
  return *this;
}

SceneBuilder& SceneBuilder::SceneFile(std::wstring hostPath) {
  settings_.sceneFilePath = std::move(hostPath);
  return *this;
}

SceneBuilder& SceneBuilder::Folder(int which, std::wstring hostPath) {
  settings_.folders[which] = std::move(hostPath);
  return *this;
}

std::unique_ptr<SimScene> SceneBuilder::Build() const& { return Make(false); }

std::unique_ptr<SimScene> SceneBuilder::Build() && { return Make(true); }

std::unique_ptr<SimScene> SceneBuilder::Make(bool spend) const {
  SimAppSettings settings = settings_;
  if (rangeFrames_) {
    // Widened first: a range given in code must not wrap around silently.
    auto ticks = [&](int frame) {
      long long t = static_cast<long long>(frame) * settings.ticksPerFrame;
      return static_cast<TimeValue>(std::clamp<long long>(t, INT32_MIN, INT32_MAX));
    };
    settings.animRange = Interval(ticks(rangeFrames_->first), ticks(rangeFrames_->second));
  }
  auto library = std::make_unique<SimMaterialLibrary>();
  MaterialInstancer materials(*library);
  std::map<const NodeBuilder*, SimNode*> built;
  std::unique_ptr<SimNode> root = root_->Make(true, materials, built, spend);
  NodeResolver resolve = [&built](const NodeBuilder* builder) -> INode* {
    auto found = built.find(builder);
    return found == built.end() ? nullptr : found->second;
  };
  for (const auto& [builder, node] : built) {
    if (node->Objects()) node->Objects()->BindBones(resolve);
  }
  return std::make_unique<SimScene>(std::move(settings), std::move(root), std::move(library));
}

}  // namespace sim
