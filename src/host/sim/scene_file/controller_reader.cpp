#include "host/sim/scene_file/controller_reader.h"

#include <cstdint>
#include <string>

#include "host/sim/scene_file/class_reader.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/sim/sim_transform.h"

namespace sim {

namespace {

constexpr NamedClass kControllers[] = {{"footstep", kFootstepControllerClass},
                                       {"transform", kTransformControllerClass}};

KeyInterpolation ReadInterpolation(const std::optional<JsonPlace>& place, bool rotation) {
  if (!place) return KeyInterpolation::Linear;
  std::string name = place->String();
  if (name == "linear") return KeyInterpolation::Linear;
  if (name == "tcb") return KeyInterpolation::Tcb;
  if (name == "bezier" && !rotation) return KeyInterpolation::Bezier;
  place->Fail("unknown interpolation \"" + name + "\" (known: " +
              (rotation ? "\"linear\", \"tcb\")" : "\"linear\", \"bezier\", \"tcb\")"));
}

// "frame" (times the ticks per frame) or "tick", exactly one, within 32-bit host time.
TimeValue ReadKeyTime(const JsonPlace& key, int ticksPerFrame) {
  auto frame = key.OptionalField("frame");
  auto tick = key.OptionalField("tick");
  if (frame && tick) key.Fail("give either \"frame\" or \"tick\", not both");
  if (tick) return static_cast<TimeValue>(tick->Integer(INT32_MIN, INT32_MAX));
  if (!frame) key.Fail("a key needs its time: \"frame\" or \"tick\"");
  long long limit = INT32_MAX / ticksPerFrame;
  return static_cast<TimeValue>(frame->Integer(-limit, limit) * ticksPerFrame);
}

void ReadTcb(const JsonPlace& key, float& tension, float& continuity, float& bias) {
  auto read = [&key](std::string_view name, float& value) {
    if (auto place = key.OptionalField(name)) {
      value = place->Float();
      if (value < -1.0f || value > 1.0f) place->Fail("the value must lie between -1 and 1");
    }
  };
  read("tension", tension);
  read("continuity", continuity);
  read("bias", bias);
}

template <class Key>
void CheckRising(const JsonPlace& list, std::size_t i, const std::vector<Key>& keys) {
  if (keys.size() >= 2 && keys[keys.size() - 2].time >= keys.back().time) {
    list.Element(i).Fail("key times must rise: tick " + std::to_string(keys.back().time) +
                         " follows tick " + std::to_string(keys[keys.size() - 2].time));
  }
}

Point3TrackDescription ReadPoint3Track(const JsonPlace& track, int ticksPerFrame) {
  track.ExpectObject({"interpolation", "keys"});
  Point3TrackDescription result;
  result.interpolation = ReadInterpolation(track.OptionalField("interpolation"), false);
  JsonPlace list = track.Field("keys");
  std::size_t count = list.ExpectArray(1, SceneLimits::kMaxControllerKeys);
  for (std::size_t i = 0; i < count; ++i) {
    JsonPlace key = list.Element(i);
    bool bezier = result.interpolation == KeyInterpolation::Bezier;
    bool tcb = result.interpolation == KeyInterpolation::Tcb;
    if (bezier) {
      key.ExpectObject({"frame", "tick", "value", "inTangent", "outTangent"});
    } else if (tcb) {
      key.ExpectObject({"frame", "tick", "value", "tension", "continuity", "bias"});
    } else {
      key.ExpectObject({"frame", "tick", "value"});
    }
    Point3KeyDescription k;
    k.time = ReadKeyTime(key, ticksPerFrame);
    k.value = key.Field("value").Point();
    if (auto in = key.OptionalField("inTangent")) k.inTangent = in->Point();
    if (auto out = key.OptionalField("outTangent")) k.outTangent = out->Point();
    if (tcb) ReadTcb(key, k.tension, k.continuity, k.bias);
    result.keys.push_back(k);
    CheckRising(list, i, result.keys);
  }
  return result;
}

RotationTrackDescription ReadRotationTrack(const JsonPlace& track, int ticksPerFrame) {
  track.ExpectObject({"interpolation", "keys"});
  RotationTrackDescription result;
  result.interpolation = ReadInterpolation(track.OptionalField("interpolation"), true);
  JsonPlace list = track.Field("keys");
  std::size_t count = list.ExpectArray(1, SceneLimits::kMaxControllerKeys);
  for (std::size_t i = 0; i < count; ++i) {
    JsonPlace key = list.Element(i);
    if (result.interpolation == KeyInterpolation::Tcb) {
      key.ExpectObject({"frame", "tick", "value", "tension", "continuity", "bias"});
    } else {
      key.ExpectObject({"frame", "tick", "value"});
    }
    RotationKeyDescription k;
    k.time = ReadKeyTime(key, ticksPerFrame);
    // Degrees about X, then Y, then Z, as a static transform's "rotate".
    k.value = Quat(ComposeTransform({}, key.Field("value").Point(), {1, 1, 1}));
    if (result.interpolation == KeyInterpolation::Tcb)
      ReadTcb(key, k.tension, k.continuity, k.bias);
    result.keys.push_back(k);
    CheckRising(list, i, result.keys);
  }
  return result;
}

}  // namespace

ControllerDescription ReadController(const JsonPlace& controller, int version, int ticksPerFrame) {
  ControllerDescription result;
  if (!controller.IsObject()) {
    result.classId = ReadNamedClass(controller, kControllers);
    return result;
  }
  RefuseLaterKeys(controller, version, 5, {"position", "rotation", "scale"});
  controller.ExpectObject({"class", "position", "rotation", "scale"});
  result.classId = ReadNamedClass(controller.Field("class"), kControllers);
  auto position = controller.OptionalField("position");
  auto rotation = controller.OptionalField("rotation");
  auto scale = controller.OptionalField("scale");
  if ((position || rotation || scale) && !(result.classId == kTransformControllerClass)) {
    controller.Fail("only a \"transform\" controller has position, rotation and scale keys");
  }
  if (position) result.position = ReadPoint3Track(*position, ticksPerFrame);
  if (rotation) result.rotation = ReadRotationTrack(*rotation, ticksPerFrame);
  if (scale) result.scale = ReadPoint3Track(*scale, ticksPerFrame);
  return result;
}

void ApplyController(const ControllerDescription& controller, NodeBuilder& node) {
  node.Controller(controller.classId);
  if (controller.position) node.PositionKeys(*controller.position);
  if (controller.rotation) node.RotationKeys(*controller.rotation);
  if (controller.scale) node.ScaleKeys(*controller.scale);
}

}  // namespace sim
