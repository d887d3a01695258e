// Base objects, modifiers and controllers of the in-memory host. The scene owns every one of them;
// only the objects a conversion hands out belong to the caller (released with DeleteMe).
#pragma once

#include <memory>
#include <optional>

#include "host/control.h"
#include "host/mesh.h"
#include "host/object.h"
#include "host/sim/sim_controllers.h"
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
// the object as it is. Skin and Physique modifiers answer no skinning interface yet.
class SimModifier : public Modifier {
 public:
  SimModifier(Class_ID classId, SClass_ID superClass, bool enabled, const Point3& displacement);

  Class_ID ClassID() override { return classId_; }
  SClass_ID SuperClassID() override { return superClass_; }
  const Point3& Displacement() const { return displacement_; }

 private:
  Class_ID classId_;
  SClass_ID superClass_;
  Point3 displacement_;
};

// A copy of `object` with every point moved by `offset`, of the same kind and class; null for an
// object that is not one of this host's base objects.
std::unique_ptr<Object> DisplacedCopy(Object& object, const Point3& offset);

}  // namespace sim
