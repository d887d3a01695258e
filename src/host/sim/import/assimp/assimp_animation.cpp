// Assimp's bones and animations into the neutral model: the bones of every mesh as the joints of
// one skin (a bone names its node; its offset matrix is the inverse bind matrix), and the position,
// rotation and scale keys of each animation's node channels, read as linear keys.
#include "host/sim/import/assimp/assimp_animation.h"

#include <assimp/scene.h>

#include <cmath>
#include <map>
#include <set>

#include "host/sim/scene_file/scene_file_error.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

// Assimp's column-vector matrix as the host's row-vector one.
Matrix3 RowForm(const aiMatrix4x4& m) {
  return Matrix3(Point3(m.a1, m.b1, m.c1), Point3(m.a2, m.b2, m.c2), Point3(m.a3, m.b3, m.c3),
                 Point3(m.a4, m.b4, m.c4));
}

bool Finite(const aiMatrix4x4& m) {
  for (float v : {m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4}) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

double Determinant(const Matrix3& m) {
  auto e = [&m](int row, int col) { return static_cast<double>(m[row][col]); };
  return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
         e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
         e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

// The nodes of the model by name; the first of several with one name.
std::map<std::string, int> NodesByName(const ImportedModel& model) {
  std::map<std::string, int> nodes;
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    nodes.emplace(platform::WideToUtf8(model.nodes[n].name), static_cast<int>(n));
  }
  return nodes;
}

// Renumbers the part's joints by `renumbered`, leaving out those it maps to -1; a part left without
// influences has none at all, as one no skin moves.
void DropUnboundInfluences(const std::vector<int>& renumbered, ImportedMeshPart& part) {
  if (part.influenceStarts.empty()) return;
  std::vector<ImportedInfluence> kept;
  std::vector<std::uint32_t> starts;
  kept.reserve(part.influences.size());
  starts.reserve(part.influenceStarts.size());
  for (std::size_t v = 0; v + 1 < part.influenceStarts.size(); ++v) {
    starts.push_back(static_cast<std::uint32_t>(kept.size()));
    for (std::uint32_t i = part.influenceStarts[v]; i < part.influenceStarts[v + 1]; ++i) {
      int joint = renumbered[static_cast<std::size_t>(part.influences[i].joint)];
      if (joint >= 0) kept.push_back({joint, part.influences[i].weight});
    }
  }
  starts.push_back(static_cast<std::uint32_t>(kept.size()));
  if (kept.empty()) starts.clear();
  part.influences = std::move(kept);
  part.influenceStarts = std::move(starts);
}

}  // namespace

void AssimpBones::ReadInfluences(const aiMesh& mesh, const std::string& where,
                                 ImportedMeshPart& part) {
  if (!mesh.HasBones()) return;
  const unsigned n = mesh.mNumVertices;
  std::vector<std::vector<ImportedInfluence>> perVertex(n);
  for (unsigned b = 0; b < mesh.mNumBones; ++b) {
    const aiBone& bone = *mesh.mBones[b];
    std::string name = bone.mName.C_Str();
    if (!Finite(bone.mOffsetMatrix)) {
      throw SceneFileError(
          fileName_, "",
          where + ": bone \"" + name + "\": the offset matrix holds a value that is not finite");
    }
    Matrix3 offset = RowForm(bone.mOffsetMatrix);
    if (!(std::fabs(Determinant(offset)) > 1e-12)) {
      throw SceneFileError(fileName_, "",
                           where + ": bone \"" + name + "\": the offset matrix cannot be inverted");
    }
    auto [entry, added] = index_.emplace(name, static_cast<int>(names_.size()));
    if (added) {
      names_.push_back(name);
      offsets_.push_back(offset);
    } else if (!offsets_[static_cast<std::size_t>(entry->second)].Equals(offset, 1e-4f)) {
      warnings_.push_back("bone \"" + name +
                          "\" is bound differently by two meshes: the first mesh's bind pose is "
                          "kept");
    }
    for (unsigned w = 0; w < bone.mNumWeights; ++w) {
      const aiVertexWeight& weight = bone.mWeights[w];
      if (weight.mVertexId >= n || !std::isfinite(weight.mWeight)) {
        throw SceneFileError(fileName_, "",
                             where + ": bone \"" + name + "\": weight " + std::to_string(w) +
                                 " names no vertex or is not finite");
      }
      if (weight.mWeight > 0.0f)
        perVertex[weight.mVertexId].push_back({entry->second, weight.mWeight});
    }
  }
  part.influenceStarts.reserve(n + 1);
  for (unsigned v = 0; v < n; ++v) {
    part.influenceStarts.push_back(static_cast<std::uint32_t>(part.influences.size()));
    part.influences.insert(part.influences.end(), perVertex[v].begin(), perVertex[v].end());
  }
  part.influenceStarts.push_back(static_cast<std::uint32_t>(part.influences.size()));
}

void AssimpBones::MakeSkin(ImportedModel& model) {
  for (std::string& line : warnings_) model.warnings.push_back(std::move(line));
  warnings_.clear();
  if (names_.empty()) return;
  std::map<std::string, int> nodes = NodesByName(model);
  ImportedSkin skin;
  // A bone without a node has nothing to move its vertices: its weights go, the other bones stay.
  std::vector<int> renumbered(names_.size(), -1);
  for (std::size_t b = 0; b < names_.size(); ++b) {
    auto found = nodes.find(names_[b]);
    if (found == nodes.end()) {
      model.warnings.push_back((names_[b].empty() ? std::string("a bone without a name")
                                                  : "bone \"" + names_[b] + "\"") +
                               " names no node of the scene: its weights are dropped");
      continue;
    }
    renumbered[b] = static_cast<int>(skin.joints.size());
    skin.joints.push_back(found->second);
    skin.inverseBindMatrices.push_back(offsets_[b]);
  }
  for (ImportedMeshPart& part : model.parts) DropUnboundInfluences(renumbered, part);
  if (skin.joints.empty()) return;
  model.skins.push_back(std::move(skin));
  const int index = static_cast<int>(model.skins.size()) - 1;
  for (ImportedNode& node : model.nodes) {
    for (int part : node.parts) {
      if (!model.parts[static_cast<std::size_t>(part)].influences.empty()) node.skin = index;
    }
  }
}

void ReadAssimpAnimations(const aiScene& scene, const std::string& fileName, ImportedModel& model) {
  std::map<std::string, int> nodes = NodesByName(model);
  std::set<std::string> warned;
  auto warn = [&](const std::string& line) {
    if (warned.insert(line).second) model.warnings.push_back(line);
  };
  for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
    const aiAnimation& source = *scene.mAnimations[a];
    ImportedAnimation animation;
    std::string name = source.mName.C_Str();
    animation.name = platform::Utf8ToWide(name.empty() ? "Animation" + std::to_string(a) : name);
    // Assimp leaves the rate 0 where the file does not say; its own default is 25 a second.
    double perSecond = source.mTicksPerSecond > 0 ? source.mTicksPerSecond : 25.0;
    if (source.mNumMeshChannels > 0 || source.mNumMorphMeshChannels > 0) {
      warn("mesh and morph animation channels are dropped");
    }
    std::set<int> keyed;
    for (unsigned c = 0; c < source.mNumChannels; ++c) {
      const aiNodeAnim& channel = *source.mChannels[c];
      auto node = nodes.find(channel.mNodeName.C_Str());
      if (node == nodes.end()) {
        warn("animation channels of nodes that are not in the scene are dropped");
        continue;
      }
      if (!keyed.insert(node->second).second) {
        warn("a second channel keying the same node in one animation is dropped (animation " +
             name + ")");
        continue;
      }
      auto add = [&](ImportedPath path, unsigned count, auto key) {
        if (count == 0) return;
        ImportedChannel out;
        out.node = node->second;
        out.path = path;
        for (unsigned k = 0; k < count; ++k) {
          auto [time, values] = key(k);
          float seconds = static_cast<float>(time / perSecond);
          if (!std::isfinite(seconds) || seconds < 0.0f ||
              (k > 0 && !(seconds > out.times.back()))) {
            warn("animation keys whose times do not rise from 0 are dropped (animation " + name +
                 ")");
            return;
          }
          for (float v : values) {
            if (!std::isfinite(v)) {
              throw SceneFileError(
                  fileName, "", "animation " + name + ": a key holds a value that is not finite");
            }
          }
          out.times.push_back(seconds);
          out.values.insert(out.values.end(), values.begin(), values.end());
        }
        animation.channels.push_back(std::move(out));
      };
      using Values = std::vector<float>;
      add(ImportedPath::kTranslation, channel.mNumPositionKeys, [&](unsigned k) {
        const aiVectorKey& key = channel.mPositionKeys[k];
        return std::pair{key.mTime, Values{key.mValue.x, key.mValue.y, key.mValue.z}};
      });
      add(ImportedPath::kRotation, channel.mNumRotationKeys, [&](unsigned k) {
        aiQuaternion q = channel.mRotationKeys[k].mValue;
        q.Normalize();
        return std::pair{channel.mRotationKeys[k].mTime, Values{q.x, q.y, q.z, q.w}};
      });
      add(ImportedPath::kScale, channel.mNumScalingKeys, [&](unsigned k) {
        const aiVectorKey& key = channel.mScalingKeys[k];
        return std::pair{key.mTime, Values{key.mValue.x, key.mValue.y, key.mValue.z}};
      });
    }
    if (animation.channels.empty()) {
      warn("animation " + name + " is dropped: it keys nothing the host can carry");
      continue;
    }
    model.animations.push_back(std::move(animation));
  }
}

}  // namespace sim::import
