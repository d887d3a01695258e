// glTF animations into the neutral model: the translation, rotation and scale channels of each
// animation with their key times and values, every sampler and accessor checked against the
// file; what the host cannot key (morph weights, unknown paths) is named in a warning.
#include <cmath>
#include <set>

#include "host/sim/import/gltf_reader.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

class AnimationReader {
 public:
  AnimationReader(GltfContext& context, const std::vector<int>& sourceOfNode)
      : c_(context), modelIndex_(ModelIndexOfNodes(context, sourceOfNode)) {}

  void Read(std::size_t a) {
    const tinygltf::Animation& source = c_.document.animations[a];
    ImportedAnimation animation;
    animation.name =
        platform::Utf8ToWide(source.name.empty() ? "Animation" + std::to_string(a) : source.name);
    std::set<std::pair<int, ImportedPath>> keyed;
    for (std::size_t k = 0; k < source.channels.size(); ++k) {
      ImportedChannel channel;
      std::string place = Pointer("animations", a) + Pointer("channels", k);
      if (!ReadChannel(source, source.channels[k], place, channel)) continue;
      if (!keyed.insert({channel.node, channel.path}).second) {
        Warn("a second channel keying the same part of a node is dropped (" + place + ")");
        continue;
      }
      animation.channels.push_back(std::move(channel));
    }
    if (animation.channels.empty()) {
      Warn("animation " + platform::WideToUtf8(animation.name) +
           " is dropped: it keys nothing the host can carry");
      return;
    }
    c_.model.animations.push_back(std::move(animation));
  }

 private:
  bool ReadChannel(const tinygltf::Animation& animation, const tinygltf::AnimationChannel& source,
                   const std::string& place, ImportedChannel& channel) {
    const GltfAccessors& a = c_.accessors;
    if (source.sampler < 0 ||
        static_cast<std::size_t>(source.sampler) >= animation.samplers.size()) {
      a.Fail(place + "/sampler", "sampler " + std::to_string(source.sampler) + " does not exist");
    }
    const std::string& path = source.target_path;
    if (path == "weights") {
      Warn("morph target weights channels are dropped");
      return false;
    }
    if (path == "translation") {
      channel.path = ImportedPath::kTranslation;
    } else if (path == "rotation") {
      channel.path = ImportedPath::kRotation;
    } else if (path == "scale") {
      channel.path = ImportedPath::kScale;
    } else {
      Warn("animation channels of path \"" + path + "\" are dropped");
      return false;
    }
    if (source.target_node < 0) {
      Warn("animation channels without a target node are dropped (" + place + ")");
      return false;
    }
    if (static_cast<std::size_t>(source.target_node) >= modelIndex_.size()) {
      a.Fail(place + "/target/node",
             "node " + std::to_string(source.target_node) + " does not exist");
    }
    channel.node = modelIndex_[static_cast<std::size_t>(source.target_node)];
    if (channel.node < 0) {
      Warn("animation channels of nodes outside the scene are dropped (" + place + ")");
      return false;
    }
    std::string samplerPlace = place.substr(0, place.find("/channels")) +
                               Pointer("samplers", static_cast<std::size_t>(source.sampler));
    const tinygltf::AnimationSampler& sampler =
        animation.samplers[static_cast<std::size_t>(source.sampler)];
    if (sampler.interpolation.empty() || sampler.interpolation == "LINEAR") {
      channel.interpolation = ImportedInterpolation::kLinear;
    } else if (sampler.interpolation == "STEP") {
      channel.interpolation = ImportedInterpolation::kStep;
    } else if (sampler.interpolation == "CUBICSPLINE") {
      channel.interpolation = ImportedInterpolation::kCubicSpline;
    } else {
      Warn("samplers of interpolation \"" + sampler.interpolation + "\" are dropped (" +
           samplerPlace + ")");
      return false;
    }
    return ReadKeys(sampler, samplerPlace, channel);
  }

  bool ReadKeys(const tinygltf::AnimationSampler& sampler, const std::string& place,
                ImportedChannel& channel) {
    const GltfAccessors& a = c_.accessors;
    channel.times = a.Floats(sampler.input, 1, place + "/input");
    const int width = channel.path == ImportedPath::kRotation ? 4 : 3;
    channel.values = a.Floats(sampler.output, width, place + "/output");
    const std::size_t perKey = channel.interpolation == ImportedInterpolation::kCubicSpline ? 3 : 1;
    if (channel.values.size() != channel.times.size() * perKey * static_cast<std::size_t>(width)) {
      a.Fail(place + "/output",
             "accessor " + std::to_string(sampler.output) + " holds " +
                 std::to_string(channel.values.size() / static_cast<std::size_t>(width)) +
                 " elements for " + std::to_string(channel.times.size()) + " key times" +
                 (perKey == 3 ? " (three per key: in-tangent, value, out-tangent)" : ""));
    }
    if (channel.times.empty()) {
      Warn("samplers without keys are dropped (" + place + ")");
      return false;
    }
    for (std::size_t k = 0; k < channel.times.size(); ++k) {
      if (channel.times[k] < 0.0f || (k > 0 && !(channel.times[k] > channel.times[k - 1]))) {
        Warn("samplers whose key times are not increasing from 0 are dropped (" + place + ")");
        return false;
      }
    }
    if (channel.path == ImportedPath::kRotation) NormaliseRotations(place, perKey, channel);
    return true;
  }

  // Rotation values (not their tangents) as unit quaternions.
  void NormaliseRotations(const std::string& place, std::size_t perKey, ImportedChannel& channel) {
    for (std::size_t k = 0; k < channel.times.size(); ++k) {
      float* q = channel.values.data() + 4 * (k * perKey + (perKey == 3 ? 1 : 0));
      double length =
          std::sqrt(static_cast<double>(q[0]) * q[0] + static_cast<double>(q[1]) * q[1] +
                    static_cast<double>(q[2]) * q[2] + static_cast<double>(q[3]) * q[3]);
      if (!(length > 1e-12)) {
        c_.accessors.Fail(place + "/output", "the rotation of key " + std::to_string(k) +
                                                 " has length 0: it is no rotation");
      }
      for (int i = 0; i < 4; ++i) q[i] = static_cast<float>(q[i] / length);
    }
  }

  void Warn(const std::string& line) {
    if (warned_.insert(line).second) c_.model.warnings.push_back(line);
  }

  GltfContext& c_;
  std::vector<int> modelIndex_;
  std::set<std::string> warned_;
};

}  // namespace

void ReadGltfAnimations(GltfContext& context, const std::vector<int>& sourceOfNode) {
  AnimationReader reader(context, sourceOfNode);
  for (std::size_t a = 0; a < context.document.animations.size(); ++a) reader.Read(a);
}

}  // namespace sim::import
