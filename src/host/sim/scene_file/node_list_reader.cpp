#include "host/sim/scene_file/node_list_reader.h"

#include <map>
#include <string>
#include <vector>

#include "host/sim/scene_file/object_reader.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/sim/scene_file/transform_reader.h"

namespace sim {

namespace {

constexpr int kUnderRoot = -1;

struct NodeEntry {
  explicit NodeEntry(JsonPlace where) : place(std::move(where)) {}

  JsonPlace place;
  std::string id;
  std::wstring name;
  std::optional<JsonPlace> parent;
  bool hidden = false;
  bool selected = false;
  bool renderable = true;
  Matrix3 transform;
  Matrix3 pivot;
  std::optional<DWORD> wireColor;
  std::optional<MaterialBuilder> material;
  NodeObjects objects;
};

void CheckKeys(const JsonPlace& node, int version) {
  RefuseLaterKeys(
      node, version, 2,
      {"object", "modifiers", "derivedObjects", "worldSpaceModifiers", "pivot", "controller"});
  RefuseLaterKeys(node, version, 3, {"wireColor"});
  RefuseLaterKeys(node, version, 4, {"material"});
  node.ExpectObject({"id", "name", "parent", "hidden", "selected", "renderable", "transform",
                     "object", "modifiers", "derivedObjects", "worldSpaceModifiers", "pivot",
                     "controller", "wireColor", "material"});
}

// [r, g, b], bytes, packed as the host packs colours: red in the low byte.
DWORD ReadWireColor(const JsonPlace& color) {
  color.ExpectArray(3, 3);
  DWORD packed = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    packed |= static_cast<DWORD>(color.Element(i).Integer(0, 255)) << (8 * i);
  }
  return packed;
}

NodeEntry ReadNodeEntry(const JsonPlace& node, int version, int ticksPerFrame,
                        const MaterialTable& materials, GeometryBudget& budget,
                        std::vector<NodeReference>& references) {
  CheckKeys(node, version);
  NodeEntry entry(node);
  JsonPlace name = node.Field("name");
  entry.name = name.WideString();
  // Without an explicit id a node is known by its name.
  auto id = node.OptionalField("id");
  entry.id = id ? id->String() : name.String();
  entry.parent = node.OptionalField("parent");
  if (auto hidden = node.OptionalField("hidden")) entry.hidden = hidden->Bool();
  if (auto selected = node.OptionalField("selected")) entry.selected = selected->Bool();
  if (auto renderable = node.OptionalField("renderable")) entry.renderable = renderable->Bool();
  if (auto transform = node.OptionalField("transform")) entry.transform = ReadTransform(*transform);
  if (auto pivot = node.OptionalField("pivot")) entry.pivot = ReadTransform(*pivot);
  if (auto color = node.OptionalField("wireColor")) entry.wireColor = ReadWireColor(*color);
  if (auto material = node.OptionalField("material")) {
    entry.material = LookUpMaterial(*material, materials);
  }
  entry.objects = ReadNodeObjects(node, version, ticksPerFrame, budget, references);
  return entry;
}

std::vector<int> ResolveParents(const std::vector<NodeEntry>& entries) {
  std::map<std::string, int> byId;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto [existing, added] = byId.emplace(entries[i].id, static_cast<int>(i));
    if (!added) {
      entries[i].place.Fail("the id \"" + entries[i].id + "\" is already used by " +
                            entries[static_cast<std::size_t>(existing->second)].place.Pointer() +
                            "; give one of them an explicit \"id\"");
    }
  }
  std::vector<int> parents(entries.size(), kUnderRoot);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].parent) continue;
    std::string parentId = entries[i].parent->String();
    auto found = byId.find(parentId);
    if (found == byId.end()) entries[i].parent->Fail("no node has the id \"" + parentId + "\"");
    parents[i] = found->second;
  }
  return parents;
}

// Every parent chain must reach the root without looping and without growing too deep.
void CheckChains(const std::vector<NodeEntry>& entries, const std::vector<int>& parents) {
  constexpr int kUnknown = -1, kWalking = -2;
  std::vector<int> depth(entries.size(), kUnknown);
  for (std::size_t start = 0; start < entries.size(); ++start) {
    std::vector<int> chain;
    int node = static_cast<int>(start);
    while (node != kUnderRoot && depth[static_cast<std::size_t>(node)] == kUnknown) {
      depth[static_cast<std::size_t>(node)] = kWalking;
      chain.push_back(node);
      node = parents[static_cast<std::size_t>(node)];
    }
    if (node != kUnderRoot && depth[static_cast<std::size_t>(node)] == kWalking) {
      std::string loop = entries[static_cast<std::size_t>(node)].id;
      int step = parents[static_cast<std::size_t>(node)];
      for (int shown = 0; shown < 8; ++shown, step = parents[static_cast<std::size_t>(step)]) {
        loop += " -> " + entries[static_cast<std::size_t>(step)].id;
        if (step == node) break;
      }
      if (step != node) loop += " -> ...";
      entries[static_cast<std::size_t>(node)].parent->Fail("the parent chain loops: " + loop);
    }
    int below = node == kUnderRoot ? 0 : depth[static_cast<std::size_t>(node)];
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      depth[static_cast<std::size_t>(*it)] = ++below;
      if (below > SceneLimits::kMaxHierarchyDepth) {
        entries[static_cast<std::size_t>(*it)].place.Fail(
            "the node lies deeper than " + std::to_string(SceneLimits::kMaxHierarchyDepth) +
            " levels below the scene root");
      }
    }
  }
}

void ApplyEntry(NodeEntry& entry, NodeBuilder& node) {
  node.Hidden(entry.hidden).Selected(entry.selected).Renderable(entry.renderable);
  node.Transform(entry.transform).Pivot(entry.pivot);
  if (entry.wireColor) node.WireColor(*entry.wireColor);
  if (entry.material) node.Material(*entry.material);
  ApplyNodeObjects(std::move(entry.objects), node);
}

// Skinning modifiers name their bones by node id; every node is known by now.
void ResolveReferences(const std::vector<NodeEntry>& entries,
                       const std::vector<NodeBuilder*>& built,
                       std::vector<NodeReference>& references) {
  std::map<std::string, std::size_t> byId;
  for (std::size_t i = 0; i < entries.size(); ++i) byId.emplace(entries[i].id, i);
  for (NodeReference& reference : references) {
    std::string id = reference.id.String();
    auto found = byId.find(id);
    if (found == byId.end()) reference.id.Fail("no node has the id \"" + id + "\"");
    *reference.target = built[found->second];
  }
}

void ReadRoot(const JsonPlace& root, NodeBuilder& node) {
  root.ExpectObject({"name", "transform"});
  if (auto name = root.OptionalField("name")) node.Name(name->WideString());
  if (auto transform = root.OptionalField("transform")) node.Transform(ReadTransform(*transform));
}

}  // namespace

void ReadNodes(const std::optional<JsonPlace>& root, const std::optional<JsonPlace>& nodes,
               int version, const MaterialTable& materials, SceneBuilder& builder) {
  if (root) ReadRoot(*root, builder.Root());
  if (!nodes) return;
  std::size_t count = nodes->ExpectArray(0, SceneLimits::kMaxNodes);
  std::vector<NodeEntry> entries;
  entries.reserve(count);
  GeometryBudget budget;
  std::vector<NodeReference> references;
  for (std::size_t i = 0; i < count; ++i) {
    entries.push_back(ReadNodeEntry(nodes->Element(i), version, builder.TicksPerFrameSetting(),
                                    materials, budget, references));
  }
  std::vector<int> parents = ResolveParents(entries);
  CheckChains(entries, parents);

  std::vector<std::vector<int>> children(count);
  std::vector<int> topLevel;
  for (std::size_t i = 0; i < count; ++i) {
    (parents[i] == kUnderRoot ? topLevel : children[static_cast<std::size_t>(parents[i])])
        .push_back(static_cast<int>(i));
  }
  // Breadth first with a work list: sibling order is kept, and depth costs no stack.
  std::vector<NodeBuilder*> built(count, nullptr);
  std::vector<std::pair<NodeBuilder*, int>> pending;
  for (int i : topLevel) pending.emplace_back(&builder.Root(), i);
  for (std::size_t next = 0; next < pending.size(); ++next) {
    auto [parent, index] = pending[next];
    NodeEntry& entry = entries[static_cast<std::size_t>(index)];
    NodeBuilder& node = parent->AddChild(entry.name);
    built[static_cast<std::size_t>(index)] = &node;
    ApplyEntry(entry, node);
    for (int child : children[static_cast<std::size_t>(index)]) pending.emplace_back(&node, child);
  }
  ResolveReferences(entries, built, references);
}

}  // namespace sim
