// glTF nodes into the neutral model: the default scene's hierarchy in depth-first order, each node
// with its local transform and the parts of its mesh; what the host does not carry yet is named.
#include "host/sim/import/gltf_reader.h"

#include <algorithm>
#include <cmath>

#include "host/sim/import/gltf_checks.h"
#include "host/sim/scene_file/scene_limits.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

// glTF's column-vector matrix, column-major, as the host's row-vector Matrix3: the host's rows are
// glTF's columns. The fourth row of an affine matrix carries nothing.
Matrix3 FromColumns(const std::vector<double>& m) {
  auto p = [&](std::size_t column) {
    return Point3(static_cast<float>(m[column * 4]), static_cast<float>(m[column * 4 + 1]),
                  static_cast<float>(m[column * 4 + 2]));
  };
  return Matrix3(p(0), p(1), p(2), p(3));
}

// Scale, then rotation (a unit quaternion x, y, z, w), then translation.
Matrix3 FromParts(const tinygltf::Node& node) {
  double x = 0, y = 0, z = 0, w = 1;
  if (node.rotation.size() == 4) {
    x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], w = node.rotation[3];
    double length = std::sqrt(x * x + y * y + z * z + w * w);
    if (length > 0) x /= length, y /= length, z /= length, w /= length;
  }
  double sx = 1, sy = 1, sz = 1;
  if (node.scale.size() == 3) sx = node.scale[0], sy = node.scale[1], sz = node.scale[2];
  auto row = [](double a, double b, double c, double s) {
    return Point3(static_cast<float>(a * s), static_cast<float>(b * s), static_cast<float>(c * s));
  };
  // Row i is the image of axis i: column i of the rotation matrix, scaled by the axis' factor.
  Matrix3 m(row(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), sx),
            row(2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), sy),
            row(2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), sz), Point3());
  if (node.translation.size() == 3) {
    m.SetTrans(row(node.translation[0], node.translation[1], node.translation[2], 1));
  }
  return m;
}

void CheckFinite(const GltfContext& c, const tinygltf::Node& node, std::size_t index) {
  for (const auto* values : {&node.matrix, &node.rotation, &node.scale, &node.translation}) {
    for (double v : *values) {
      if (!std::isfinite(v) || std::fabs(v) > 3.0e38) {
        c.accessors.Fail(Pointer("nodes", index),
                         "the transform holds a value that is not a finite float");
      }
    }
  }
  if (!node.matrix.empty() && node.matrix.size() != 16) {
    c.accessors.Fail(Pointer("nodes", index) + "/matrix", "a matrix has 16 numbers");
  }
}

void WarnDropped(GltfContext& c) {
  const tinygltf::Model& d = c.document;
  auto& warnings = c.model.warnings;
  // Required extensions were checked with the JSON (gltf_checks.h).
  for (const std::string& name : d.extensionsUsed) {
    if (!IsUnderstoodGltfExtension(name)) warnings.push_back("extension " + name + " is ignored");
  }
  auto count = [](std::size_t n, const char* what) { return std::to_string(n) + " " + what; };
  if (!d.cameras.empty()) warnings.push_back(count(d.cameras.size(), "cameras are dropped"));
  if (!d.lights.empty()) warnings.push_back(count(d.lights.size(), "lights are dropped"));
  if (d.scenes.size() > 1) {
    warnings.push_back(count(d.scenes.size() - 1, "scenes besides the default one are dropped"));
  }
}

// The nodes the default scene holds (every node without a parent when there is no scene), in
// depth-first order, refusing a node that is its own ancestor or has two parents. Returns the glTF
// node of each model node.
std::vector<int> ReadNodes(GltfContext& c, const std::vector<std::vector<int>>& meshParts) {
  const tinygltf::Model& d = c.document;
  const std::size_t count = d.nodes.size();
  if (count > SceneLimits::kMaxNodes) {
    c.accessors.Fail("/nodes", std::to_string(count) + " nodes, more than the limit of " +
                                   std::to_string(SceneLimits::kMaxNodes));
  }
  std::vector<int> parentOf(count, -1);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t k = 0; k < d.nodes[i].children.size(); ++k) {
      int child = d.nodes[i].children[k];
      std::string place = Pointer("nodes", i) + Pointer("children", k);
      if (child < 0 || static_cast<std::size_t>(child) >= count) {
        c.accessors.Fail(place, "node " + std::to_string(child) + " does not exist");
      }
      if (parentOf[static_cast<std::size_t>(child)] >= 0 || static_cast<std::size_t>(child) == i) {
        c.accessors.Fail(place, "node " + std::to_string(child) +
                                    " has two parents or is its own ancestor: the hierarchy loops");
      }
      parentOf[static_cast<std::size_t>(child)] = static_cast<int>(i);
    }
  }
  // A chain of parents that comes back to where it started is a loop, whichever scene holds it.
  std::vector<char> state(count, 0);
  for (std::size_t i = 0; i < count; ++i) {
    std::vector<std::size_t> path;
    int j = static_cast<int>(i);
    while (j >= 0 && state[static_cast<std::size_t>(j)] == 0) {
      state[static_cast<std::size_t>(j)] = 1;
      path.push_back(static_cast<std::size_t>(j));
      j = parentOf[static_cast<std::size_t>(j)];
    }
    if (j >= 0 && state[static_cast<std::size_t>(j)] == 1) {
      c.accessors.Fail(Pointer("nodes", static_cast<std::size_t>(j)),
                       "the node is its own ancestor: the hierarchy loops");
    }
    for (std::size_t k : path) state[k] = 2;
  }
  std::vector<int> roots;
  int sceneIndex = d.defaultScene >= 0 ? d.defaultScene : (d.scenes.empty() ? -1 : 0);
  if (sceneIndex >= 0) {
    if (static_cast<std::size_t>(sceneIndex) >= d.scenes.size()) {
      c.accessors.Fail("/scene", "scene " + std::to_string(sceneIndex) + " does not exist");
    }
    roots = d.scenes[static_cast<std::size_t>(sceneIndex)].nodes;
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      if (parentOf[i] < 0) roots.push_back(static_cast<int>(i));
    }
  }
  std::vector<bool> seen(count, false);
  std::vector<int> sourceOf;
  // Depth-first with an explicit stack: (glTF node, index of the parent in the model, depth).
  struct Pending {
    int node, parent, depth;
  };
  std::vector<Pending> stack;
  for (auto r = roots.rbegin(); r != roots.rend(); ++r) stack.push_back({*r, -1, 1});
  while (!stack.empty()) {
    Pending next = stack.back();
    stack.pop_back();
    std::string place = Pointer("nodes", static_cast<std::size_t>(std::max(next.node, 0)));
    if (next.node < 0 || static_cast<std::size_t>(next.node) >= count) {
      c.accessors.Fail("/scenes", "node " + std::to_string(next.node) + " does not exist");
    }
    auto n = static_cast<std::size_t>(next.node);
    if (seen[n])
      c.accessors.Fail(place, "the node appears twice in the scene: the hierarchy loops");
    if (next.parent < 0 && parentOf[n] >= 0) {
      c.accessors.Fail(place, "a scene's root node has a parent: the hierarchy loops");
    }
    if (next.depth > SceneLimits::kMaxHierarchyDepth) {
      c.accessors.Fail(place, "the node lies more than " +
                                  std::to_string(SceneLimits::kMaxHierarchyDepth) + " levels deep");
    }
    seen[n] = true;
    const tinygltf::Node& source = d.nodes[n];
    CheckFinite(c, source, n);
    ImportedNode node;
    node.parent = next.parent;
    node.local = source.matrix.size() == 16 ? FromColumns(source.matrix) : FromParts(source);
    if (source.mesh >= 0) {
      if (static_cast<std::size_t>(source.mesh) >= meshParts.size()) {
        c.accessors.Fail(place + "/mesh",
                         "mesh " + std::to_string(source.mesh) + " does not exist");
      }
      node.parts = meshParts[static_cast<std::size_t>(source.mesh)];
      node.meshName = platform::Utf8ToWide(d.meshes[static_cast<std::size_t>(source.mesh)].name);
    }
    std::string name = source.name;
    if (name.empty())
      name = source.mesh >= 0 ? d.meshes[static_cast<std::size_t>(source.mesh)].name : "";
    if (name.empty()) name = "Node" + std::to_string(n);
    node.name = platform::Utf8ToWide(name);
    int self = static_cast<int>(c.model.nodes.size());
    c.model.nodes.push_back(std::move(node));
    sourceOf.push_back(next.node);
    for (auto k = source.children.rbegin(); k != source.children.rend(); ++k) {
      stack.push_back({*k, self, next.depth + 1});
    }
  }
  std::size_t outside = static_cast<std::size_t>(std::count(seen.begin(), seen.end(), false));
  if (outside > 0) {
    c.model.warnings.push_back(std::to_string(outside) + " nodes outside the scene are dropped");
  }
  return sourceOf;
}

}  // namespace

std::string Pointer(const char* array, std::size_t index) {
  return std::string("/") + array + "/" + std::to_string(index);
}

void ReadGltfModel(GltfContext& context) {
  context.model.yUp = true;
  WarnDropped(context);
  ReadGltfMaterials(context);
  std::vector<std::vector<int>> meshParts = ReadGltfMeshes(context);
  std::vector<int> sourceOfNode = ReadNodes(context, meshParts);
  ReadGltfSkins(context, sourceOfNode);
  ReadGltfAnimations(context, sourceOfNode);
}

std::vector<int> ModelIndexOfNodes(const GltfContext& context,
                                   const std::vector<int>& sourceOfNode) {
  std::vector<int> modelIndex(context.document.nodes.size(), -1);
  for (std::size_t n = 0; n < sourceOfNode.size(); ++n) {
    modelIndex[static_cast<std::size_t>(sourceOfNode[n])] = static_cast<int>(n);
  }
  return modelIndex;
}

}  // namespace sim::import
