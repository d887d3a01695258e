#include "host/sim/scene_file/object_reader.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "host/sim/mesh_primitives.h"
#include "host/sim/scene_file/class_reader.h"
#include "host/sim/scene_file/mesh_reader.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/sim/scene_file/skin_reader.h"

namespace sim {

namespace {

// Objects of a fixed class that a scene names by type; "classId" may name another class of the
// same family (say, one of the other bone classes), "convertible" overrides the default.
struct GenericType {
  std::string_view name;
  SClass_ID superClass;
  Class_ID classId;
  bool convertible;
};

constexpr GenericType kGenericTypes[] = {
    {"dummy", HELPER_CLASS_ID, kDummyClass, false},
    {"helper", HELPER_CLASS_ID, kPointHelperClass, false},
    {"bone", GEOMOBJECT_CLASS_ID, kBoneClass, true},
    {"biped", GEOMOBJECT_CLASS_ID, kBipedClass, true},
    {"target", GEOMOBJECT_CLASS_ID, kTargetClass, false},
    {"patch", GEOMOBJECT_CLASS_ID, kPatchClass, true},
    {"surface", GEOMOBJECT_CLASS_ID, kSurfaceClass, true},
    {"shape", SHAPE_CLASS_ID, kLineShapeClass, false},
};

constexpr NamedClass kObjectSpaceModifiers[] = {{"skin", kSkinModifierClass},
                                                {"physique", kPhysiqueModifierClass},
                                                {"displace", kDisplaceModifierClass}};
constexpr NamedClass kWorldSpaceModifiers[] = {{"displace", kWorldDisplaceModifierClass}};

float ReadSize(const JsonPlace& object, std::string_view key, float fallback) {
  auto place = object.OptionalField(key);
  if (!place) return fallback;
  float size = place->Float();
  if (size < 0) place->Fail("a size must not be negative");
  return size;
}

ObjectDescription ReadMeshObject(const JsonPlace& object, int version, GeometryBudget& budget) {
  RefuseLaterKeys(object, version, 3, {"maps", "specifiedNormals"});
  object.ExpectObject({"type", "vertices", "faces", "maps", "specifiedNormals"});
  return {.classId = TRIOBJ_CLASS_ID, .triObject = true, .mesh = ReadMesh(object, budget)};
}

ObjectDescription ReadBox(const JsonPlace& object, GeometryBudget& budget) {
  object.ExpectObject({"type", "length", "width", "height"});
  float length = ReadSize(object, "length", 1), width = ReadSize(object, "width", 1);
  float height = ReadSize(object, "height", 1);
  budget.Take(object, 8, 12);
  return {.classId = kBoxClass, .mesh = MakeBoxMesh(length, width, height)};
}

ObjectDescription ReadSphere(const JsonPlace& object, GeometryBudget& budget) {
  object.ExpectObject({"type", "radius", "segments"});
  float radius = ReadSize(object, "radius", 1);
  int segments = 16;
  if (auto place = object.OptionalField("segments")) {
    segments = static_cast<int>(place->Integer(3, SceneLimits::kMaxSphereSegments));
  }
  budget.Take(object, static_cast<std::size_t>(SphereVertexCount(segments)),
              static_cast<std::size_t>(SphereFaceCount(segments)));
  return {.classId = kSphereClass, .mesh = MakeSphereMesh(radius, segments)};
}

// "custom" when `type` is null: the super class and class ID are then required.
ObjectDescription ReadGeneric(const JsonPlace& object, const GenericType* type,
                              GeometryBudget& budget) {
  ObjectDescription description;
  bool convertible = false;
  if (type) {
    object.ExpectObject({"type", "classId", "convertible"});
    description.superClass = type->superClass;
    description.classId = type->classId;
    convertible = type->convertible;
  } else {
    object.ExpectObject({"type", "superClass", "classId", "convertible"});
    description.superClass = ReadClassNumber(object.Field("superClass"));
    description.classId = ReadClassId(object.Field("classId"));
  }
  if (auto classId = object.OptionalField("classId")) description.classId = ReadClassId(*classId);
  if (auto place = object.OptionalField("convertible")) convertible = place->Bool();
  if (convertible) {
    budget.Take(object, 8, 12);
    description.mesh = MakeBoxMesh(1, 1, 1);
  }
  return description;
}

// A patch object with its own patches; without "vertices" a patch is the plain convertible object.
ObjectDescription ReadPatchObject(const JsonPlace& object, int version, GeometryBudget& budget) {
  RefuseLaterKeys(object, version, 5, {"vertices", "patches"});
  object.ExpectObject({"type", "vertices", "patches"});
  return {.classId = kPatchClass, .patches = ReadPatchMesh(object, budget)};
}

ObjectDescription ReadObject(const JsonPlace& object, int version, GeometryBudget& budget) {
  JsonPlace typePlace = object.Field("type");
  std::string type = typePlace.String();
  if (type == "patch" && (object.OptionalField("vertices") || object.OptionalField("patches")))
    return ReadPatchObject(object, version, budget);
  if (type == "mesh") return ReadMeshObject(object, version, budget);
  if (type == "box") return ReadBox(object, budget);
  if (type == "sphere") return ReadSphere(object, budget);
  if (type == "custom") return ReadGeneric(object, nullptr, budget);
  std::string known = "\"mesh\", \"box\", \"sphere\"";
  for (const GenericType& generic : kGenericTypes) {
    if (generic.name == type) return ReadGeneric(object, &generic, budget);
    known += ", \"" + std::string(generic.name) + "\"";
  }
  typePlace.Fail("unknown object type \"" + type + "\" (known: " + known + ", \"custom\")");
}

// A class by name or number, or {"class": ..., "enabled": ..., "displacement": ...}.
// Skinning data is read only for object-space modifiers, which get `references`.
template <std::size_t N>
ModifierDescription ReadModifier(const JsonPlace& entry, const NamedClass (&names)[N],
                                 SClass_ID superClass, int version,
                                 std::vector<NodeReference>* references) {
  ModifierDescription modifier;
  modifier.superClass = superClass;
  if (!entry.IsObject()) {
    modifier.classId = ReadNamedClass(entry, names);
    return modifier;
  }
  if (references) {
    RefuseLaterKeys(entry, version, 5, {"bones", "points", "bindPose", "vertices", "bindPoses"});
    entry.ExpectObject({"class", "enabled", "displacement", "bones", "points", "bindPose",
                        "vertices", "bindPoses"});
  } else {
    entry.ExpectObject({"class", "enabled", "displacement"});
  }
  modifier.classId = ReadNamedClass(entry.Field("class"), names);
  if (references) ReadSkinningData(entry, modifier, *references);
  if (auto enabled = entry.OptionalField("enabled")) modifier.enabled = enabled->Bool();
  if (auto displacement = entry.OptionalField("displacement")) {
    modifier.displacement = displacement->Point();
  }
  return modifier;
}

// A list given topmost first, returned bottom first.
template <std::size_t N>
std::vector<ModifierDescription> ReadModifierList(const JsonPlace& list,
                                                  const NamedClass (&names)[N],
                                                  SClass_ID superClass, int version,
                                                  std::vector<NodeReference>* references) {
  std::size_t count = list.ExpectArray(0, SceneLimits::kMaxModifiers);
  std::vector<ModifierDescription> modifiers;
  modifiers.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    modifiers.push_back(ReadModifier(list.Element(i), names, superClass, version, references));
  }
  std::reverse(modifiers.begin(), modifiers.end());
  return modifiers;
}

std::vector<std::vector<ModifierDescription>> ReadDerivedObjects(
    const JsonPlace& list, int version, std::vector<NodeReference>& references) {
  std::size_t count = list.ExpectArray(0, SceneLimits::kMaxDerivedObjects);
  std::vector<std::vector<ModifierDescription>> derivedObjects;
  derivedObjects.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    JsonPlace derived = list.Element(i);
    derived.ExpectObject({"modifiers"});
    derivedObjects.push_back(ReadModifierList(derived.Field("modifiers"), kObjectSpaceModifiers,
                                              OSM_CLASS_ID, version, &references));
  }
  std::reverse(derivedObjects.begin(), derivedObjects.end());
  return derivedObjects;
}

}  // namespace

NodeObjects ReadNodeObjects(const JsonPlace& node, int version, int ticksPerFrame,
                            GeometryBudget& budget, std::vector<NodeReference>& references) {
  NodeObjects objects;
  PipelineDescription& pipeline = objects.pipeline;
  if (auto object = node.OptionalField("object")) {
    pipeline.base = ReadObject(*object, version, budget);
  }
  auto modifiers = node.OptionalField("modifiers");
  auto derivedObjects = node.OptionalField("derivedObjects");
  if (modifiers && derivedObjects) {
    node.Fail("give either \"modifiers\" (one derived object) or \"derivedObjects\", not both");
  }
  if (modifiers) {
    pipeline.derivedObjects.push_back(
        ReadModifierList(*modifiers, kObjectSpaceModifiers, OSM_CLASS_ID, version, &references));
  }
  if (derivedObjects)
    pipeline.derivedObjects = ReadDerivedObjects(*derivedObjects, version, references);
  if (auto worldSpace = node.OptionalField("worldSpaceModifiers")) {
    pipeline.worldSpaceModifiers =
        ReadModifierList(*worldSpace, kWorldSpaceModifiers, WSM_CLASS_ID, version, nullptr);
  }
  if (auto controller = node.OptionalField("controller")) {
    objects.controller = ReadController(*controller, version, ticksPerFrame);
  }
  return objects;
}

void ApplyNodeObjects(NodeObjects objects, NodeBuilder& node) {
  PipelineDescription& pipeline = objects.pipeline;
  if (pipeline.base) node.SetObject(std::move(*pipeline.base));
  for (const auto& derived : pipeline.derivedObjects) {
    node.DerivedObject();
    for (const ModifierDescription& m : derived) node.Modifier(m);
  }
  for (const ModifierDescription& m : pipeline.worldSpaceModifiers) {
    node.WorldSpaceModifier(m.classId, m.enabled, m.displacement);
  }
  if (objects.controller) ApplyController(*objects.controller, node);
}

}  // namespace sim
