// Transform controllers of the in-memory host: a position-rotation-scale controller whose three
// parts are keyframe controllers (linear, Bezier or TCB position and scale; linear or TCB rotation,
// both interpolated by spherical linear interpolation).
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "host/control.h"
#include "host/matrix3.h"

namespace sim {

enum class KeyInterpolation { Linear, Bezier, Tcb };

// A position or scale key. Bezier tangents are offsets from the value; one not given is made
// smooth from the neighbouring keys. Tension, continuity and bias shape TCB keys.
struct Point3KeyDescription {
  TimeValue time = 0;
  Point3 value;
  std::optional<Point3> inTangent, outTangent;
  float tension = 0.0f, continuity = 0.0f, bias = 0.0f;
};

struct RotationKeyDescription {
  TimeValue time = 0;
  Quat value;
  float tension = 0.0f, continuity = 0.0f, bias = 0.0f;
};

// Keys in ascending time order, no two at one time.
struct Point3TrackDescription {
  KeyInterpolation interpolation = KeyInterpolation::Linear;
  std::vector<Point3KeyDescription> keys;
};

struct RotationTrackDescription {
  KeyInterpolation interpolation = KeyInterpolation::Linear;  // Bezier counts as linear
  std::vector<RotationKeyDescription> keys;
};

// A keyframe controller of a point: before its first key and after its last it holds their
// values; without keys it holds `rest`.
class SimPoint3Control : public Control, public IKeyControl {
 public:
  SimPoint3Control(SClass_ID superClass, Point3TrackDescription track, const Point3& rest);

  Point3 Value(TimeValue t) const;

  Class_ID ClassID() override;
  SClass_ID SuperClassID() override { return superClass_; }
  BOOL IsAnimated() override { return keys_.empty() ? FALSE : TRUE; }
  using Animatable::GetInterface;
  void* GetInterface(DWORD id) override;
  int GetNumKeys() override { return static_cast<int>(keys_.size()); }
  int GetKeySize() override;
  void GetKey(int i, IKey* key) override;

 private:
  struct Key {
    TimeValue time;
    Point3 value, inTangent, outTangent;
    float tension, continuity, bias;
  };
  void MakeBezierTangents(const Point3TrackDescription& track);
  void MakeTcbTangents();

  SClass_ID superClass_;
  KeyInterpolation interpolation_;
  std::vector<Key> keys_;
  Point3 rest_;
};

class SimRotationControl : public Control, public IKeyControl {
 public:
  SimRotationControl(RotationTrackDescription track, const Quat& rest);

  Quat Value(TimeValue t) const;

  Class_ID ClassID() override;
  SClass_ID SuperClassID() override;
  BOOL IsAnimated() override { return keys_.empty() ? FALSE : TRUE; }
  using Animatable::GetInterface;
  void* GetInterface(DWORD id) override;
  int GetNumKeys() override { return static_cast<int>(keys_.size()); }
  int GetKeySize() override;
  void GetKey(int i, IKey* key) override;

 private:
  // The arc from each key to the next, worked out once: evaluating a sample then costs two sines.
  struct Arc {
    double angle = 0.0;
    double inverseSine = 0.0;  // 0 for an arc too short to need the sines
    double sign = 1.0;         // -1 when the next key lies in the other hemisphere
  };

  KeyInterpolation interpolation_;
  std::vector<RotationKeyDescription> keys_;
  std::vector<Arc> arcs_;
  Quat rest_;
};

// A node's transform controller. Of the position-rotation-scale class it has the three parts, and
// the node's local transform at t is scale · rotation · translation of their values; any other
// class (a biped's footsteps) only has its identity.
class SimControl : public Control {
 public:
  explicit SimControl(Class_ID classId) : classId_(classId) {}
  SimControl(Class_ID classId, std::unique_ptr<SimPoint3Control> position,
             std::unique_ptr<SimRotationControl> rotation, std::unique_ptr<SimPoint3Control> scale);

  Class_ID ClassID() override { return classId_; }
  SClass_ID SuperClassID() override;
  Control* GetPositionController() override { return position_.get(); }
  Control* GetRotationController() override { return rotation_.get(); }
  Control* GetScaleController() override { return scale_.get(); }
  BOOL IsAnimated() override { return HasKeys() ? TRUE : FALSE; }
  int NumSubs() override { return position_ ? 3 : 0; }
  Animatable* SubAnim(int i) override;

  // Whether any part holds keys: only then does the controller decide the node's transform.
  bool HasKeys() const;
  Matrix3 Value(TimeValue t) const;

 private:
  Class_ID classId_;
  std::unique_ptr<SimPoint3Control> position_;
  std::unique_ptr<SimRotationControl> rotation_;
  std::unique_ptr<SimPoint3Control> scale_;
};

// The transform controller of a node whose static local transform is `local`: the parts without
// keys hold the position, rotation and scale that `local` decomposes into.
std::unique_ptr<SimControl> MakeTransformControl(const Matrix3& local,
                                                 std::optional<Point3TrackDescription> position,
                                                 std::optional<RotationTrackDescription> rotation,
                                                 std::optional<Point3TrackDescription> scale);

}  // namespace sim
