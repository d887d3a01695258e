// The document's frames as nodes, its meshes as their parts, the skins resolved against the frames
// once all are read, then the animation sets.
#include "host/sim/import/xfile_reader.h"

#include <algorithm>
#include <cmath>

#include "host/sim/import/xfile_parts.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"
#include "platform/text_encoding.h"
#include "xof/file_reader.h"
#include "xof/object_values.h"
#include "xof/template_ids.h"
#include "xof/tokens.h"

namespace sim::import {

Matrix3 XAxes::Transform(const float* m) const {
  Matrix3 out;
  for (int i = 0; i < 4; ++i) {
    int row = i < 3 ? axis[static_cast<std::size_t>(i)] : 3;
    float rowSign = i < 3 ? sign[static_cast<std::size_t>(i)] : 1.0f;
    for (std::size_t j = 0; j < 3; ++j) {
      float v = m[row * 4 + axis[j]];
      // Signs by negation, not by multiplying: a zero keeps the sign it had.
      out[i][static_cast<int>(j)] = rowSign * sign[j] < 0 ? -v : v;
    }
  }
  return out;
}

std::array<float, 4> XAxes::Rotation(const float* wxyz) const {
  // The mirror turns the host quaternion's axis v into -(P v), and the classic quaternion is its
  // conjugate: (P v, w).
  const float* v = wxyz + 1;
  auto component = [&](std::size_t i) {
    float value = v[axis[i]];
    return sign[i] < 0 ? -value : value;
  };
  return {component(0), component(1), component(2), wxyz[0]};
}

bool IsA(const xof::DataObject* object, const xof::Guid& id) {
  return object && object->type && object->type->id == id;
}

void XReadContext::Fail(const std::string& problem) const {
  throw SceneFileError(fileName, "", problem);
}

const xof::DataObject* XReadContext::Resolve(const xof::DataChild& child) const {
  if (!child.IsReference()) return child.object.get();
  auto found = named_.find(child.reference.name);
  return found == named_.end() ? nullptr : found->second;
}

namespace {

class DocumentReader {
 public:
  DocumentReader(const xof::XFileDocument& document, XReadContext& context)
      : document_(document), context_(context), model_(context.model) {}

  void Read() {
    for (const auto& object : document_.objects) NameAll(*object, 0);
    for (const auto& object : document_.objects) {
      if (IsA(object.get(), xof::tid::Frame)) {
        ReadFrame(*object, -1, 1);
      } else if (IsA(object.get(), xof::tid::Mesh)) {
        // A mesh outside every frame stands in a node of its own.
        int node = AddNode(object->name.empty() ? "Mesh" : object->name, -1, Matrix3());
        AddMesh(node, *object);
      } else if (IsA(object.get(), xof::tid::Material)) {
        // Shared materials are read where a mesh names them, so that unused ones stay out.
      } else if (!IsA(object.get(), xof::tid::AnimationSet) &&
                 !IsA(object.get(), xof::tid::AnimTicksPerSecond) &&
                 !IsA(object.get(), xof::tid::Header)) {
        Dropped(*object);
      }
    }
    for (ImportedNode& node : model_.nodes) node.bone = node.parts.empty();
    MakeSkins();
    ReadAnimations();
  }

 private:
  // Every named object, at every depth, for references (the first of a name wins).
  void NameAll(const xof::DataObject& object, int depth) {
    context_.Name(object);
    if (depth > SceneLimits::kMaxHierarchyDepth) return;
    for (const xof::DataChild& child : object.children) {
      if (!child.IsReference()) NameAll(*child.object, depth + 1);
    }
  }

  void Dropped(const xof::DataObject& object) {
    context_.Warn(object.type->name + " records are dropped (the host has no place for them)");
  }

  int AddNode(const std::string& name, int parent, const Matrix3& local) {
    if (model_.nodes.size() >= SceneLimits::kMaxNodes) {
      context_.Fail("the file holds more frames than a scene may have nodes (" +
                    std::to_string(SceneLimits::kMaxNodes) + ")");
    }
    ImportedNode node;
    node.name =
        platform::Utf8ToWide(name.empty() ? "Frame" + std::to_string(model_.nodes.size()) : name);
    node.parent = parent;
    node.local = local;
    model_.nodes.push_back(std::move(node));
    int index = static_cast<int>(model_.nodes.size()) - 1;
    nodeByName_.emplace(name, index);
    return index;
  }

  void AddMesh(int node, const xof::DataObject& mesh) {
    XSkinBones bones;
    int part = ReadXMesh(context_, mesh, bones);
    ImportedNode& target = model_.nodes[static_cast<std::size_t>(node)];
    if (model_.parts[static_cast<std::size_t>(part)].triangles.empty()) {
      context_.Warn("mesh " + mesh.name + " has no faces: it is left out");
      return;
    }
    target.parts.push_back(part);
    if (target.meshName.empty()) target.meshName = platform::Utf8ToWide(mesh.name);
    if (!bones.names.empty()) skins_.push_back({node, part, std::move(bones)});
  }

  void ReadFrame(const xof::DataObject& frame, int parent, int depth) {
    if (depth > SceneLimits::kMaxHierarchyDepth) {
      context_.Fail("the frame hierarchy is deeper than a scene may be (" +
                    std::to_string(SceneLimits::kMaxHierarchyDepth) + ")");
    }
    Matrix3 local;
    for (const xof::DataChild& child : frame.children) {
      if (IsA(child.object.get(), xof::tid::FrameTransformMatrix)) {
        xof::ObjectValues values(*child.object);
        const std::vector<float>& m = values.Member(0).floats;
        if (m.size() < 16) continue;
        for (float v : m) {
          if (!std::isfinite(v)) {
            context_.Fail("frame " + frame.name + ": the matrix holds a value that is not finite");
          }
        }
        local = context_.axes.Transform(m.data());
      }
    }
    int node = AddNode(frame.name, parent, local);
    for (const xof::DataChild& child : frame.children) {
      const xof::DataObject* object = context_.Resolve(child);
      if (!object) {
        context_.Warn("frame " + frame.name + " names " + child.reference.name +
                      ", which the file does not hold");
        continue;
      }
      if (IsA(object, xof::tid::Frame)) {
        if (child.IsReference()) {
          context_.Warn("frame references are dropped (frame " + frame.name + ")");
        } else {
          ReadFrame(*object, node, depth + 1);
        }
      } else if (IsA(object, xof::tid::Mesh)) {
        AddMesh(node, *object);
      } else if (!IsA(object, xof::tid::FrameTransformMatrix)) {
        Dropped(*object);
      }
    }
  }

  // The frame the exporter adds under a bone bound where its mesh is (for Irrlicht, which reads
  // an identity offset as none): named after the bone with "_Skin", half a turn about the file's Y
  // from it, and nothing else. The skin binds to the bone again with the offset turned back, and
  // the frame goes, so that an export makes it again as it was.
  bool IsSkinFrame(int index) const {
    const ImportedNode& node = model_.nodes[static_cast<std::size_t>(index)];
    if (node.parent < 0 || !node.parts.empty() || hasChildren_[static_cast<std::size_t>(index)] ||
        node.name != model_.nodes[static_cast<std::size_t>(node.parent)].name + L"_Skin") {
      return false;
    }
    Matrix3 halfTurn(Point3(-1, 0, 0), Point3(0, -1, 0), Point3(0, 0, 1), Point3(0, 0, 0));
    return node.local == halfTurn;
  }

  // offset * turn: its x and y columns (the file's x and z) change sign, zeros staying zeros.
  static Matrix3 TurnedBack(Matrix3 offset) {
    for (int row = 0; row < 4; ++row) {
      for (int column : {0, 1})
        offset[row][column] = offset[row][column] == 0.0f ? 0.0f : -offset[row][column];
    }
    return offset;
  }

  void DropFolded(const std::vector<bool>& folded) {
    std::vector<int> renumbered(model_.nodes.size(), -1);
    std::vector<ImportedNode> kept;
    for (std::size_t n = 0; n < model_.nodes.size(); ++n) {
      if (folded[n]) continue;
      renumbered[n] = static_cast<int>(kept.size());
      kept.push_back(std::move(model_.nodes[n]));
    }
    for (ImportedNode& node : kept) {
      if (node.parent >= 0) node.parent = renumbered[static_cast<std::size_t>(node.parent)];
    }
    for (ImportedSkin& skin : model_.skins) {
      for (int& joint : skin.joints) joint = renumbered[static_cast<std::size_t>(joint)];
    }
    model_.nodes = std::move(kept);
    nodeByName_.clear();
    for (std::size_t n = model_.nodes.size(); n-- > 0;) {
      nodeByName_[platform::WideToUtf8(model_.nodes[n].name)] = static_cast<int>(n);
    }
  }

  // Each skinned mesh's bones are the frames of their names; a name no frame has loses its
  // weights (the other bones stay), as a reader has nothing to move them with.
  void MakeSkins() {
    hasChildren_.assign(model_.nodes.size(), false);
    for (const ImportedNode& node : model_.nodes) {
      if (node.parent >= 0) hasChildren_[static_cast<std::size_t>(node.parent)] = true;
    }
    std::vector<bool> folded(model_.nodes.size(), false);
    for (PendingSkin& pending : skins_) {
      ImportedSkin skin;
      ImportedMeshPart& part = model_.parts[static_cast<std::size_t>(pending.part)];
      std::vector<std::vector<ImportedInfluence>> perVertex(pending.bones.fileVertices);
      for (std::size_t b = 0; b < pending.bones.names.size(); ++b) {
        const std::string& name = pending.bones.names[b];
        auto found = nodeByName_.find(name);
        if (found == nodeByName_.end()) {
          // Worded as for every format.
          context_.Warn("bone \"" + name +
                        "\" names no node of the scene: its weights are dropped");
          continue;
        }
        int joint = static_cast<int>(skin.joints.size());
        int bone = found->second;
        Matrix3 offset = pending.bones.offsets[b];
        if (IsSkinFrame(bone)) {
          folded[static_cast<std::size_t>(bone)] = true;
          bone = model_.nodes[static_cast<std::size_t>(bone)].parent;
          offset = TurnedBack(offset);
        }
        skin.joints.push_back(bone);
        skin.inverseBindMatrices.push_back(offset);
        for (auto [vertex, weight] : pending.bones.weights[b]) {
          if (weight > 0.0f) perVertex[vertex].push_back({joint, weight});
        }
      }
      if (skin.joints.empty()) continue;
      part.influenceStarts.reserve(part.positions.size() + 1);
      for (std::uint32_t source : pending.bones.sourceVertex) {
        const std::vector<ImportedInfluence>& influences = perVertex[source];
        part.influenceStarts.push_back(static_cast<std::uint32_t>(part.influences.size()));
        part.influences.insert(part.influences.end(), influences.begin(), influences.end());
      }
      part.influenceStarts.push_back(static_cast<std::uint32_t>(part.influences.size()));
      part.largestJoint = static_cast<int>(skin.joints.size()) - 1;
      part.influencePlace = "mesh " + pending.bones.meshName;
      ImportedNode& node = model_.nodes[static_cast<std::size_t>(pending.node)];
      if (node.skin >= 0) {
        context_.Warn("a frame with two skinned meshes keeps the first one's skin (frame " +
                      platform::WideToUtf8(node.name) + ")");
        continue;
      }
      model_.skins.push_back(std::move(skin));
      node.skin = static_cast<int>(model_.skins.size()) - 1;
    }
    if (std::find(folded.begin(), folded.end(), true) != folded.end()) DropFolded(folded);
  }

  // The rate of a set: an AnimTicksPerSecond inside it, else the last one before it at the top
  // level, else the DirectX default of 4800.
  void ReadAnimations() {
    double rate = 4800.0;
    for (const auto& object : document_.objects) {
      if (IsA(object.get(), xof::tid::AnimTicksPerSecond)) {
        rate = Rate(*object, rate);
      } else if (IsA(object.get(), xof::tid::AnimationSet)) {
        double own = rate;
        for (const xof::DataChild& child : object->children) {
          if (IsA(child.object.get(), xof::tid::AnimTicksPerSecond)) own = Rate(*child.object, own);
        }
        ReadXAnimationSet(context_, *object, own, nodeByName_);
      }
    }
  }

  double Rate(const xof::DataObject& object, double before) {
    std::uint32_t rate = xof::ObjectValues(object).Integer(0);
    if (rate == 0) {
      context_.Warn("an AnimTicksPerSecond of 0 is ignored");
      return before;
    }
    return rate;
  }

  struct PendingSkin {
    int node;
    int part;
    XSkinBones bones;
  };

  const xof::XFileDocument& document_;
  XReadContext& context_;
  ImportedModel& model_;
  std::map<std::string, int, std::less<>> nodeByName_;
  std::vector<PendingSkin> skins_;
  std::vector<bool> hasChildren_;
};

}  // namespace

ImportedModel ModelOfXDocument(const xof::XFileDocument& document, const std::string& fileName,
                               const ModelFolder& folder, const ImportSettings& settings) {
  ImportedModel model;
  XAxes axes;
  if (settings.up == UpAxis::kZ) axes = {{0, 1, 2}, {1, -1, 1}};
  model.yUp = false;  // the axes above already give the host's
  XReadContext context(model, fileName, folder, axes);
  try {
    DocumentReader(document, context).Read();
  } catch (const xof::FormatError& error) {
    throw SceneFileError(fileName, "", error.what());
  }
  return model;
}

ImportedModel ReadXFileModel(const std::filesystem::path& path, const std::string& fileName,
                             const ImportSettings& settings) {
  // Segments are for writers; the importer reads values.
  xof::ReadResult read = xof::ReadXFileAt(path, xof::ReadOptions{.segments = false});
  if (!read.ok()) throw SceneFileError(fileName, "", read.Describe());
  return ModelOfXDocument(*read.document, fileName, ModelFolder::Of(path), settings);
}

}  // namespace sim::import
