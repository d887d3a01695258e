#include "preview/scene_reader.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "preview/mesh_reader.h"
#include "xof/object_values.h"
#include "xof/template_ids.h"

namespace preview {
namespace {

bool Is(const xof::DataObject* object, const xof::Guid& id) {
  return object && object->type && object->type->id == id;
}

class SceneBuilder {
 public:
  SceneBuilder(const xof::XFileDocument& document, const std::filesystem::path& folder)
      : document_(document) {
    for (const auto& object : document.objects) {
      if (!object->name.empty()) named_.emplace(object->name, object.get());
    }
    context_.findNamed = [this](const std::string& name) -> const xof::DataObject* {
      auto found = named_.find(name);
      return found == named_.end() ? nullptr : found->second;
    };
    context_.textureFolder = folder;
    context_.warnings = &scene_.warnings;
  }

  PreviewScene Build() {
    const xof::DataObject* animationSet = nullptr;
    for (const auto& object : document_.objects) {
      if (Is(object.get(), xof::tid::Frame)) {
        ReadFrame(*object, -1, 0);
      } else if (Is(object.get(), xof::tid::Mesh)) {
        AddInstance(*object, -1);
      } else if (Is(object.get(), xof::tid::AnimationSet) && !animationSet) {
        animationSet = object.get();
      }
    }
    for (PreviewMesh& mesh : scene_.meshes) {
      for (SkinBone& bone : mesh.bones) {
        bone.frame = FrameIndex(bone.frameName);
        if (bone.frame < 0) {
          scene_.warnings.push_back("mesh '" + mesh.name + "': skin bone '" + bone.frameName +
                                    "' is not a frame of the file");
        }
      }
    }
    if (animationSet) ReadAnimationSet(*animationSet);
    // A material shared by many meshes would repeat its warning for each.
    std::set<std::string> seen;
    std::vector<std::string> unique;
    for (std::string& warning : scene_.warnings) {
      if (seen.insert(warning).second) unique.push_back(std::move(warning));
    }
    scene_.warnings = std::move(unique);
    return std::move(scene_);
  }

 private:
  static constexpr int kMaxFrameDepth = 256;

  int FrameIndex(const std::string& name) const {
    auto found = frameByName_.find(name);
    return found == frameByName_.end() ? -1 : found->second;
  }

  void ReadFrame(const xof::DataObject& object, int parent, int depth) {
    if (depth > kMaxFrameDepth) return;  // the reader bounds nesting; this only guards recursion
    int index = static_cast<int>(scene_.frames.size());
    scene_.frames.push_back({object.name, parent, Mat4{}});
    if (!object.name.empty()) frameByName_.emplace(object.name, index);
    for (const xof::DataChild& child : object.children) {
      const xof::DataObject* target = child.object.get();
      if (child.IsReference()) {
        target = context_.findNamed(child.reference.name);
        if (Is(target, xof::tid::Mesh)) AddInstance(*target, index);
        if (!target) {
          scene_.warnings.push_back("frame '" + object.name + "': '" + child.reference.name +
                                    "' is not in the file; nothing is drawn for it");
        }
        continue;
      }
      if (Is(target, xof::tid::FrameTransformMatrix)) {
        xof::ObjectValues values(*target);
        const std::vector<float>& m = values.Member(0).floats;
        for (std::size_t i = 0; i < 16 && i < m.size(); ++i) scene_.frames[index].local.m[i] = m[i];
      } else if (Is(target, xof::tid::Frame)) {
        ReadFrame(*target, index, depth + 1);
      } else if (Is(target, xof::tid::Mesh)) {
        AddInstance(*target, index);
      }
    }
  }

  // A mesh shown in many places (a top-level mesh, or one referenced from many frames) is read
  // once; its memory then grows with the file, not with the places it is shown.
  void AddInstance(const xof::DataObject& object, int frame) {
    auto [found, added] = meshByObject_.try_emplace(&object, scene_.meshes.size());
    if (added) scene_.meshes.push_back(ReadMesh(object, frame, context_));
    scene_.instances.push_back({found->second, frame});
  }

  void ReadAnimationSet(const xof::DataObject& set) {
    scene_.animationName = set.name.empty() ? "(unnamed)" : set.name;
    for (const xof::DataChild& child : set.children) {
      if (!Is(child.object.get(), xof::tid::Animation)) continue;
      FrameAnimation animation;
      for (const xof::DataChild& part : child.object->children) {
        if (part.IsReference()) {
          animation.frame = FrameIndex(part.reference.name);
        } else if (Is(part.object.get(), xof::tid::Frame)) {
          animation.frame = FrameIndex(part.object->name);
        } else if (Is(part.object.get(), xof::tid::AnimationKey)) {
          ReadKeys(*part.object, animation);
        }
      }
      if (animation.frame >= 0) scene_.animations.push_back(std::move(animation));
    }
  }

  // keys: per key its time and value count (integers) and its values (floats).
  void ReadKeys(const xof::DataObject& object, FrameAnimation& animation) {
    xof::ObjectValues values(object);
    if (values.Member(0).integers.empty()) return;
    AnimationKeys keys;
    keys.type = static_cast<KeyType>(values.Member(0).integers[0]);
    std::size_t width = keys.type == KeyType::Rotation ? 4 : keys.type == KeyType::Matrix ? 16 : 3;
    if (keys.type != KeyType::Rotation && keys.type != KeyType::Scale &&
        keys.type != KeyType::Position && keys.type != KeyType::Matrix) {
      return;
    }
    const std::vector<std::uint32_t>& header = values.Member(2).integers;
    const std::vector<float>& floats = values.Member(2).floats;
    std::size_t at = 0;
    for (std::size_t k = 0; k + 1 < header.size(); k += 2) {
      std::size_t count = header[k + 1];
      if (count >= width && at + width <= floats.size()) {
        keys.times.push_back(header[k]);
        keys.values.insert(keys.values.end(), floats.begin() + at, floats.begin() + at + width);
      }
      at += count;
    }
    if (keys.times.empty()) return;
    if (!std::is_sorted(keys.times.begin(), keys.times.end())) {
      SortByTime(keys, width);
      scene_.warnings.push_back("animation set '" + scene_.animationName +
                                "': keys out of time order are played in time order");
    }
    animation.keys.push_back(std::move(keys));
  }

  // Other programs may write keys in any order; posing looks keys up by time. Keys of one time
  // keep the order the file gives them.
  static void SortByTime(AnimationKeys& keys, std::size_t width) {
    std::vector<std::size_t> order(keys.times.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys.times[a] < keys.times[b]; });
    AnimationKeys sorted;
    sorted.type = keys.type;
    sorted.times.reserve(order.size());
    sorted.values.reserve(keys.values.size());
    for (std::size_t k : order) {
      sorted.times.push_back(keys.times[k]);
      const auto from = keys.values.begin() + static_cast<std::ptrdiff_t>(k * width);
      sorted.values.insert(sorted.values.end(), from, from + static_cast<std::ptrdiff_t>(width));
    }
    keys = std::move(sorted);
  }

  const xof::XFileDocument& document_;
  std::map<std::string, const xof::DataObject*, std::less<>> named_;
  std::map<std::string, int, std::less<>> frameByName_;
  std::unordered_map<const xof::DataObject*, std::size_t> meshByObject_;
  MeshReadContext context_;
  PreviewScene scene_;
};

}  // namespace

PreviewScene ReadPreviewScene(const xof::XFileDocument& document,
                              const std::filesystem::path& folder) {
  return SceneBuilder(document, folder).Build();
}

}  // namespace preview
