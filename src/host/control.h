// Animation controllers and the keys they hold.
#pragma once

#include "host/animatable.h"
#include "host/point3.h"
#include "host/quat.h"
#include "host/time_value.h"

// The interface number under which a keyframe controller hands out its IKeyControl.
constexpr DWORD I_KEYCONTROL = 0x1100;

// Every key record begins with its time and flags. Controllers of different interpolation keep
// records of different sizes; IKeyControl::GetKeySize says which.
struct IKey {
  TimeValue time = 0;
  DWORD flags = 0;
};

// Tension, continuity and bias, each -1 to 1 (0 is a smooth curve), and the ease in and out.
struct ITCBKey : IKey {
  float tens = 0.0f, cont = 0.0f, bias = 0.0f, easeIn = 0.0f, easeOut = 0.0f;
};

struct ILinPoint3Key : IKey {
  Point3 val;
};

// `intan` and `outtan` are the tangent offsets from the key's value towards the keys before and
// after it.
struct IBezPoint3Key : IKey {
  Point3 intan, outtan, val;
};

struct ITCBPoint3Key : ITCBKey {
  Point3 val;
};

// Rotation keys hold the absolute rotation at their time.
struct ILinRotKey : IKey {
  Quat val;
};

struct ITCBRotKey : ITCBKey {
  Quat val;
};

// The keys of a keyframe controller, by index in time order.
class IKeyControl {
 public:
  virtual ~IKeyControl() = default;
  virtual int GetNumKeys() = 0;
  // The size in bytes of one key record of this controller (one of the records above).
  virtual int GetKeySize() = 0;
  // Copies key i into `key`, which must hold GetKeySize() bytes.
  virtual void GetKey(int i, IKey* key) = 0;
};

class Control : public ReferenceTarget {
 public:
  // The parts of a position-rotation-scale transform controller; null for other controllers.
  virtual Control* GetPositionController() { return nullptr; }
  virtual Control* GetRotationController() { return nullptr; }
  virtual Control* GetScaleController() { return nullptr; }
};

// The key interface of an animatable; null when it keeps no keys of its own.
inline IKeyControl* GetKeyControlInterface(Animatable* animatable) {
  return animatable ? static_cast<IKeyControl*>(animatable->GetInterface(I_KEYCONTROL)) : nullptr;
}
