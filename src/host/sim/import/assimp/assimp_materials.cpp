#include "host/sim/import/assimp/assimp_materials.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "host/sim/import/model_files.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

// Where each kind of Assimp texture goes among the standard material's slots.
struct SlotOf {
  aiTextureType type;
  int slot;
};
constexpr SlotOf kSlots[] = {
    {aiTextureType_DIFFUSE, kDiffuseSlot},
    {aiTextureType_BASE_COLOR, kDiffuseSlot},
    {aiTextureType_NORMALS, kBumpSlot},
    {aiTextureType_HEIGHT, kBumpSlot},
    {aiTextureType_EMISSIVE, kSelfIlluminationSlot},
    {aiTextureType_OPACITY, kOpacitySlot},
    {aiTextureType_SPECULAR, kSpecularSlot},
    {aiTextureType_SHININESS, kShininessSlot},
    {aiTextureType_AMBIENT, kAmbientSlot},
    {aiTextureType_REFLECTION, kReflectionSlot},
    {aiTextureType_DISPLACEMENT, kDisplacementSlot},
};
constexpr aiTextureType kDropped[] = {aiTextureType_LIGHTMAP, aiTextureType_METALNESS,
                                      aiTextureType_DIFFUSE_ROUGHNESS,
                                      aiTextureType_AMBIENT_OCCLUSION, aiTextureType_UNKNOWN};

float Unit(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }
Color ColorOf(const aiColor3D& c) { return Color(Unit(c.r), Unit(c.g), Unit(c.b)); }

std::string SafeName(std::string name) {
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  }
  return name;
}

class AssimpMaterialReader {
 public:
  AssimpMaterialReader(const aiScene& scene, std::string fileName,
                       std::filesystem::path modelFolder, std::filesystem::path imageFolder,
                       ImportedModel& model)
      : scene_(scene),
        fileName_(std::move(fileName)),
        modelFolder_(modelFolder),
        imageFolder_(std::move(imageFolder)),
        model_(model) {}

  ImportedMaterial Read(const aiMaterial& source, unsigned index) {
    ImportedMaterial m;
    aiString name;
    std::string text = source.Get(AI_MATKEY_NAME, name) == AI_SUCCESS ? name.C_Str() : "";
    m.name = platform::Utf8ToWide(text.empty() ? "Material" + std::to_string(index) : text);
    aiColor3D color;
    if (source.Get(AI_MATKEY_COLOR_DIFFUSE, color) == AI_SUCCESS) m.colors.diffuse = ColorOf(color);
    if (source.Get(AI_MATKEY_COLOR_SPECULAR, color) == AI_SUCCESS)
      m.colors.specular = ColorOf(color);
    if (source.Get(AI_MATKEY_COLOR_EMISSIVE, color) == AI_SUCCESS && !color.IsBlack()) {
      m.colors.selfIlluminationOn = true;
      m.colors.selfIllumination = ColorOf(color);
    }
    // The Phong exponent as the host's glossiness, whose exponent the exporter writes as 100 times
    // the glossiness; strength as given, none without a highlight.
    float exponent = 0, strength = 1, opacity = 1;
    source.Get(AI_MATKEY_SHININESS, exponent);
    source.Get(AI_MATKEY_SHININESS_STRENGTH, strength);
    m.colors.shininess = Unit(exponent / 100.0f);
    m.colors.shininessStrength =
        exponent > 0 && std::isfinite(strength) ? std::max(strength, 0.0f) : 0.0f;
    if (source.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS)
      m.colors.transparency = Unit(1.0f - opacity);
    for (const SlotOf& entry : kSlots) {
      auto& slot = m.maps[static_cast<std::size_t>(entry.slot)];
      if (slot || source.GetTextureCount(entry.type) == 0) continue;
      slot = Texture(source, entry.type, text);
      if (slot && entry.type == aiTextureType_NORMALS) m.bumpIsNormalMap = true;
      if (source.GetTextureCount(entry.type) > 1) {
        Warn(std::string("textures after the first of a kind are dropped (material \"") + text +
             "\")");
      }
    }
    for (aiTextureType type : kDropped) {
      if (source.GetTextureCount(type) > 0) {
        Warn(std::string(aiTextureTypeToString(type)) + " textures are dropped (material \"" +
             text + "\")");
      }
    }
    return m;
  }

 private:
  void Warn(const std::string& line) {
    if (warned_.insert(line).second) model_.warnings.push_back(line);
  }

  std::optional<ImportedTexture> Texture(const aiMaterial& source, aiTextureType type,
                                         const std::string& material) {
    aiString path;
    aiTextureMapping mapping = aiTextureMapping_UV;
    unsigned uvIndex = 0;
    aiTextureMapMode modes[2] = {aiTextureMapMode_Wrap, aiTextureMapMode_Wrap};
    if (source.GetTexture(type, 0, &path, &mapping, &uvIndex, nullptr, nullptr, modes) !=
        AI_SUCCESS) {
      return std::nullopt;
    }
    if (mapping != aiTextureMapping_UV) {
      Warn(
          "projected texture mappings are dropped; the texture reads its coordinates (material \"" +
          material + "\")");
    }
    ImportedTexture texture;
    std::optional<std::wstring> file = FileOf(path.C_Str(), material);
    if (!file) return std::nullopt;
    texture.hostPath = *file;
    texture.uvSet = static_cast<int>(std::min(uvIndex, 98u));
    auto bits = [](aiTextureMapMode mode, int wrap, int mirror) {
      return mode == aiTextureMapMode_Wrap ? wrap : mode == aiTextureMapMode_Mirror ? mirror : 0;
    };
    texture.tiling = bits(modes[0], U_WRAP, U_MIRROR) | bits(modes[1], V_WRAP, V_MIRROR);
    aiUVTransform transform;
    if (source.Get(AI_MATKEY_UVTRANSFORM(type, 0), transform) == AI_SUCCESS) {
      texture.placement.offsetU = transform.mTranslation.x;
      texture.placement.offsetV = transform.mTranslation.y;
      texture.placement.repeatU = transform.mScaling.x;
      texture.placement.repeatV = transform.mScaling.y;
      texture.placement.angle = transform.mRotation * 57.29578f;
    }
    return texture;
  }

  // The host path of a texture: an embedded one written beside the output, else as
  // LocateTexture finds it; nothing when the texture is dropped (with a warning).
  std::optional<std::wstring> FileOf(const std::string& path, const std::string& material) {
    if (const aiTexture* embedded = scene_.GetEmbeddedTexture(path.c_str()))
      return Embedded(*embedded, path);
    TextureLocation location = LocateTexture(modelFolder_, path);
    // Blender's reader names a procedural texture by a placeholder of this form; no file has it.
    if (location.kind == TextureLocation::Kind::kMissing && path.rfind("Procedural,", 0) == 0) {
      Warn("procedural textures are dropped (material \"" + material + "\")");
      return std::nullopt;
    }
    if (location.kind == TextureLocation::Kind::kRefused) {
      Warn("the texture path \"" + path + "\" " + location.reason +
           "; the texture is dropped (material \"" + material + "\")");
      return std::nullopt;
    }
    return location.hostPath;
  }

  std::optional<std::wstring> Embedded(const aiTexture& texture, const std::string& reference) {
    auto known = written_.find(&texture);
    if (known != written_.end()) return known->second;
    if (texture.mHeight != 0 || !texture.pcData) {
      Warn("embedded textures of raw texels are dropped (" + reference + ")");
      return std::nullopt;
    }
    std::string hint = SafeName(texture.achFormatHint);
    std::string own = std::filesystem::path(texture.mFilename.C_Str()).filename().string();
    std::string stem = std::filesystem::path(fileName_).stem().string();
    std::string name = SafeName(!own.empty() ? own
                                             : stem + "_texture" + std::to_string(written_.size()) +
                                                   (hint.empty() ? "" : "." + hint));
    std::string unique = name;
    for (int n = 2; !taken_.insert(unique).second; ++n) unique = std::to_string(n) + "_" + name;
    EmbeddedImage image;
    image.fileName = unique;
    const auto* bytes = reinterpret_cast<const unsigned char*>(texture.pcData);
    image.bytes.assign(bytes, bytes + texture.mWidth);
    model_.images.push_back(std::move(image));
    std::wstring hostPath = platform::ToHostPath(imageFolder_ / unique);
    written_.emplace(&texture, hostPath);
    return hostPath;
  }

  const aiScene& scene_;
  std::string fileName_;
  ModelFolder modelFolder_;
  std::filesystem::path imageFolder_;
  ImportedModel& model_;
  std::set<std::string> warned_;
  std::set<std::string> taken_;
  std::map<const aiTexture*, std::wstring> written_;
};

}  // namespace

void ReadAssimpMaterials(const aiScene& scene, const std::string& fileName,
                         const std::filesystem::path& modelFolder,
                         const std::filesystem::path& imageFolder, ImportedModel& model) {
  AssimpMaterialReader reader(scene, fileName, modelFolder, imageFolder, model);
  for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
    model.materials.push_back(reader.Read(*scene.mMaterials[i], i));
  }
}

}  // namespace sim::import
