// glTF primitives into mesh parts: triangles (lists, strips and fans) with their positions,
// normals, texture-coordinate sets and colours; everything else named in a warning.
#include <cmath>
#include <set>

#include "host/sim/import/gltf_reader.h"
#include "host/sim/scene_file/scene_limits.h"

namespace sim::import {

namespace {

constexpr int kMaxUvSets = SceneLimits::kMaxMapChannel;

std::vector<Point3> Vectors(const std::vector<float>& values, int width) {
  std::vector<Point3> result(values.size() / static_cast<std::size_t>(width));
  for (std::size_t i = 0; i < result.size(); ++i) {
    const float* v = values.data() + i * static_cast<std::size_t>(width);
    result[i] = Point3(v[0], width > 1 ? v[1] : 0.0f, width > 2 ? v[2] : 0.0f);
  }
  return result;
}

// Triangles of a list, a strip or a fan over `indices`.
std::vector<std::array<DWORD, 3>> Triangles(const std::vector<std::uint32_t>& indices, int mode) {
  std::vector<std::array<DWORD, 3>> triangles;
  if (mode == TINYGLTF_MODE_TRIANGLES) {
    triangles.reserve(indices.size() / 3);
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
      triangles.push_back({indices[i], indices[i + 1], indices[i + 2]});
    }
  } else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
    for (std::size_t i = 0; i + 2 < indices.size(); ++i) {
      if (i % 2 == 0) {
        triangles.push_back({indices[i], indices[i + 1], indices[i + 2]});
      } else {
        triangles.push_back({indices[i + 1], indices[i], indices[i + 2]});
      }
    }
  } else {
    for (std::size_t i = 1; i + 1 < indices.size(); ++i) {
      triangles.push_back({indices[0], indices[i], indices[i + 1]});
    }
  }
  return triangles;
}

class PrimitiveReader {
 public:
  PrimitiveReader(GltfContext& context, std::set<std::string>& warned)
      : context_(context), warned_(warned) {}

  // The part of one primitive; false when it has no triangles to give.
  bool Read(const tinygltf::Primitive& primitive, const std::string& place,
            ImportedMeshPart& part) {
    int mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
    if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP &&
        mode != TINYGLTF_MODE_TRIANGLE_FAN) {
      Warn("points and lines are skipped (" + place + ")");
      return false;
    }
    auto position = primitive.attributes.find("POSITION");
    if (position == primitive.attributes.end()) {
      Warn("primitives without positions are skipped (" + place + ")");
      return false;
    }
    const GltfAccessors& a = context_.accessors;
    std::string at = place + "/attributes/";
    part.positions = Vectors(a.Floats(position->second, 3, at + "POSITION"), 3);
    const std::size_t count = part.positions.size();
    for (const auto& [name, accessor] : primitive.attributes)
      ReadAttribute(name, accessor, at, count, part);
    ReadGltfInfluences(context_, primitive, place, part,
                       [this](const std::string& line) { Warn(line); });
    std::vector<std::uint32_t> indices;
    if (primitive.indices >= 0) {
      indices = a.Indices(primitive.indices, place + "/indices");
      for (std::size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] >= count) {
          a.Fail("/accessors/" + std::to_string(primitive.indices),
                 "index " + std::to_string(i) + " is " + std::to_string(indices[i]) +
                     ", past the primitive's " + std::to_string(count) + " vertices");
        }
      }
    } else {
      indices.resize(count);
      for (std::size_t i = 0; i < count; ++i) indices[i] = static_cast<std::uint32_t>(i);
    }
    part.triangles = Triangles(indices, mode);
    if (!primitive.targets.empty()) Warn("morph targets are dropped");
    if (primitive.material >= 0 &&
        static_cast<std::size_t>(primitive.material) >= context_.document.materials.size()) {
      a.Fail(place + "/material",
             "material " + std::to_string(primitive.material) + " does not exist");
    }
    part.material = primitive.material;
    return true;
  }

 private:
  void ReadAttribute(const std::string& name, int accessor, const std::string& at,
                     std::size_t count, ImportedMeshPart& part) {
    const GltfAccessors& a = context_.accessors;
    std::string place = at + name;
    if (name == "POSITION") return;
    if (name == "NORMAL" || name.rfind("TEXCOORD_", 0) == 0 || name.rfind("COLOR_", 0) == 0) {
      if (a.Count(accessor, place) != count) {
        a.Fail(place, "accessor " + std::to_string(accessor) + " holds " +
                          std::to_string(a.Count(accessor, place)) + " elements for " +
                          std::to_string(count) + " positions");
      }
    }
    if (name == "NORMAL") {
      part.normals = Vectors(a.Floats(accessor, 3, place), 3);
    } else if (name.rfind("TEXCOORD_", 0) == 0) {
      ReadCoordinates(name, accessor, place, part);
    } else if (name == "COLOR_0") {
      int width = a.Components(accessor, place);
      if (width != 3 && width != 4) a.Fail(place, "colours have 3 or 4 components");
      std::vector<float> values = a.Floats(accessor, width, place);
      part.colors = Vectors(values, width);
      if (width == 4) {
        part.alpha.resize(count);
        for (std::size_t i = 0; i < count; ++i) part.alpha[i] = values[i * 4 + 3];
      }
    } else if (name.rfind("COLOR_", 0) == 0) {
      Warn("vertex colour sets after COLOR_0 are dropped");
    } else if (name.rfind("JOINTS_", 0) == 0 || name.rfind("WEIGHTS_", 0) == 0) {
      return;  // read together, by ReadGltfInfluences
    } else if (name == "TANGENT") {
      Warn("tangents are dropped: the exporter builds its own from the normals and coordinates");
    } else {
      Warn("attribute " + name + " is dropped");
    }
  }

  void ReadCoordinates(const std::string& name, int accessor, const std::string& place,
                       ImportedMeshPart& part) {
    int set = 0;
    try {
      set = std::stoi(name.substr(9));
    } catch (const std::exception&) {
      Warn("attribute " + name + " is dropped");
      return;
    }
    if (set < 0 || set >= kMaxUvSets) {
      Warn("texture-coordinate sets past " + std::to_string(kMaxUvSets) + " are dropped");
      return;
    }
    std::vector<Point3> coordinates = Vectors(context_.accessors.Floats(accessor, 2, place), 2);
    for (Point3& uv : coordinates) uv.y = 1.0f - uv.y;
    if (part.uvSets.size() <= static_cast<std::size_t>(set)) part.uvSets.resize(set + 1);
    part.uvSets[static_cast<std::size_t>(set)] = std::move(coordinates);
  }

  void Warn(const std::string& line) {
    if (warned_.insert(line).second) context_.model.warnings.push_back(line);
  }

  GltfContext& context_;
  std::set<std::string>& warned_;
};

}  // namespace

std::vector<std::vector<int>> ReadGltfMeshes(GltfContext& context) {
  std::set<std::string> warned;
  PrimitiveReader reader(context, warned);
  std::vector<std::vector<int>> meshParts(context.document.meshes.size());
  for (std::size_t m = 0; m < context.document.meshes.size(); ++m) {
    const auto& primitives = context.document.meshes[m].primitives;
    for (std::size_t p = 0; p < primitives.size(); ++p) {
      ImportedMeshPart part;
      std::string place = Pointer("meshes", m) + Pointer("primitives", p);
      if (!reader.Read(primitives[p], place, part)) continue;
      if (part.triangles.empty()) {
        context.model.warnings.push_back("a primitive without triangles is skipped (" + place +
                                         ")");
        continue;
      }
      // A set missing between two given ones reads as the origin, as the host keeps a channel.
      for (auto& set : part.uvSets) {
        if (set.empty()) set.assign(part.positions.size(), Point3());
      }
      meshParts[m].push_back(static_cast<int>(context.model.parts.size()));
      context.model.parts.push_back(std::move(part));
    }
  }
  return meshParts;
}

}  // namespace sim::import
