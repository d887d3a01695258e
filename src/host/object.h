// Objects of the host's geometry pipeline: base objects, modifiers and derived objects.
#pragma once

#include "host/animatable.h"
#include "host/point3.h"
#include "host/time_value.h"

class Object;

// The result of evaluating an object's pipeline at a time.
struct ObjectState {
  Object* obj = nullptr;
};

class BaseObject : public ReferenceTarget {};

class Object : public BaseObject {
 public:
  // The object as its pipeline yields it at t; the state's object is owned by the host.
  virtual ObjectState Eval(TimeValue t) = 0;
  virtual int NumPoints() { return 0; }
  virtual Point3 GetPoint(int i) {
    (void)i;
    return Point3();
  }
  virtual int CanConvertToType(Class_ID type) = 0;
  // The object converted to `type`: the object itself when it already is one, else a new object
  // the caller owns and releases with DeleteMe. Null when the conversion fails.
  virtual Object* ConvertToType(TimeValue t, Class_ID type) = 0;
  // The object at the bottom of the pipeline, below every modifier.
  virtual Object* FindBaseObject() { return this; }

  // While locked, the object stays alive and unchanged when its pipeline evaluates again, so that
  // a caller may read its data in place instead of copying it. Locks are counted: each LockObject
  // is matched by one UnlockObject.
  void LockObject() { ++locks_; }
  void UnlockObject() {
    if (locks_ > 0) --locks_;
  }
  bool IsObjectLocked() const { return locks_ > 0; }

 private:
  int locks_ = 0;
};

class Modifier : public BaseObject {
 public:
  bool IsEnabled() const { return !TestAFlag(A_MOD_DISABLED); }
};

// An object with modifiers applied to the object below it. Modifier 0 is the topmost.
class IDerivedObject : public Object {
 public:
  virtual int NumModifiers() = 0;
  virtual Modifier* GetModifier(int index) = 0;
  // The object the modifiers apply to.
  virtual Object* GetObjRef() = 0;
};
