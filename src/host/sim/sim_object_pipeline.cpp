#include "host/sim/sim_object_pipeline.h"

#include "host/sim/sim_classes.h"

namespace sim {

namespace {

std::unique_ptr<Object> MakeBase(ObjectDescription& description) {
  if (description.patches) return std::make_unique<SimPatchObject>(std::move(*description.patches));
  if (description.triObject) {
    return std::make_unique<SimTriObject>(description.mesh ? std::move(*description.mesh) : Mesh());
  }
  return std::make_unique<SimObject>(description.superClass, description.classId,
                                     std::move(description.mesh));
}

std::unique_ptr<SimDerivedObject> MakeDerived(Class_ID classId, Object* input,
                                              const std::vector<ModifierDescription>& modifiers) {
  auto derived = std::make_unique<SimDerivedObject>(classId, input);
  for (const ModifierDescription& m : modifiers) {
    derived->AddModifierOnTop(std::make_unique<SimModifier>(m.classId, m.superClass, m.enabled,
                                                            m.displacement, m.skin, m.physique));
  }
  return derived;
}

}  // namespace

SimObjectPipeline::SimObjectPipeline(PipelineDescription description) {
  if (description.base) base_ = MakeBase(*description.base);
  Object* top = base_.get();
  for (const auto& modifiers : description.derivedObjects) {
    derivedObjects_.push_back(MakeDerived(kObjectSpaceDerivedClass, top, modifiers));
    top = derivedObjects_.back().get();
  }
  if (!description.worldSpaceModifiers.empty()) {
    worldSpace_ = MakeDerived(WSM_DERIVOB_CLASS_ID, top, description.worldSpaceModifiers);
  }
}

void SimObjectPipeline::BindBones(const NodeResolver& resolve) {
  for (const auto& derived : derivedObjects_) {
    for (int i = 0; i < derived->NumModifiers(); ++i) {
      if (auto* modifier = dynamic_cast<SimModifier*>(derived->GetModifier(i)))
        modifier->BindBones(resolve);
    }
  }
}

Object* SimObjectPipeline::ObjectRef() const {
  return derivedObjects_.empty() ? base_.get() : derivedObjects_.back().get();
}

Object* SimObjectPipeline::ObjOrWSMRef() const {
  return worldSpace_ ? worldSpace_.get() : ObjectRef();
}

}  // namespace sim
