// A derived object of the in-memory host: an ordered list of modifiers applied to the object
// below it. Modifier 0 is the topmost, as in the host. The derived object owns its modifiers and
// the result of its evaluation, not the object below.
#pragma once

#include <memory>
#include <vector>

#include "host/object.h"
#include "host/sim/sim_objects.h"

namespace sim {

class SimDerivedObject : public IDerivedObject {
 public:
  // `classId` is kObjectSpaceDerivedClass or WSM_DERIVOB_CLASS_ID; `input` may be null.
  SimDerivedObject(Class_ID classId, Object* input) : classId_(classId), input_(input) {}

  // Puts `modifier` above the ones already held, at index 0.
  void AddModifierOnTop(std::unique_ptr<SimModifier> modifier);

  // IDerivedObject
  int NumModifiers() override { return static_cast<int>(modifiers_.size()); }
  // Null for an index out of range.
  Modifier* GetModifier(int index) override;
  Object* GetObjRef() override { return input_; }

  // Object
  Class_ID ClassID() override { return classId_; }
  SClass_ID SuperClassID() override;
  // The object below with every enabled modifier applied. With nothing to apply that is the object
  // below's own evaluation; otherwise a copy the derived object keeps until the stack changes (a
  // locked copy lives on beside its successor until it is unlocked). Null when there is nothing
  // below.
  ObjectState Eval(TimeValue t) override;
  // The points of the evaluated object.
  int NumPoints() override;
  Point3 GetPoint(int i) override;
  int CanConvertToType(Class_ID type) override;
  // Always a new object for the caller: the evaluated object may be one this derived object or an
  // object below owns, which a caller comparing the result with this object would delete.
  Object* ConvertToType(TimeValue t, Class_ID type) override;
  // The object at the bottom of the chain of derived objects; null when the chain ends in nothing.
  Object* FindBaseObject() override;

 private:
  // Lets the result go, or keeps it aside while a caller holds it locked.
  void RetireResult();

  Class_ID classId_;
  Object* input_;
  // Topmost first.
  std::vector<std::unique_ptr<SimModifier>> modifiers_;
  std::unique_ptr<Object> result_;
  // Earlier results still locked by a caller that reads them in place: kept until unlocked.
  std::vector<std::unique_ptr<Object>> lockedResults_;
  // What result_ was made from.
  Object* resultInput_ = nullptr;
  Point3 resultOffset_;
};

}  // namespace sim
