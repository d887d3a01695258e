#include "host/sim/sim_object_pipeline.h"

#include "host/sim/sim_classes.h"

namespace sim {

namespace {

std::unique_ptr<Object> MakeBase(const ObjectSpec& spec) {
  if (spec.triObject) return std::make_unique<SimTriObject>(spec.mesh.value_or(Mesh()));
  return std::make_unique<SimObject>(spec.superClass, spec.classId, spec.mesh);
}

std::unique_ptr<SimDerivedObject> MakeDerived(Class_ID classId, Object* input,
                                              const std::vector<ModifierSpec>& modifiers) {
  auto derived = std::make_unique<SimDerivedObject>(classId, input);
  for (const ModifierSpec& m : modifiers) {
    derived->AddModifierOnTop(
        std::make_unique<SimModifier>(m.classId, m.superClass, m.enabled, m.displacement));
  }
  return derived;
}

}  // namespace

SimObjectPipeline::SimObjectPipeline(const PipelineSpec& spec) {
  if (spec.base) base_ = MakeBase(*spec.base);
  Object* top = base_.get();
  for (const auto& modifiers : spec.derivedObjects) {
    derivedObjects_.push_back(MakeDerived(kObjectSpaceDerivedClass, top, modifiers));
    top = derivedObjects_.back().get();
  }
  if (!spec.worldSpaceModifiers.empty()) {
    worldSpace_ = MakeDerived(WSM_DERIVOB_CLASS_ID, top, spec.worldSpaceModifiers);
  }
}

Object* SimObjectPipeline::ObjectRef() const {
  return derivedObjects_.empty() ? base_.get() : derivedObjects_.back().get();
}

Object* SimObjectPipeline::ObjOrWSMRef() const {
  return worldSpace_ ? worldSpace_.get() : ObjectRef();
}

}  // namespace sim
