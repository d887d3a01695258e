#include "host/sim/sim_controllers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/decomp.h"
#include "host/sim/sim_classes.h"
#include "host/super_class_ids.h"

namespace sim {

namespace {

// The segment [keys[i], keys[i + 1]] that holds t, and how far into it t lies; only called with
// t strictly inside the keys' span.
template <class KeyList>
std::pair<std::size_t, float> Segment(const KeyList& keys, TimeValue t) {
  auto next = std::upper_bound(keys.begin(), keys.end(), t,
                               [](TimeValue time, const auto& key) { return time < key.time; });
  std::size_t i = static_cast<std::size_t>(next - keys.begin()) - 1;
  float span = static_cast<float>(static_cast<double>(keys[i + 1].time) - keys[i].time);
  return {i, static_cast<float>(static_cast<double>(t) - keys[i].time) / span};
}

Point3 Hermite(const Point3& p0, const Point3& m0, const Point3& p1, const Point3& m1, float u) {
  float u2 = u * u, u3 = u2 * u;
  return p0 * (2 * u3 - 3 * u2 + 1) + m0 * (u3 - 2 * u2 + u) + p1 * (-2 * u3 + 3 * u2) +
         m1 * (u3 - u2);
}

Point3 Bezier(const Point3& p0, const Point3& p1, const Point3& p2, const Point3& p3, float u) {
  float v = 1 - u;
  return p0 * (v * v * v) + p1 * (3 * v * v * u) + p2 * (3 * v * u * u) + p3 * (u * u * u);
}

template <class Key>
void CopyKey(const Key& source, IKey* key) {
  std::memcpy(static_cast<void*>(key), &source, sizeof source);
}

}  // namespace

SimPoint3Control::SimPoint3Control(SClass_ID superClass, Point3TrackDescription track,
                                   const Point3& rest)
    : superClass_(superClass), interpolation_(track.interpolation), rest_(rest) {
  std::stable_sort(track.keys.begin(), track.keys.end(),
                   [](const auto& a, const auto& b) { return a.time < b.time; });
  keys_.reserve(track.keys.size());
  for (const Point3KeyDescription& k : track.keys) {
    keys_.push_back({k.time, k.value, {}, {}, k.tension, k.continuity, k.bias});
  }
  if (interpolation_ == KeyInterpolation::Bezier) MakeBezierTangents(track);
  if (interpolation_ == KeyInterpolation::Tcb) MakeTcbTangents();
}

// A tangent not given follows the slope through the neighbouring keys (one-sided at the ends), a
// third of the way to the next key, as a smooth curve does.
void SimPoint3Control::MakeBezierTangents(const Point3TrackDescription& track) {
  std::size_t n = keys_.size();
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t before = i > 0 ? i - 1 : i, after = i + 1 < n ? i + 1 : i;
    double span = static_cast<double>(keys_[after].time) - keys_[before].time;
    Point3 slope =
        span > 0 ? (keys_[after].value - keys_[before].value) / static_cast<float>(span) : Point3();
    float toPrevious = static_cast<float>(static_cast<double>(keys_[i].time) - keys_[before].time);
    float toNext = static_cast<float>(static_cast<double>(keys_[after].time) - keys_[i].time);
    const Point3KeyDescription& given = track.keys[i];
    keys_[i].inTangent = given.inTangent ? *given.inTangent : slope * (-toPrevious / 3.0f);
    keys_[i].outTangent = given.outTangent ? *given.outTangent : slope * (toNext / 3.0f);
  }
}

// Kochanek-Bartels tangents: inTangent arrives at the key, outTangent leaves it.
void SimPoint3Control::MakeTcbTangents() {
  std::size_t n = keys_.size();
  for (std::size_t i = 0; i < n; ++i) {
    Key& k = keys_[i];
    Point3 before = i > 0 ? k.value - keys_[i - 1].value : Point3();
    Point3 after = i + 1 < n ? keys_[i + 1].value - k.value : Point3();
    if (i == 0) before = after;
    if (i + 1 == n) after = before;
    float t = 1 - k.tension, c = k.continuity, b = k.bias;
    k.inTangent = before * (t * (1 - c) * (1 + b) / 2) + after * (t * (1 + c) * (1 - b) / 2);
    k.outTangent = before * (t * (1 + c) * (1 + b) / 2) + after * (t * (1 - c) * (1 - b) / 2);
  }
}

Point3 SimPoint3Control::Value(TimeValue t) const {
  if (keys_.empty()) return rest_;
  if (t <= keys_.front().time) return keys_.front().value;
  if (t >= keys_.back().time) return keys_.back().value;
  auto [i, u] = Segment(keys_, t);
  const Key& a = keys_[i];
  const Key& b = keys_[i + 1];
  switch (interpolation_) {
    case KeyInterpolation::Bezier:
      return Bezier(a.value, a.value + a.outTangent, b.value + b.inTangent, b.value, u);
    case KeyInterpolation::Tcb:
      return Hermite(a.value, a.outTangent, b.value, b.inTangent, u);
    case KeyInterpolation::Linear:
      break;
  }
  return a.value + (b.value - a.value) * u;
}

Class_ID SimPoint3Control::ClassID() {
  switch (interpolation_) {
    case KeyInterpolation::Bezier:
      return kBezierPoint3ControllerClass;
    case KeyInterpolation::Tcb:
      return kTcbPoint3ControllerClass;
    case KeyInterpolation::Linear:
      break;
  }
  return kLinearPoint3ControllerClass;
}

void* SimPoint3Control::GetInterface(DWORD id) {
  return id == I_KEYCONTROL ? static_cast<IKeyControl*>(this) : nullptr;
}

int SimPoint3Control::GetKeySize() {
  switch (interpolation_) {
    case KeyInterpolation::Bezier:
      return sizeof(IBezPoint3Key);
    case KeyInterpolation::Tcb:
      return sizeof(ITCBPoint3Key);
    case KeyInterpolation::Linear:
      break;
  }
  return sizeof(ILinPoint3Key);
}

void SimPoint3Control::GetKey(int i, IKey* key) {
  if (i < 0 || static_cast<std::size_t>(i) >= keys_.size()) return;
  const Key& k = keys_[static_cast<std::size_t>(i)];
  if (interpolation_ == KeyInterpolation::Bezier) {
    IBezPoint3Key record;
    record.time = k.time;
    record.intan = k.inTangent;
    record.outtan = k.outTangent;
    record.val = k.value;
    CopyKey(record, key);
  } else if (interpolation_ == KeyInterpolation::Tcb) {
    ITCBPoint3Key record;
    record.time = k.time;
    record.tens = k.tension;
    record.cont = k.continuity;
    record.bias = k.bias;
    record.val = k.value;
    CopyKey(record, key);
  } else {
    ILinPoint3Key record;
    record.time = k.time;
    record.val = k.value;
    CopyKey(record, key);
  }
}

SimRotationControl::SimRotationControl(RotationTrackDescription track, const Quat& rest)
    : interpolation_(track.interpolation), keys_(std::move(track.keys)), rest_(rest) {
  std::stable_sort(keys_.begin(), keys_.end(),
                   [](const auto& a, const auto& b) { return a.time < b.time; });
  for (std::size_t i = 0; i + 1 < keys_.size(); ++i) {
    Arc arc;
    double cosine = keys_[i].value % keys_[i + 1].value;
    if (cosine < 0.0) {
      cosine = -cosine;
      arc.sign = -1.0;
    }
    // As Slerp does: nearly equal rotations interpolate along the straight line.
    if (cosine < 0.9999) {
      arc.angle = std::acos(cosine);
      arc.inverseSine = 1.0 / std::sin(arc.angle);
    }
    arcs_.push_back(arc);
  }
}

Quat SimRotationControl::Value(TimeValue t) const {
  if (keys_.empty()) return rest_;
  if (t <= keys_.front().time) return keys_.front().value;
  if (t >= keys_.back().time) return keys_.back().value;
  auto [i, u] = Segment(keys_, t);
  const Arc& arc = arcs_[i];
  double a = 1.0 - u, b = u;
  if (arc.inverseSine != 0.0) {
    a = std::sin((1.0 - u) * arc.angle) * arc.inverseSine;
    b = std::sin(u * arc.angle) * arc.inverseSine;
  }
  b *= arc.sign;
  const Quat& p = keys_[i].value;
  const Quat& q = keys_[i + 1].value;
  double x = a * p.x + b * q.x, y = a * p.y + b * q.y, z = a * p.z + b * q.z, w = a * p.w + b * q.w;
  double length = std::sqrt(x * x + y * y + z * z + w * w);
  if (length == 0.0) return p;
  return {static_cast<float>(x / length), static_cast<float>(y / length),
          static_cast<float>(z / length), static_cast<float>(w / length)};
}

Class_ID SimRotationControl::ClassID() {
  return interpolation_ == KeyInterpolation::Tcb ? kTcbRotationControllerClass
                                                 : kLinearRotationControllerClass;
}

SClass_ID SimRotationControl::SuperClassID() { return CTRL_ROTATION_CLASS_ID; }

void* SimRotationControl::GetInterface(DWORD id) {
  return id == I_KEYCONTROL ? static_cast<IKeyControl*>(this) : nullptr;
}

int SimRotationControl::GetKeySize() {
  return interpolation_ == KeyInterpolation::Tcb ? sizeof(ITCBRotKey) : sizeof(ILinRotKey);
}

void SimRotationControl::GetKey(int i, IKey* key) {
  if (i < 0 || static_cast<std::size_t>(i) >= keys_.size()) return;
  const RotationKeyDescription& k = keys_[static_cast<std::size_t>(i)];
  if (interpolation_ == KeyInterpolation::Tcb) {
    ITCBRotKey record;
    record.time = k.time;
    record.tens = k.tension;
    record.cont = k.continuity;
    record.bias = k.bias;
    record.val = k.value;
    CopyKey(record, key);
  } else {
    ILinRotKey record;
    record.time = k.time;
    record.val = k.value;
    CopyKey(record, key);
  }
}

SimControl::SimControl(Class_ID classId, std::unique_ptr<SimPoint3Control> position,
                       std::unique_ptr<SimRotationControl> rotation,
                       std::unique_ptr<SimPoint3Control> scale)
    : classId_(classId),
      position_(std::move(position)),
      rotation_(std::move(rotation)),
      scale_(std::move(scale)) {}

SClass_ID SimControl::SuperClassID() { return CTRL_MATRIX3_CLASS_ID; }

Animatable* SimControl::SubAnim(int i) {
  if (!position_) return nullptr;
  switch (i) {
    case 0:
      return position_.get();
    case 1:
      return rotation_.get();
    case 2:
      return scale_.get();
    default:
      return nullptr;
  }
}

bool SimControl::HasKeys() const {
  return position_ && (position_->IsAnimated() || rotation_->IsAnimated() || scale_->IsAnimated());
}

Matrix3 SimControl::Value(TimeValue t) const {
  if (!position_) return Matrix3();
  Matrix3 rotation;
  rotation_->Value(t).MakeMatrix(rotation);
  Matrix3 local = ScaleMatrix(scale_->Value(t)) * rotation;
  local.SetTrans(position_->Value(t));
  return local;
}

std::unique_ptr<SimControl> MakeTransformControl(const Matrix3& local,
                                                 std::optional<Point3TrackDescription> position,
                                                 std::optional<RotationTrackDescription> rotation,
                                                 std::optional<Point3TrackDescription> scale) {
  Point3 restPosition, restScale;
  Quat restRotation;
  DecomposeMatrix(local, restPosition, restRotation, restScale);
  return std::make_unique<SimControl>(
      kTransformControllerClass,
      std::make_unique<SimPoint3Control>(CTRL_POSITION_CLASS_ID,
                                         position.value_or(Point3TrackDescription{}), restPosition),
      std::make_unique<SimRotationControl>(rotation.value_or(RotationTrackDescription{}),
                                           restRotation),
      std::make_unique<SimPoint3Control>(CTRL_SCALE_CLASS_ID,
                                         scale.value_or(Point3TrackDescription{}), restScale));
}

}  // namespace sim
