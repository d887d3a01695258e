// The root of the host's plug-in object classes: class identity, flags and extra interfaces.
#pragma once

#include "host/class_id.h"
#include "host/interface_id.h"
#include "platform/win_types.h"

// A modifier whose flag A_MOD_DISABLED is set is switched off in the stack.
constexpr DWORD A_MOD_DISABLED = 0x20;

class Animatable {
 public:
  virtual ~Animatable() = default;
  virtual Class_ID ClassID() = 0;
  virtual SClass_ID SuperClassID() = 0;
  // An extra interface by number; null when the object has none of that kind.
  virtual void* GetInterface(DWORD id) {
    (void)id;
    return nullptr;
  }
  // An extra interface by Interface_ID; null when the object has none of that kind.
  virtual BaseInterface* GetInterface(Interface_ID id) {
    (void)id;
    return nullptr;
  }
  // Whether the object's value changes over time (a controller with keys).
  virtual BOOL IsAnimated() { return FALSE; }
  // The animatable parts of the object (a transform controller's position, rotation and scale),
  // in order; a part may be null.
  virtual int NumSubs() { return 0; }
  virtual Animatable* SubAnim(int i) {
    (void)i;
    return nullptr;
  }
  bool TestAFlag(DWORD mask) const { return (aflag_ & mask) != 0; }
  void SetAFlag(DWORD mask) { aflag_ |= mask; }
  void ClearAFlag(DWORD mask) { aflag_ &= ~mask; }

 private:
  DWORD aflag_ = 0;
};

class ReferenceMaker : public Animatable {
 public:
  // Releases an object that the caller was handed to own (such as a conversion's result).
  virtual void DeleteMe() { delete this; }
};

class ReferenceTarget : public ReferenceMaker {};
