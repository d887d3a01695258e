#include "host/sim/import/gltf_checks.h"

#include <cstdint>

#include "host/sim/scene_file/json_parser.h"
#include "host/sim/scene_file/json_text.h"

namespace sim::import {

namespace {

using Index = JsonDocument::Index;
using Kind = JsonDocument::Kind;

// What a member of the glTF 2.0 schema holds.
enum class Type : std::uint8_t {
  kString,
  kNumber,
  kIndex,  // a whole number from 0 (an index into an array of the file, a count, an enum)
  kBoolean,
  kObject,     // an object, its members by `members` when given
  kObjects,    // an array of objects, each by `members`
  kNumbers,    // an array of numbers
  kIndices,    // an array of indices
  kStrings,    // an array of strings
  kIndexMap,   // an object whose every member is an index (a primitive's attributes)
  kIndexMaps,  // an array of those (morph targets)
};

// One member of an object; a list of them ends with a rule without a key.
struct Rule {
  const char* key = nullptr;
  Type type = Type::kString;
  const Rule* members = nullptr;
  bool required = false;
  // Arrays: their exact length, when not 0.
  std::size_t length = 0;
};

using T = Type;

// The members the import reads (and those tinygltf reads on its way), as the glTF 2.0 schema and
// the extensions the import knows give them.
constexpr Rule kAsset[] = {{.key = "version", .required = true},
                           {.key = "minVersion"},
                           {.key = "generator"},
                           {.key = "copyright"},
                           {}};
constexpr Rule kTextureTransform[] = {{.key = "offset", .type = T::kNumbers, .length = 2},
                                      {.key = "rotation", .type = T::kNumber},
                                      {.key = "scale", .type = T::kNumbers, .length = 2},
                                      {.key = "texCoord", .type = T::kIndex},
                                      {}};
constexpr Rule kTextureInfoExtensions[] = {
    {.key = "KHR_texture_transform", .type = T::kObject, .members = kTextureTransform}, {}};
constexpr Rule kTextureInfo[] = {
    {.key = "index", .type = T::kIndex, .required = true},
    {.key = "texCoord", .type = T::kIndex},
    {.key = "extensions", .type = T::kObject, .members = kTextureInfoExtensions},
    {}};
constexpr Rule kNormalTextureInfo[] = {
    {.key = "index", .type = T::kIndex, .required = true},
    {.key = "texCoord", .type = T::kIndex},
    {.key = "scale", .type = T::kNumber},
    {.key = "extensions", .type = T::kObject, .members = kTextureInfoExtensions},
    {}};
constexpr Rule kOcclusionTextureInfo[] = {
    {.key = "index", .type = T::kIndex, .required = true},
    {.key = "texCoord", .type = T::kIndex},
    {.key = "strength", .type = T::kNumber},
    {.key = "extensions", .type = T::kObject, .members = kTextureInfoExtensions},
    {}};
constexpr Rule kPbr[] = {
    {.key = "baseColorFactor", .type = T::kNumbers, .length = 4},
    {.key = "baseColorTexture", .type = T::kObject, .members = kTextureInfo},
    {.key = "metallicFactor", .type = T::kNumber},
    {.key = "roughnessFactor", .type = T::kNumber},
    {.key = "metallicRoughnessTexture", .type = T::kObject, .members = kTextureInfo},
    {}};
constexpr Rule kSpecularGlossiness[] = {
    {.key = "diffuseFactor", .type = T::kNumbers, .length = 4},
    {.key = "diffuseTexture", .type = T::kObject, .members = kTextureInfo},
    {.key = "specularFactor", .type = T::kNumbers, .length = 3},
    {.key = "glossinessFactor", .type = T::kNumber},
    {.key = "specularGlossinessTexture", .type = T::kObject, .members = kTextureInfo},
    {}};
constexpr Rule kEmissiveStrength[] = {{.key = "emissiveStrength", .type = T::kNumber}, {}};
constexpr Rule kMaterialExtensions[] = {
    {.key = "KHR_materials_pbrSpecularGlossiness",
     .type = T::kObject,
     .members = kSpecularGlossiness},
    {.key = "KHR_materials_emissive_strength", .type = T::kObject, .members = kEmissiveStrength},
    {}};
constexpr Rule kMaterial[] = {
    {.key = "name"},
    {.key = "pbrMetallicRoughness", .type = T::kObject, .members = kPbr},
    {.key = "normalTexture", .type = T::kObject, .members = kNormalTextureInfo},
    {.key = "occlusionTexture", .type = T::kObject, .members = kOcclusionTextureInfo},
    {.key = "emissiveTexture", .type = T::kObject, .members = kTextureInfo},
    {.key = "emissiveFactor", .type = T::kNumbers, .length = 3},
    {.key = "alphaMode"},
    {.key = "alphaCutoff", .type = T::kNumber},
    {.key = "doubleSided", .type = T::kBoolean},
    {.key = "extensions", .type = T::kObject, .members = kMaterialExtensions},
    {}};
constexpr Rule kScene[] = {{.key = "nodes", .type = T::kIndices}, {.key = "name"}, {}};
constexpr Rule kNode[] = {{.key = "camera", .type = T::kIndex},
                          {.key = "children", .type = T::kIndices},
                          {.key = "skin", .type = T::kIndex},
                          {.key = "matrix", .type = T::kNumbers, .length = 16},
                          {.key = "mesh", .type = T::kIndex},
                          {.key = "rotation", .type = T::kNumbers, .length = 4},
                          {.key = "scale", .type = T::kNumbers, .length = 3},
                          {.key = "translation", .type = T::kNumbers, .length = 3},
                          {.key = "weights", .type = T::kNumbers},
                          {.key = "name"},
                          {}};
constexpr Rule kPrimitive[] = {{.key = "attributes", .type = T::kIndexMap, .required = true},
                               {.key = "indices", .type = T::kIndex},
                               {.key = "material", .type = T::kIndex},
                               {.key = "mode", .type = T::kIndex},
                               {.key = "targets", .type = T::kIndexMaps},
                               {}};
constexpr Rule kMesh[] = {
    {.key = "primitives", .type = T::kObjects, .members = kPrimitive, .required = true},
    {.key = "weights", .type = T::kNumbers},
    {.key = "name"},
    {}};
constexpr Rule kSparseIndices[] = {{.key = "bufferView", .type = T::kIndex, .required = true},
                                   {.key = "byteOffset", .type = T::kIndex},
                                   {.key = "componentType", .type = T::kIndex, .required = true},
                                   {}};
constexpr Rule kSparseValues[] = {{.key = "bufferView", .type = T::kIndex, .required = true},
                                  {.key = "byteOffset", .type = T::kIndex},
                                  {}};
constexpr Rule kSparse[] = {
    {.key = "count", .type = T::kIndex, .required = true},
    {.key = "indices", .type = T::kObject, .members = kSparseIndices, .required = true},
    {.key = "values", .type = T::kObject, .members = kSparseValues, .required = true},
    {}};
constexpr Rule kAccessor[] = {{.key = "bufferView", .type = T::kIndex},
                              {.key = "byteOffset", .type = T::kIndex},
                              {.key = "componentType", .type = T::kIndex, .required = true},
                              {.key = "normalized", .type = T::kBoolean},
                              {.key = "count", .type = T::kIndex, .required = true},
                              {.key = "type", .required = true},
                              {.key = "max", .type = T::kNumbers},
                              {.key = "min", .type = T::kNumbers},
                              {.key = "sparse", .type = T::kObject, .members = kSparse},
                              {.key = "name"},
                              {}};
constexpr Rule kBufferView[] = {{.key = "buffer", .type = T::kIndex, .required = true},
                                {.key = "byteOffset", .type = T::kIndex},
                                {.key = "byteLength", .type = T::kIndex, .required = true},
                                {.key = "byteStride", .type = T::kIndex},
                                {.key = "target", .type = T::kIndex},
                                {.key = "name"},
                                {}};
constexpr Rule kBuffer[] = {{.key = "uri"},
                            {.key = "byteLength", .type = T::kIndex, .required = true},
                            {.key = "name"},
                            {}};
constexpr Rule kTexture[] = {{.key = "sampler", .type = T::kIndex},
                             {.key = "source", .type = T::kIndex},
                             {.key = "name"},
                             {}};
constexpr Rule kImage[] = {{.key = "uri"},
                           {.key = "mimeType"},
                           {.key = "bufferView", .type = T::kIndex},
                           {.key = "name"},
                           {}};
constexpr Rule kSampler[] = {{.key = "magFilter", .type = T::kIndex},
                             {.key = "minFilter", .type = T::kIndex},
                             {.key = "wrapS", .type = T::kIndex},
                             {.key = "wrapT", .type = T::kIndex},
                             {.key = "name"},
                             {}};
constexpr Rule kSkin[] = {{.key = "inverseBindMatrices", .type = T::kIndex},
                          {.key = "skeleton", .type = T::kIndex},
                          {.key = "joints", .type = T::kIndices, .required = true},
                          {.key = "name"},
                          {}};
constexpr Rule kChannelTarget[] = {
    {.key = "node", .type = T::kIndex}, {.key = "path", .required = true}, {}};
constexpr Rule kChannel[] = {
    {.key = "sampler", .type = T::kIndex, .required = true},
    {.key = "target", .type = T::kObject, .members = kChannelTarget, .required = true},
    {}};
constexpr Rule kAnimationSampler[] = {{.key = "input", .type = T::kIndex, .required = true},
                                      {.key = "interpolation"},
                                      {.key = "output", .type = T::kIndex, .required = true},
                                      {}};
constexpr Rule kAnimation[] = {
    {.key = "channels", .type = T::kObjects, .members = kChannel, .required = true},
    {.key = "samplers", .type = T::kObjects, .members = kAnimationSampler, .required = true},
    {.key = "name"},
    {}};
constexpr Rule kOrthographic[] = {{.key = "xmag", .type = T::kNumber},
                                  {.key = "ymag", .type = T::kNumber},
                                  {.key = "zfar", .type = T::kNumber},
                                  {.key = "znear", .type = T::kNumber},
                                  {}};
constexpr Rule kPerspective[] = {{.key = "aspectRatio", .type = T::kNumber},
                                 {.key = "yfov", .type = T::kNumber},
                                 {.key = "zfar", .type = T::kNumber},
                                 {.key = "znear", .type = T::kNumber},
                                 {}};
constexpr Rule kCamera[] = {{.key = "type", .required = true},
                            {.key = "orthographic", .type = T::kObject, .members = kOrthographic},
                            {.key = "perspective", .type = T::kObject, .members = kPerspective},
                            {.key = "name"},
                            {}};
constexpr Rule kRoot[] = {{.key = "asset", .type = T::kObject, .members = kAsset, .required = true},
                          {.key = "scene", .type = T::kIndex},
                          {.key = "scenes", .type = T::kObjects, .members = kScene},
                          {.key = "nodes", .type = T::kObjects, .members = kNode},
                          {.key = "meshes", .type = T::kObjects, .members = kMesh},
                          {.key = "accessors", .type = T::kObjects, .members = kAccessor},
                          {.key = "bufferViews", .type = T::kObjects, .members = kBufferView},
                          {.key = "buffers", .type = T::kObjects, .members = kBuffer},
                          {.key = "materials", .type = T::kObjects, .members = kMaterial},
                          {.key = "textures", .type = T::kObjects, .members = kTexture},
                          {.key = "images", .type = T::kObjects, .members = kImage},
                          {.key = "samplers", .type = T::kObjects, .members = kSampler},
                          {.key = "skins", .type = T::kObjects, .members = kSkin},
                          {.key = "animations", .type = T::kObjects, .members = kAnimation},
                          {.key = "cameras", .type = T::kObjects, .members = kCamera},
                          {.key = "extensionsUsed", .type = T::kStrings},
                          {.key = "extensionsRequired", .type = T::kStrings},
                          {}};

// The extensions whose meaning the import keeps (or safely does without).
constexpr std::string_view kUnderstood[] = {
    "KHR_texture_transform", "KHR_materials_pbrSpecularGlossiness", "KHR_mesh_quantization",
    "KHR_materials_emissive_strength",
    // Lights are read, and dropped with a warning of their own.
    "KHR_lights_punctual"};

class Checker {
 public:
  Checker(const JsonDocument& document, const std::string& fileName)
      : d_(document), fileName_(fileName) {}

  void Object(Index object, const Rule* rules, const std::string& place) const {
    if (d_.KindOf(object) != Kind::kObject) Mismatch(object, "an object", place);
    // Every extension is an object, known or not.
    if (Index extensions = d_.Find(object, "extensions"); extensions != JsonDocument::kNotFound) {
      std::string at = place + "/extensions";
      if (d_.KindOf(extensions) != Kind::kObject) Mismatch(extensions, "an object", at);
      for (std::size_t i = 0; i < d_.Size(extensions); ++i) {
        Index value = d_.MemberValue(extensions, i);
        if (d_.KindOf(value) != Kind::kObject) {
          Mismatch(value, "an object", at + "/" + EscapePointerSegment(d_.Key(extensions, i)));
        }
      }
    }
    for (const Rule* rule = rules; rule && rule->key; ++rule) {
      Index value = d_.Find(object, rule->key);
      if (value == JsonDocument::kNotFound) {
        if (rule->required) Fail(place, std::string("the member \"") + rule->key + "\" is missing");
        continue;
      }
      Member(value, *rule, place + "/" + rule->key);
    }
  }

  void Member(Index value, const Rule& rule, const std::string& place) const {
    switch (rule.type) {
      case T::kString:
        return Expect(d_.KindOf(value) == Kind::kString, value, "a string", place);
      case T::kNumber:
        return Expect(IsNumber(value), value, "a number", place);
      case T::kIndex:
        return ExpectIndex(value, place);
      case T::kBoolean:
        return Expect(d_.KindOf(value) == Kind::kTrue || d_.KindOf(value) == Kind::kFalse, value,
                      "true or false", place);
      case T::kObject:
        return Object(value, rule.members, place);
      case T::kIndexMap:
        return IndexMap(value, place);
      default:
        return Array(value, rule, place);
    }
  }

  [[noreturn]] void Fail(const std::string& place, const std::string& problem) const {
    throw SceneFileError(fileName_, place, problem);
  }

 private:
  void Array(Index array, const Rule& rule, const std::string& place) const {
    if (d_.KindOf(array) != Kind::kArray) Mismatch(array, "an array", place);
    std::size_t size = d_.Size(array);
    if (rule.length != 0 && size != rule.length) {
      Fail(place,
           "expected " + std::to_string(rule.length) + " elements, found " + std::to_string(size));
    }
    for (std::size_t i = 0; i < size; ++i) {
      Index element = d_.Element(array, i);
      std::string at = place + "/" + std::to_string(i);
      switch (rule.type) {
        case T::kObjects:
          Object(element, rule.members, at);
          break;
        case T::kNumbers:
          Expect(IsNumber(element), element, "a number", at);
          break;
        case T::kIndices:
          ExpectIndex(element, at);
          break;
        case T::kStrings:
          Expect(d_.KindOf(element) == Kind::kString, element, "a string", at);
          break;
        default:
          IndexMap(element, at);
          break;
      }
    }
  }

  void IndexMap(Index object, const std::string& place) const {
    if (d_.KindOf(object) != Kind::kObject) Mismatch(object, "an object", place);
    for (std::size_t i = 0; i < d_.Size(object); ++i) {
      ExpectIndex(d_.MemberValue(object, i), place + "/" + EscapePointerSegment(d_.Key(object, i)));
    }
  }

  bool IsNumber(Index value) const {
    Kind kind = d_.KindOf(value);
    return kind == Kind::kUnsigned || kind == Kind::kSigned || kind == Kind::kFloat;
  }

  // tinygltf holds indices in an int.
  void ExpectIndex(Index value, const std::string& place) const {
    Expect(d_.KindOf(value) == Kind::kUnsigned && d_.Unsigned(value) <= INT32_MAX, value,
           "a whole number from 0 to 2147483647", place);
  }

  void Expect(bool holds, Index value, const char* expected, const std::string& place) const {
    if (!holds) Mismatch(value, expected, place);
  }

  [[noreturn]] void Mismatch(Index value, const char* expected, const std::string& place) const {
    Fail(place, std::string("expected ") + expected + ", found " + Describe(value));
  }

  std::string Describe(Index value) const {
    switch (d_.KindOf(value)) {
      case Kind::kNull:
        return "null";
      case Kind::kTrue:
        return "true";
      case Kind::kFalse:
        return "false";
      case Kind::kString:
        return "a string";
      case Kind::kArray:
        return "an array";
      case Kind::kObject:
        return "an object";
      default:
        return d_.NumberText(value);
    }
  }

  const JsonDocument& d_;
  const std::string& fileName_;
};

// glTF 1.0 says so in its asset, or, where it has none, keeps its top-level collections as
// objects keyed by id rather than arrays.
bool IsVersion1(const JsonDocument& d, Index root) {
  Index asset = d.Find(root, "asset");
  if (asset == JsonDocument::kNotFound) {
    for (const char* key : {"nodes", "meshes", "accessors", "buffers", "scenes", "materials"}) {
      Index value = d.Find(root, key);
      if (value != JsonDocument::kNotFound && d.KindOf(value) == Kind::kObject) return true;
    }
    return false;
  }
  if (d.KindOf(asset) != Kind::kObject) return false;
  Index version = d.Find(asset, "version");
  if (version == JsonDocument::kNotFound) return false;
  Kind kind = d.KindOf(version);
  if (kind == Kind::kString) {
    std::string_view text = d.String(version);
    return text == "1" || text.starts_with("1.");
  }
  bool number = kind == Kind::kUnsigned || kind == Kind::kSigned || kind == Kind::kFloat;
  return number && d.Number(version) >= 1 && d.Number(version) < 2;
}

}  // namespace

bool IsUnderstoodGltfExtension(std::string_view name) {
  for (std::string_view understood : kUnderstood) {
    if (name == understood) return true;
  }
  return false;
}

void CheckGltfJson(std::string_view json, const std::string& fileName) {
  JsonDocument document = ParseJson(json, fileName);
  Checker checker(document, fileName);
  Index root = document.Root();
  if (document.KindOf(root) != Kind::kObject) checker.Object(root, nullptr, "");
  if (IsVersion1(document, root)) {
    throw GltfVersion1Error(fileName, "",
                            "the file is glTF 1.0, which the glTF reader does not read (it reads "
                            "glTF 2.0)");
  }
  // A required extension the import cannot read changes the model's meaning: refused before
  // anything it may have left out of the core members is looked at.
  Index required = document.Find(root, "extensionsRequired");
  if (required != JsonDocument::kNotFound) {
    checker.Member(required, {.key = "extensionsRequired", .type = T::kStrings},
                   "/extensionsRequired");
    for (std::size_t i = 0; i < document.Size(required); ++i) {
      std::string_view name = document.String(document.Element(required, i));
      if (!IsUnderstoodGltfExtension(name)) {
        checker.Fail("/extensionsRequired", "the model requires the extension " +
                                                std::string(name) +
                                                ", which this importer does not read");
      }
    }
  }
  checker.Object(root, kRoot, "");
}

}  // namespace sim::import
