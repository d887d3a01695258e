// What the readers of a `.x` document's parts share: the file's axes, the objects by name, the
// model being filled and its warnings.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>

#include "host/quat.h"
#include "host/sim/import/imported_model.h"
#include "host/sim/import/model_files.h"
#include "xof/data_object.h"

namespace sim::import {

// The file's axes to the host's. A `.x` file is left-handed; the host is right-handed and Z-up.
// Host component i is sign[i] times file component axis[i]: for a Y-up file (x, y, z) -> (x, z, y),
// the exact inverse of the exporter's default conversion, so that its files come back as they
// were. A mirror, so faces change winding.
struct XAxes {
  std::array<int, 3> axis{0, 2, 1};
  std::array<float, 3> sign{1, 1, 1};

  Point3 Point(const float* v) const {
    return {sign[0] * v[axis[0]], sign[1] * v[axis[1]], sign[2] * v[axis[2]]};
  }
  // A row-vector matrix of 16 floats (DirectX order), its last column ignored.
  Matrix3 Transform(const float* m) const;
  // Scale factors: permuted, never negated.
  Point3 Scale(const float* v) const { return {v[axis[0]], v[axis[1]], v[axis[2]]}; }
  // A rotation key (w, x, y, z), the host's quaternion in the file's axes, as the classic
  // quaternion (x, y, z, w) in the host's axes that ImportedChannel holds.
  std::array<float, 4> Rotation(const float* wxyz) const;
};

bool IsA(const xof::DataObject* object, const xof::Guid& id);

class XReadContext {
 public:
  XReadContext(ImportedModel& model, std::string fileName, ModelFolder folder, XAxes axes)
      : model(model), fileName(std::move(fileName)), folder(std::move(folder)), axes(axes) {}

  // One warning line, once.
  void Warn(const std::string& line) {
    if (warned_.insert(line).second) model.warnings.push_back(line);
  }
  [[noreturn]] void Fail(const std::string& problem) const;

  // The object a child is or names; null for a name no object of the file has.
  const xof::DataObject* Resolve(const xof::DataChild& child) const;
  void Name(const xof::DataObject& object) {
    if (!object.name.empty()) named_.emplace(object.name, &object);
  }

  ImportedModel& model;
  std::string fileName;
  ModelFolder folder;
  XAxes axes;
  // Materials read so far, by their record (a shared material is read once).
  std::unordered_map<const xof::DataObject*, int> materialOf;

 private:
  std::map<std::string, const xof::DataObject*, std::less<>> named_;
  std::set<std::string> warned_;
};

// The bone names and weights of a mesh's SkinWeights records, resolved to nodes once the frames
// are all read.
struct XSkinBones {
  std::vector<std::string> names;
  std::vector<Matrix3> offsets;
  // Per bone: (vertex, weight) pairs in the file's vertex numbering.
  std::vector<std::vector<std::pair<std::uint32_t, float>>> weights;
  std::string meshName;
  // The file vertex of each vertex of the part, and how many the file gives.
  std::vector<std::uint32_t> sourceVertex;
  std::size_t fileVertices = 0;
};

// Reads a Mesh record into a part of the model; returns its index. Skin bones go to `bones`.
int ReadXMesh(XReadContext& context, const xof::DataObject& mesh, XSkinBones& bones);
// A Material record as a model material; returns its index.
int ReadXMaterial(XReadContext& context, const xof::DataObject& material);
// An AnimationSet as an animation; `ticksPerSecond` the rate its keys count in.
void ReadXAnimationSet(XReadContext& context, const xof::DataObject& set, double ticksPerSecond,
                       const std::map<std::string, int, std::less<>>& nodes);

}  // namespace sim::import
