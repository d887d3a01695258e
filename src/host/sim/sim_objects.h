// Base objects, modifiers and controllers of the in-memory host. The scene owns every one of them;
// only the objects a conversion hands out belong to the caller (released with DeleteMe).
#pragma once

#include <memory>
#include <optional>

#include "host/control.h"
#include "host/mesh.h"
#include "host/object.h"
#include "host/patch.h"
#include "host/sim/sim_controllers.h"
#include "host/sim/sim_skin.h"
#include "host/tri_object.h"

namespace sim {

// The triangle-mesh object: an editable mesh. It is its own evaluation and its own conversion.
class SimTriObject : public TriObject {
 public:
  explicit SimTriObject(Mesh mesh = {}) : mesh_(std::move(mesh)) {}

  Class_ID ClassID() override;
  SClass_ID SuperClassID() override;
  ObjectState Eval(TimeValue) override { return {this}; }
  // The mesh's vertices; an index out of range answers the origin.
  int NumPoints() override { return mesh_.getNumVerts(); }
  Point3 GetPoint(int i) override;
  int CanConvertToType(Class_ID type) override;
  Object* ConvertToType(TimeValue t, Class_ID type) override;
  Mesh& GetMesh() override { return mesh_; }

 private:
  Mesh mesh_;
};

// Every other base object: parametric geometry, helpers, bones, shapes, or any class a scene
// names. One that has a mesh converts to a triangle-mesh object, a new one on every conversion, as
// the host's parametric objects do; one without refuses conversion and has no points.
class SimObject : public Object {
 public:
  SimObject(SClass_ID superClass, Class_ID classId, std::optional<Mesh> mesh = std::nullopt)
      : superClass_(superClass), classId_(classId), mesh_(std::move(mesh)) {}

  Class_ID ClassID() override { return classId_; }
  SClass_ID SuperClassID() override { return superClass_; }
  ObjectState Eval(TimeValue) override { return {this}; }
  int NumPoints() override { return mesh_ ? mesh_->getNumVerts() : 0; }
  Point3 GetPoint(int i) override;
  int CanConvertToType(Class_ID type) override;
  Object* ConvertToType(TimeValue t, Class_ID type) override;

  // The mesh the object converts to; empty for an object that cannot convert.
  const std::optional<Mesh>& ConvertibleMesh() const { return mesh_; }

 private:
  SClass_ID superClass_;
  Class_ID classId_;
  std::optional<Mesh> mesh_;
};

// A modifier of either space (OSM_CLASS_ID or WSM_CLASS_ID). Whatever its class, it moves every
// point of the object it modifies by `displacement` while it is enabled; the zero vector leaves
// the object as it is. A Skin or Physique modifier given skinning data answers its interface
// (I_SKIN, I_PHYINTERFACE) once the scene has bound its bones to nodes; one without answers none.
class SimModifier : public Modifier {
 public:
  SimModifier(Class_ID classId, SClass_ID superClass, bool enabled, const Point3& displacement,
              std::shared_ptr<const SkinDescription> skin = nullptr,
              std::shared_ptr<const PhysiqueDescription> physique = nullptr);

  Class_ID ClassID() override { return classId_; }
  SClass_ID SuperClassID() override { return superClass_; }
  void* GetInterface(DWORD id) override;
  using Modifier::GetInterface;
  const Point3& Displacement() const { return displacement_; }

  // Turns the description's bones into the scene's nodes and makes the interfaces.
  void BindBones(const NodeResolver& resolve);
  SimSkin* Skin() const { return skin_.get(); }
  SimPhysique* Physique() const { return physique_.get(); }

 private:
  Class_ID classId_;
  SClass_ID superClass_;
  Point3 displacement_;
  std::shared_ptr<const SkinDescription> skinDescription_;
  std::shared_ptr<const PhysiqueDescription> physiqueDescription_;
  std::unique_ptr<SimSkin> skin_;
  std::unique_ptr<SimPhysique> physique_;
};

// A patch object: its patch mesh, whose vertices are the object's points. It converts to a new
// triangle-mesh object through the host core's patch tessellation.
class SimPatchObject : public PatchObject {
 public:
  explicit SimPatchObject(PatchMesh patches) : patches_(std::move(patches)) {}

  Class_ID ClassID() override { return PATCHOBJ_CLASS_ID; }
  SClass_ID SuperClassID() override;
  ObjectState Eval(TimeValue) override { return {this}; }
  int NumPoints() override { return patches_.getNumVerts(); }
  Point3 GetPoint(int i) override;
  int CanConvertToType(Class_ID type) override;
  Object* ConvertToType(TimeValue t, Class_ID type) override;
  PatchMesh& GetPatchMesh() override { return patches_; }

 private:
  PatchMesh patches_;
};

// A copy of `object` with every point moved by `offset`, of the same kind and class; null for an
// object that is not one of this host's base objects.
std::unique_ptr<Object> DisplacedCopy(Object& object, const Point3& offset);

}  // namespace sim
