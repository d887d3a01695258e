// Animation channels as the host's keyframe tracks. One track per node part holds the keys of
// every clip: a clip that does not key the part holds its rest value at both ends, and a channel
// whose keys start after its clip or end before it is held flat there, as glTF holds the values
// outside a sampler's keys.
//
// Linear keys stay linear, or become Bézier keys with tangents on the straight line when another
// clip's channel of the same part is a cubic spline (the host has one interpolation per track).
// Step keys are held by a second key one tick before the next. Cubic-spline translations and
// scales become Bézier keys: a Hermite segment of duration d with out-tangent b and in-tangent a
// is the Bézier curve with control points v₀ + d·b/3 and v₁ − d·a/3, cut into pieces of the same
// curve at every frame between the keys. The host's rotations are linear, so cubic-spline
// rotations are sampled at every frame between their keys. Either way every frame of a curve has
// a key, and an export at the keys' own times follows the curve frame by frame.
#include "host/sim/import/animation_assembly.h"

#include <cmath>
#include <map>

#include "host/decomp.h"
#include "host/sim/import/animation_timeline.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

// What a top-level node's keys go through: the root turn R = Q · s.
struct RootConversion {
  bool top = false;
  Matrix3 turn;
  Quat rotation;
  float scale = 1.0f;

  Point3 Vector(ImportedPath path, const Point3& v) const {
    if (!top) return v;
    return path == ImportedPath::kTranslation ? turn.VectorTransform(v) : v * scale;
  }
  // Applying q and then Q.
  Quat Rotation(const Quat& q) const { return top ? q * rotation : q; }
};

Point3 At3(const float* v) { return {v[0], v[1], v[2]}; }

// A source quaternion (x, y, z, w) turns column vectors the classic way; the host's quaternion of
// the same turn is its conjugate.
Quat HostRotation(const float* q) { return {-q[0], -q[1], -q[2], q[3]}; }

struct ClipTicks {
  int start, end;
};

// Reads key k of a channel: value, in-tangent and out-tangent (tangents per second; zero unless
// cubic).
class ChannelKeys {
 public:
  explicit ChannelKeys(const ImportedChannel& channel)
      : channel_(channel),
        width_(channel.path == ImportedPath::kRotation ? 4 : 3),
        cubic_(channel.interpolation == ImportedInterpolation::kCubicSpline) {}

  std::size_t Count() const { return channel_.ticks.size(); }
  const float* Value(std::size_t k) const { return Element(k, cubic_ ? 1 : 0); }
  const float* InTangent(std::size_t k) const { return Element(k, 0); }
  const float* OutTangent(std::size_t k) const { return Element(k, 2); }
  int Tick(std::size_t k) const { return channel_.ticks[k]; }
  // Seconds from key k to key k + 1.
  float Span(std::size_t k) const { return channel_.times[k + 1] - channel_.times[k]; }

 private:
  const float* Element(std::size_t k, std::size_t which) const {
    return channel_.values.data() + width_ * (cubic_ ? 3 * k + which : k);
  }
  const ImportedChannel& channel_;
  std::size_t width_;
  bool cubic_;
};

// Refuses a track growing past the keys a controller may hold, before it takes the memory.
struct KeyLimit {
  const ImportedNode* node = nullptr;
  const std::string& fileName;

  void Check(std::size_t keys) const {
    if (keys <= SceneLimits::kMaxControllerKeys) return;
    throw SceneFileError(fileName, "",
                         "node " + platform::WideToUtf8(node->name) +
                             " would hold more keys in one part than the limit of " +
                             std::to_string(SceneLimits::kMaxControllerKeys));
  }
};

class PointTrackMaker {
 public:
  PointTrackMaker(bool bezier, const RootConversion& root, ImportedPath path, const KeyLimit& limit)
      : root_(root), path_(path), limit_(limit) {
    track_.interpolation = bezier ? KeyInterpolation::Bezier : KeyInterpolation::Linear;
  }

  void Hold(int tick, const Point3& rest) { Add(tick, rest, {}, {}); }

  void Clip(const ImportedChannel& channel, const ClipTicks& clip) {
    ChannelKeys keys(channel);
    const std::size_t n = keys.Count();
    auto value = [&](std::size_t k) { return root_.Vector(path_, At3(keys.Value(k))); };
    pendingIn_ = {};
    if (keys.Tick(0) > clip.start) Add(clip.start, value(0), {}, {});
    for (std::size_t k = 0; k < n; ++k) {
      Point3 v = value(k), in, out;
      switch (channel.interpolation) {
        case ImportedInterpolation::kLinear:
          if (k > 0) in = (value(k - 1) - v) / 3.0f;
          if (k + 1 < n) out = (value(k + 1) - v) / 3.0f;
          Add(keys.Tick(k), v, in, out);
          break;
        case ImportedInterpolation::kStep:
          Add(keys.Tick(k), v, {}, {});
          if (k + 1 < n && keys.Tick(k + 1) - 1 > keys.Tick(k))
            Add(keys.Tick(k + 1) - 1, v, {}, {});
          break;
        case ImportedInterpolation::kCubicSpline:
          if (k + 1 == n) {
            Add(keys.Tick(k), v, pendingIn_, {});
          } else {
            SplitSegment(keys, k, value);
          }
          break;
      }
    }
    if (keys.Tick(n - 1) < clip.end) Add(clip.end, value(n - 1), {}, {});
  }

  Point3TrackDescription& Track() { return track_; }

 private:
  // The Bézier segment from key k to k + 1, cut at every whole frame strictly between them. The
  // pieces are the same curve, and each frame gets a key of its own: an export that takes the keys
  // at their times then follows the curve frame by frame instead of a straight line between keys.
  template <class Value>
  void SplitSegment(const ChannelKeys& keys, std::size_t k, const Value& value) {
    Point3 p[4] = {value(k), {}, {}, value(k + 1)};
    p[1] = p[0] + root_.Vector(path_, At3(keys.OutTangent(k))) * (keys.Span(k) / 3.0f);
    p[2] = p[3] - root_.Vector(path_, At3(keys.InTangent(k + 1))) * (keys.Span(k) / 3.0f);
    int from = keys.Tick(k);
    const int to = keys.Tick(k + 1);
    for (int tick = (from / kImportTicksPerFrame + 1) * kImportTicksPerFrame; tick < to;
         tick += kImportTicksPerFrame) {
      // de Casteljau at the frame's share of what is left of the segment.
      float s = static_cast<float>(tick - from) / static_cast<float>(to - from);
      Point3 a = Lerp(p[0], p[1], s), b = Lerp(p[1], p[2], s), c = Lerp(p[2], p[3], s);
      Point3 ab = Lerp(a, b, s), bc = Lerp(b, c, s), middle = Lerp(ab, bc, s);
      Add(from, p[0], pendingIn_, a - p[0]);
      pendingIn_ = ab - middle;
      p[0] = middle;
      p[1] = bc;
      p[2] = c;
      from = tick;
    }
    Add(from, p[0], pendingIn_, p[1] - p[0]);
    pendingIn_ = p[2] - p[3];
  }

  static Point3 Lerp(const Point3& a, const Point3& b, float s) { return a + (b - a) * s; }

  void Add(int tick, const Point3& value, const Point3& in, const Point3& out) {
    limit_.Check(track_.keys.size() + 1);
    Point3KeyDescription& key = track_.keys.emplace_back();
    key.time = tick;
    key.value = value;
    if (track_.interpolation == KeyInterpolation::Bezier) {
      key.inTangent = in;
      key.outTangent = out;
    }
  }

  const RootConversion& root_;
  ImportedPath path_;
  const KeyLimit& limit_;
  Point3TrackDescription track_;
  // The in-tangent of the next cubic key: the end of the piece before it.
  Point3 pendingIn_;
};

class RotationTrackMaker {
 public:
  RotationTrackMaker(const RootConversion& root, const KeyLimit& limit)
      : root_(root), limit_(limit) {}

  void Hold(int tick, const Quat& rest) { Add(tick, rest); }

  void Clip(const ImportedChannel& channel, const ClipTicks& clip) {
    ChannelKeys keys(channel);
    const std::size_t n = keys.Count();
    auto value = [&](std::size_t k) {
      const float* q = keys.Value(k);
      return root_.Rotation(HostRotation(q));
    };
    if (keys.Tick(0) > clip.start) Add(clip.start, value(0));
    for (std::size_t k = 0; k < n; ++k) {
      Add(keys.Tick(k), value(k));
      if (k + 1 == n) break;
      if (channel.interpolation == ImportedInterpolation::kStep &&
          keys.Tick(k + 1) - 1 > keys.Tick(k)) {
        Add(keys.Tick(k + 1) - 1, value(k));
      } else if (channel.interpolation == ImportedInterpolation::kCubicSpline) {
        SampleSegment(keys, k);
      }
    }
    if (keys.Tick(n - 1) < clip.end) Add(clip.end, value(n - 1));
  }

  RotationTrackDescription& Track() { return track_; }

 private:
  // The Hermite curve of the quaternions' components from key k to k + 1, normalised, at every
  // frame strictly between them.
  void SampleSegment(const ChannelKeys& keys, std::size_t k) {
    const int from = keys.Tick(k), to = keys.Tick(k + 1);
    const float d = keys.Span(k);
    const float* p0 = keys.Value(k);
    const float* m0 = keys.OutTangent(k);
    const float* p1 = keys.Value(k + 1);
    const float* m1 = keys.InTangent(k + 1);
    for (int tick = (from / kImportTicksPerFrame + 1) * kImportTicksPerFrame; tick < to;
         tick += kImportTicksPerFrame) {
      float s = static_cast<float>(tick - from) / static_cast<float>(to - from);
      float s2 = s * s, s3 = s2 * s;
      float h00 = 2 * s3 - 3 * s2 + 1, h10 = (s3 - 2 * s2 + s) * d, h01 = -2 * s3 + 3 * s2,
            h11 = (s3 - s2) * d;
      float q[4];
      double length = 0;
      for (int i = 0; i < 4; ++i) {
        q[i] = h00 * p0[i] + h10 * m0[i] + h01 * p1[i] + h11 * m1[i];
        length += static_cast<double>(q[i]) * q[i];
      }
      if (!(length > 1e-12)) continue;
      float inverse = static_cast<float>(1.0 / std::sqrt(length));
      for (float& component : q) component *= inverse;
      Add(tick, root_.Rotation(HostRotation(q)));
    }
  }

  void Add(int tick, const Quat& value) {
    limit_.Check(track_.keys.size() + 1);
    track_.keys.push_back({tick, value});
  }

  const RootConversion& root_;
  const KeyLimit& limit_;
  RotationTrackDescription track_;
};

}  // namespace

void AddAnimationKeys(const ImportedModel& model, const std::vector<NodeBuilder*>& made,
                      const std::vector<Matrix3>& local, const Matrix3& rootTurn, float scale,
                      const std::string& fileName) {
  const std::size_t clipCount = model.clips.size();
  // Per keyed part, its channel in each clip (null where the clip does not key it).
  std::map<std::pair<int, ImportedPath>, std::vector<const ImportedChannel*>> parts;
  for (std::size_t c = 0; c < clipCount; ++c) {
    for (const ImportedChannel& channel : model.animations[c].channels) {
      auto& perClip = parts[{channel.node, channel.path}];
      perClip.resize(clipCount, nullptr);
      perClip[c] = &channel;
    }
  }
  RootConversion root;
  root.turn = rootTurn;
  root.scale = scale;
  root.rotation = Quat(rootTurn * ScaleMatrix(Point3(1 / scale, 1 / scale, 1 / scale)));
  for (const auto& [part, perClip] : parts) {
    const auto n = static_cast<std::size_t>(part.first);
    const ImportedNode& node = model.nodes[n];
    root.top = node.parent < 0;
    KeyLimit limit{&node, fileName};
    Point3 restPosition, restScale;
    Quat restRotation;
    DecomposeMatrix(local[n], restPosition, restRotation, restScale);
    // Each clip's keys, or the rest value held over a clip that does not key this part. Named
    // again because clang 14 cannot capture a structured binding.
    const auto& channels = perClip;
    auto fill = [&](auto& maker, const auto& rest) {
      for (std::size_t c = 0; c < clipCount; ++c) {
        ClipTicks clip{model.clips[c].startFrame * kImportTicksPerFrame,
                       model.clips[c].endFrame * kImportTicksPerFrame};
        if (channels[c]) {
          maker.Clip(*channels[c], clip);
        } else {
          maker.Hold(clip.start, rest);
          if (clip.end > clip.start) maker.Hold(clip.end, rest);
        }
      }
    };
    if (part.second == ImportedPath::kRotation) {
      RotationTrackMaker maker(root, limit);
      fill(maker, restRotation);
      made[n]->RotationKeys(std::move(maker.Track()));
      continue;
    }
    bool bezier = false;
    for (const ImportedChannel* channel : perClip) {
      bezier = bezier || (channel && channel->interpolation == ImportedInterpolation::kCubicSpline);
    }
    const Point3& rest = part.second == ImportedPath::kTranslation ? restPosition : restScale;
    PointTrackMaker maker(bezier, root, part.second, limit);
    fill(maker, rest);
    if (part.second == ImportedPath::kTranslation) {
      made[n]->PositionKeys(std::move(maker.Track()));
    } else {
      made[n]->ScaleKeys(std::move(maker.Track()));
    }
  }
}

}  // namespace sim::import
