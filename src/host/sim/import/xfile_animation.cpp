// A `.x` AnimationSet as one animation: each Animation's keys on the frame it names, rotation,
// scale and position keys as channels of those parts, matrix keys taken apart into all three.
// Times are the set's ticks at its rate.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "host/decomp.h"
#include "host/sim/import/xfile_parts.h"
#include "platform/text_encoding.h"
#include "xof/object_values.h"
#include "xof/template_ids.h"

namespace sim::import {

namespace {

enum KeyType : std::uint32_t { kRotationKeys = 0, kScaleKeys = 1, kPositionKeys = 2 };

struct Keys {
  std::vector<std::uint32_t> ticks;
  std::vector<std::vector<float>> values;
};

class SetReader {
 public:
  SetReader(XReadContext& context, const xof::DataObject& set, double rate,
            const std::map<std::string, int, std::less<>>& nodes)
      : context_(context), set_(set), rate_(rate), nodes_(nodes) {}

  void Read() {
    ImportedAnimation animation;
    std::string name = set_.name.empty()
                           ? "Animation" + std::to_string(context_.model.animations.size())
                           : set_.name;
    animation.name = platform::Utf8ToWide(name);
    where_ = "animation set " + name;
    for (const xof::DataChild& child : set_.children) {
      const xof::DataObject* object = context_.Resolve(child);
      if (IsA(object, xof::tid::Animation)) {
        ReadAnimation(*object, animation);
      } else if (object && object->type && !IsA(object, xof::tid::AnimTicksPerSecond)) {
        context_.Warn(object->type->name + " records of animation sets are dropped");
      }
    }
    if (animation.channels.empty()) {
      context_.Warn(where_ + " is dropped: it keys no frame of the file");
      return;
    }
    context_.model.animations.push_back(std::move(animation));
  }

 private:
  void ReadAnimation(const xof::DataObject& source, ImportedAnimation& animation) {
    int node = -1;
    std::vector<const xof::DataObject*> keyRecords;
    for (const xof::DataChild& child : source.children) {
      if (child.IsReference() || IsA(child.object.get(), xof::tid::Frame)) {
        const std::string& frame = child.IsReference() ? child.reference.name : child.object->name;
        auto found = nodes_.find(frame);
        if (found == nodes_.end()) {
          context_.Warn("animations of frames the file does not hold are dropped (" + frame + ")");
          return;
        }
        node = found->second;
      } else if (IsA(child.object.get(), xof::tid::AnimationKey)) {
        keyRecords.push_back(child.object.get());
      } else if (IsA(child.object.get(), xof::tid::AnimationOptions)) {
        context_.Warn(
            "AnimationOptions are dropped: the host's keys play linearly and hold at "
            "their ends");
      } else if (child.object && child.object->type) {
        context_.Warn(child.object->type->name + " records of animations are dropped");
      }
    }
    if (node < 0) {
      context_.Warn("animations that name no frame are dropped (" + where_ + ")");
      return;
    }
    for (const xof::DataObject* record : keyRecords) ReadKeys(*record, node, animation);
  }

  void ReadKeys(const xof::DataObject& record, int node, ImportedAnimation& animation) {
    xof::ObjectValues values(record);
    std::uint32_t type = values.Integer(0);
    std::size_t width = type == kRotationKeys ? 4 : type <= kPositionKeys ? 3 : 16;
    if (type > 4) {
      context_.Warn("animation keys of type " + std::to_string(type) + " are dropped");
      return;
    }
    const std::vector<std::uint32_t>& header = values.Member(2).integers;
    const std::vector<float>& floats = values.Member(2).floats;
    std::vector<std::size_t> order;
    std::vector<std::size_t> at;
    std::size_t offset = 0;
    for (std::size_t k = 0; k + 1 < header.size(); k += 2) {
      std::uint32_t count = header[k + 1];
      if (count != width || offset + count > floats.size()) {
        context_.Fail(where_ + ": a key of type " + std::to_string(type) + " holds " +
                      std::to_string(count) + " values, not " + std::to_string(width));
      }
      for (std::size_t v = 0; v < count; ++v) {
        if (!std::isfinite(floats[offset + v]))
          context_.Fail(where_ + ": a key holds a value that is not finite");
      }
      order.push_back(order.size());
      at.push_back(offset);
      offset += count;
    }
    if (order.empty()) return;
    // Keys in time order; of keys of one time the first stays.
    auto tick = [&](std::size_t k) { return header[2 * k]; };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return tick(a) < tick(b); });
    if (!std::is_sorted(order.begin(), order.end())) {
      context_.Warn("animation keys out of time order are read in time order (" + where_ + ")");
    }
    Keys keys;
    for (std::size_t k : order) {
      if (!keys.ticks.empty() && keys.ticks.back() == tick(k)) {
        context_.Warn("animation keys at the time of the key before are dropped (" + where_ + ")");
        continue;
      }
      keys.ticks.push_back(tick(k));
      keys.values.emplace_back(floats.begin() + static_cast<std::ptrdiff_t>(at[k]),
                               floats.begin() + static_cast<std::ptrdiff_t>(at[k] + width));
    }
    if (type <= kPositionKeys) {
      AddChannel(animation, node, Path(type), keys, [&](const std::vector<float>& v) {
        if (type == kRotationKeys) {
          std::array<float, 4> q = context_.axes.Rotation(v.data());
          // A key a little off unit length (rounded text) is kept as written; one far off is
          // made a unit quaternion, as only those are turns.
          float length2 = q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3];
          if (!(length2 > 1e-12f)) context_.Fail(where_ + ": a rotation key has no length");
          if (std::fabs(length2 - 1.0f) > 1e-4f) {
            float length = std::sqrt(length2);
            for (float& c : q) c /= length;
          }
          return std::vector<float>(q.begin(), q.end());
        }
        Point3 p =
            type == kScaleKeys ? context_.axes.Scale(v.data()) : context_.axes.Point(v.data());
        return std::vector<float>{p.x, p.y, p.z};
      });
      return;
    }
    // A matrix key: the transform taken apart into position, rotation and scale at each key.
    std::vector<Point3> positions, scales;
    std::vector<Quat> rotations;
    for (const std::vector<float>& m : keys.values) {
      Point3 position, scale;
      Quat rotation;
      DecomposeMatrix(context_.axes.Transform(m.data()), position, rotation, scale);
      for (float v : {position.x, position.y, position.z, rotation.x, rotation.y, rotation.z,
                      rotation.w, scale.x, scale.y, scale.z}) {
        if (!std::isfinite(v)) context_.Fail(where_ + ": a matrix key cannot be taken apart");
      }
      positions.push_back(position);
      rotations.push_back(rotation);
      scales.push_back(scale);
    }
    std::size_t k = 0;
    AddChannel(animation, node, ImportedPath::kTranslation, keys, [&](const std::vector<float>&) {
      const Point3& p = positions[k++];
      return std::vector<float>{p.x, p.y, p.z};
    });
    k = 0;
    AddChannel(animation, node, ImportedPath::kRotation, keys, [&](const std::vector<float>&) {
      // The host's quaternion is the conjugate of the classic one the channel holds.
      const Quat& q = rotations[k++];
      return std::vector<float>{-q.x, -q.y, -q.z, q.w};
    });
    k = 0;
    AddChannel(animation, node, ImportedPath::kScale, keys, [&](const std::vector<float>&) {
      const Point3& s = scales[k++];
      return std::vector<float>{s.x, s.y, s.z};
    });
  }

  static ImportedPath Path(std::uint32_t type) {
    return type == kRotationKeys ? ImportedPath::kRotation
           : type == kScaleKeys  ? ImportedPath::kScale
                                 : ImportedPath::kTranslation;
  }

  template <class Convert>
  void AddChannel(ImportedAnimation& animation, int node, ImportedPath path, const Keys& keys,
                  Convert convert) {
    for (const ImportedChannel& channel : animation.channels) {
      if (channel.node == node && channel.path == path) {
        context_.Warn(
            "a second set of keys for one part of a frame in one animation set is "
            "dropped (" +
            where_ + ")");
        return;
      }
    }
    ImportedChannel channel;
    channel.node = node;
    channel.path = path;
    channel.times.reserve(keys.ticks.size());
    for (std::size_t k = 0; k < keys.ticks.size(); ++k) {
      channel.times.push_back(static_cast<float>(keys.ticks[k] / rate_));
      std::vector<float> value = convert(keys.values[k]);
      channel.values.insert(channel.values.end(), value.begin(), value.end());
    }
    animation.channels.push_back(std::move(channel));
  }

  XReadContext& context_;
  const xof::DataObject& set_;
  double rate_;
  const std::map<std::string, int, std::less<>>& nodes_;
  std::string where_;
};

}  // namespace

void ReadXAnimationSet(XReadContext& context, const xof::DataObject& set, double ticksPerSecond,
                       const std::map<std::string, int, std::less<>>& nodes) {
  SetReader(context, set, ticksPerSecond, nodes).Read();
}

}  // namespace sim::import
