// A node's objects: its base object, the derived objects stacked on it and the world-space derived
// object above them all. Scenes describe them as plain values (ObjectDescription,
// ModifierDescription, PipelineDescription), so that a builder can make a fresh, independent set
// for every scene it builds.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "host/mesh.h"
#include "host/sim/sim_derived_object.h"
#include "host/sim/sim_objects.h"
#include "host/super_class_ids.h"

namespace sim {

struct ObjectDescription {
  SClass_ID superClass = GEOMOBJECT_CLASS_ID;
  Class_ID classId;
  // A triangle-mesh object (class TRIOBJ_CLASS_ID) holding `mesh`, rather than an object that
  // converts to one.
  bool triObject = false;
  // What the object converts to; none for an object that cannot convert.
  std::optional<Mesh> mesh{};
  // A patch object (class PATCHOBJ_CLASS_ID) holding these patches; it converts through the
  // host core's tessellation and `mesh` is not used.
  std::optional<PatchMesh> patches{};
};

struct ModifierDescription {
  Class_ID classId;
  SClass_ID superClass = OSM_CLASS_ID;
  bool enabled = true;
  Point3 displacement{};
  // The skinning data of a Skin or Physique modifier; none answers no skinning interface.
  std::shared_ptr<const SkinDescription> skin{};
  std::shared_ptr<const PhysiqueDescription> physique{};
};

struct PipelineDescription {
  std::optional<ObjectDescription> base;
  // Object-space derived objects from the bottom up, each with its modifiers from the bottom up.
  std::vector<std::vector<ModifierDescription>> derivedObjects;
  // From the bottom up; a world-space derived object exists when there is at least one.
  std::vector<ModifierDescription> worldSpaceModifiers;

  bool Empty() const { return !base && derivedObjects.empty() && worldSpaceModifiers.empty(); }
};

class SimObjectPipeline {
 public:
  // The description's meshes and patches are moved into the objects: pass a copy to keep them.
  explicit SimObjectPipeline(PipelineDescription description);
  SimObjectPipeline(const SimObjectPipeline&) = delete;
  SimObjectPipeline& operator=(const SimObjectPipeline&) = delete;

  // The top of the object-space stack: the topmost derived object, else the base object; null
  // when the node has neither.
  Object* ObjectRef() const;
  // The world-space derived object when there is one, else ObjectRef().
  Object* ObjOrWSMRef() const;
  Object* Base() const { return base_.get(); }
  // Resolves the bones of every Skin and Physique modifier of the stack.
  void BindBones(const NodeResolver& resolve);

 private:
  std::unique_ptr<Object> base_;
  // Bottom first; each holds a pointer to the one below.
  std::vector<std::unique_ptr<SimDerivedObject>> derivedObjects_;
  std::unique_ptr<SimDerivedObject> worldSpace_;
};

}  // namespace sim
