#include "host/sim/sim_derived_object.h"

#include "host/super_class_ids.h"
#include "host/tri_object.h"

namespace sim {

void SimDerivedObject::AddModifierOnTop(std::unique_ptr<SimModifier> modifier) {
  modifiers_.insert(modifiers_.begin(), std::move(modifier));
  RetireResult();
}

void SimDerivedObject::RetireResult() {
  std::erase_if(lockedResults_, [](const auto& kept) { return !kept->IsObjectLocked(); });
  if (result_ && result_->IsObjectLocked()) lockedResults_.push_back(std::move(result_));
  result_.reset();
}

Modifier* SimDerivedObject::GetModifier(int index) {
  if (index < 0 || index >= NumModifiers()) return nullptr;
  return modifiers_[static_cast<std::size_t>(index)].get();
}

SClass_ID SimDerivedObject::SuperClassID() { return GEN_DERIVOB_CLASS_ID; }

ObjectState SimDerivedObject::Eval(TimeValue t) {
  Object* below = input_ ? input_->Eval(t).obj : nullptr;
  if (!below) return {};
  Point3 offset;
  for (const auto& modifier : modifiers_) {
    if (modifier->IsEnabled()) offset += modifier->Displacement();
  }
  if (offset == Point3()) return {below};
  // The scene does not change over time, so a result serves until a modifier is switched or the
  // object below evaluates differently.
  if (!result_ || resultInput_ != below || resultOffset_ != offset) {
    RetireResult();
    result_ = DisplacedCopy(*below, offset);
    resultInput_ = below;
    resultOffset_ = offset;
  }
  return {result_ ? result_.get() : below};
}

int SimDerivedObject::NumPoints() {
  Object* evaluated = Eval(0).obj;
  return evaluated ? evaluated->NumPoints() : 0;
}

Point3 SimDerivedObject::GetPoint(int i) {
  Object* evaluated = Eval(0).obj;
  return evaluated ? evaluated->GetPoint(i) : Point3();
}

int SimDerivedObject::CanConvertToType(Class_ID type) {
  Object* evaluated = Eval(0).obj;
  return evaluated ? evaluated->CanConvertToType(type) : 0;
}

Object* SimDerivedObject::ConvertToType(TimeValue t, Class_ID type) {
  Object* evaluated = Eval(t).obj;
  if (!evaluated) return nullptr;
  Object* converted = evaluated->ConvertToType(t, type);
  if (converted != evaluated) return converted;
  // The evaluated object already is of the type; hand out a copy the caller may delete.
  if (auto* tri = dynamic_cast<TriObject*>(converted)) return new SimTriObject(tri->GetMesh());
  return nullptr;
}

Object* SimDerivedObject::FindBaseObject() {
  Object* object = input_;
  while (auto* derived = dynamic_cast<SimDerivedObject*>(object)) object = derived->input_;
  return object ? object->FindBaseObject() : nullptr;
}

}  // namespace sim
