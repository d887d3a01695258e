// glTF images and materials. Embedded images (GLB buffer views, data URIs) become files beside the
// output under their own names; external images stay where they are. A material becomes a
// standard material: see docs/import.md for the table and the specular formula.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <set>

#include "host/sim/import/gltf_reader.h"
#include "host/sim/import/model_files.h"
#include "host/sim/scene_file/scene_limits.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"

namespace sim::import {

namespace {

constexpr int kMaxMapChannel = SceneLimits::kMaxMapChannel;

double NumberOf(const tinygltf::Value& object, const char* key, double fallback) {
  if (!object.IsObject() || !object.Has(key) || !object.Get(key).IsNumber()) return fallback;
  double value = object.Get(key).GetNumberAsDouble();
  return std::isfinite(value) ? value : fallback;
}

std::vector<double> NumbersOf(const tinygltf::Value& object, const char* key,
                              std::vector<double> fallback) {
  if (!object.IsObject() || !object.Has(key)) return fallback;
  const tinygltf::Value& array = object.Get(key);
  if (array.ArrayLen() != fallback.size()) return fallback;
  for (std::size_t i = 0; i < fallback.size(); ++i) {
    const tinygltf::Value& item = array.Get(static_cast<int>(i));
    if (item.IsNumber() && std::isfinite(item.GetNumberAsDouble())) {
      fallback[i] = item.GetNumberAsDouble();
    }
  }
  return fallback;
}

std::vector<double> Factors(const std::vector<double>& given, std::vector<double> fallback) {
  if (given.size() != fallback.size()) return fallback;
  for (std::size_t i = 0; i < given.size(); ++i) {
    if (std::isfinite(given[i])) fallback[i] = given[i];
  }
  return fallback;
}

float Unit(double value) { return static_cast<float>(std::clamp(value, 0.0, 1.0)); }

std::string PercentDecoded(const std::string& uri) {
  std::string text;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      text += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      text += uri[i];
    }
  }
  return text;
}

std::string ExtensionOf(const std::string& mimeType) {
  if (mimeType == "image/png") return ".png";
  if (mimeType == "image/jpeg") return ".jpg";
  if (mimeType == "image/bmp") return ".bmp";
  if (mimeType == "image/gif") return ".gif";
  if (mimeType == "image/webp") return ".webp";
  if (mimeType == "image/ktx2") return ".ktx2";
  return ".bin";
}

// A file name for an embedded image: its own name made safe for any file system, with the
// extension its type has, unique among the model's images.
std::string EmbeddedName(const tinygltf::Image& image, std::size_t index, const std::string& stem,
                         std::set<std::string>& taken) {
  std::string name = image.name.empty() ? stem + "_image" + std::to_string(index) : image.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  }
  if (name.find_first_not_of('.') == std::string::npos) name = "image" + std::to_string(index);
  std::string extension = ExtensionOf(image.mimeType);
  if (name.size() < extension.size() ||
      name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
    name += extension;
  }
  std::string unique = name;
  for (int n = 2; !taken.insert(unique).second; ++n) unique = std::to_string(n) + "_" + name;
  return unique;
}

std::vector<std::wstring> ReadImages(GltfContext& c) {
  std::vector<std::wstring> paths;
  std::set<std::string> taken;
  std::string stem = std::filesystem::path(c.fileName).stem().string();
  ModelFolder folder(c.modelFolder);
  for (std::size_t i = 0; i < c.document.images.size(); ++i) {
    const tinygltf::Image& image = c.document.images[i];
    std::string place = Pointer("images", i);
    if (image.bufferView >= 0 || !image.image.empty()) {
      EmbeddedImage embedded;
      embedded.fileName = EmbeddedName(image, i, stem, taken);
      if (image.bufferView >= 0) {
        std::size_t length =
            static_cast<std::size_t>(image.bufferView) < c.document.bufferViews.size()
                ? c.document.bufferViews[static_cast<std::size_t>(image.bufferView)].byteLength
                : 0;
        const unsigned char* bytes = c.accessors.ViewBytes(image.bufferView, 0, length, place);
        embedded.bytes.assign(bytes, bytes + length);
      } else {
        embedded.bytes = image.image;
      }
      paths.push_back(platform::ToHostPath(c.imageFolder / embedded.fileName));
      c.model.images.push_back(std::move(embedded));
      continue;
    }
    if (image.uri.empty()) c.accessors.Fail(place, "the image holds no data");
    // A missing image is named by the exporter, as a scene's missing texture is; an empty host path
    // drops the textures that show it.
    std::string uri = PercentDecoded(image.uri);
    TextureLocation location = LocateTexture(folder, uri);
    if (location.kind == TextureLocation::Kind::kRefused) {
      c.model.warnings.push_back(place + ": the image path \"" + uri + "\" " + location.reason +
                                 "; the textures showing it are dropped");
    }
    paths.push_back(location.hostPath);
  }
  return paths;
}

class MaterialReader {
 public:
  MaterialReader(GltfContext& c, std::vector<std::wstring> imagePaths)
      : c_(c), imagePaths_(std::move(imagePaths)) {}

  ImportedMaterial Read(const tinygltf::Material& source, std::size_t index) {
    ImportedMaterial m;
    std::string place = Pointer("materials", index);
    m.name = platform::Utf8ToWide(source.name.empty() ? "Material" + std::to_string(index)
                                                      : source.name);
    const auto& pbr = source.pbrMetallicRoughness;
    std::vector<double> base = Factors(pbr.baseColorFactor, {1, 1, 1, 1});
    double metal = std::clamp(pbr.metallicFactor, 0.0, 1.0);
    double rough = std::clamp(pbr.roughnessFactor, 0.0, 1.0);
    m.colors.diffuse = Color(Unit(base[0]), Unit(base[1]), Unit(base[2]));
    // Metallic-roughness: the reflectance at normal incidence is 4 % for a dielectric and the base
    // colour for a metal; a rough surface has a wide, faint highlight.
    auto f0 = [&](double channel) { return Unit(0.04 * (1.0 - metal) + channel * metal); };
    m.colors.specular = Color(f0(base[0]), f0(base[1]), f0(base[2]));
    m.colors.shininess = Unit(1.0 - rough);
    m.colors.shininessStrength = Unit(1.0 - rough);
    Texture(pbr.baseColorTexture.index, pbr.baseColorTexture.texCoord,
            pbr.baseColorTexture.extensions, place + "/pbrMetallicRoughness/baseColorTexture", m,
            kDiffuseSlot);
    if (pbr.metallicRoughnessTexture.index >= 0) {
      Warn("metallic-roughness textures are dropped (material \"" + source.name + "\")");
    }
    auto specGloss = source.extensions.find("KHR_materials_pbrSpecularGlossiness");
    if (specGloss != source.extensions.end()) SpecularGlossiness(specGloss->second, place, m);
    if (source.alphaMode == "BLEND") {
      m.colors.transparency = Unit(1.0 - base[3]);
    } else if (source.alphaMode == "MASK") {
      Warn("alpha masks are dropped (material \"" + source.name + "\")");
    }
    std::vector<double> emissive = Factors(source.emissiveFactor, {0, 0, 0});
    double strength = 1.0;
    auto emissiveStrength = source.extensions.find("KHR_materials_emissive_strength");
    if (emissiveStrength != source.extensions.end()) {
      strength = NumberOf(emissiveStrength->second, "emissiveStrength", 1.0);
    }
    if (emissive[0] > 0 || emissive[1] > 0 || emissive[2] > 0) {
      m.colors.selfIlluminationOn = true;
      m.colors.selfIllumination = Color(Unit(emissive[0] * strength), Unit(emissive[1] * strength),
                                        Unit(emissive[2] * strength));
    }
    Texture(source.emissiveTexture.index, source.emissiveTexture.texCoord,
            source.emissiveTexture.extensions, place + "/emissiveTexture", m,
            kSelfIlluminationSlot);
    if (Texture(source.normalTexture.index, source.normalTexture.texCoord,
                source.normalTexture.extensions, place + "/normalTexture", m, kBumpSlot)) {
      m.bumpIsNormalMap = true;
    }
    if (source.occlusionTexture.index >= 0) {
      Warn("occlusion textures are dropped (material \"" + source.name + "\")");
    }
    return m;
  }

 private:
  void SpecularGlossiness(const tinygltf::Value& ext, const std::string& place,
                          ImportedMaterial& m) {
    std::vector<double> diffuse = NumbersOf(ext, "diffuseFactor", {1, 1, 1, 1});
    std::vector<double> specular = NumbersOf(ext, "specularFactor", {1, 1, 1});
    double gloss = NumberOf(ext, "glossinessFactor", 1.0);
    m.colors.diffuse = Color(Unit(diffuse[0]), Unit(diffuse[1]), Unit(diffuse[2]));
    m.colors.specular = Color(Unit(specular[0]), Unit(specular[1]), Unit(specular[2]));
    m.colors.shininess = Unit(gloss);
    m.colors.shininessStrength = Unit(gloss);
    std::string at = place + "/extensions/KHR_materials_pbrSpecularGlossiness";
    if (ext.Has("diffuseTexture")) {
      const tinygltf::Value& info = ext.Get("diffuseTexture");
      tinygltf::ExtensionMap extensions;
      if (info.Has("extensions") && info.Get("extensions").IsObject()) {
        for (const std::string& key : info.Get("extensions").Keys()) {
          extensions[key] = info.Get("extensions").Get(key);
        }
      }
      Texture(static_cast<int>(NumberOf(info, "index", -1)),
              static_cast<int>(NumberOf(info, "texCoord", 0)), extensions, at + "/diffuseTexture",
              m, kDiffuseSlot);
    }
    if (ext.Has("specularGlossinessTexture")) {
      Warn("specular-glossiness textures are dropped");
    }
  }

  // Puts texture `index` into `slot`; false when there is none.
  bool Texture(int index, int texCoord, const tinygltf::ExtensionMap& extensions,
               const std::string& place, ImportedMaterial& m, int slot) {
    if (index < 0) return false;
    const auto& textures = c_.document.textures;
    if (static_cast<std::size_t>(index) >= textures.size()) {
      c_.accessors.Fail(place, "texture " + std::to_string(index) + " does not exist");
    }
    const tinygltf::Texture& texture = textures[static_cast<std::size_t>(index)];
    if (texture.source < 0) {
      Warn("textures without an image the host can read are dropped (" + place + ")");
      return false;
    }
    if (static_cast<std::size_t>(texture.source) >= imagePaths_.size()) {
      c_.accessors.Fail(Pointer("textures", static_cast<std::size_t>(index)),
                        "image " + std::to_string(texture.source) + " does not exist");
    }
    ImportedTexture result;
    result.hostPath = imagePaths_[static_cast<std::size_t>(texture.source)];
    if (result.hostPath.empty()) return false;
    result.uvSet = std::max(texCoord, 0);
    if (texture.sampler >= 0 &&
        static_cast<std::size_t>(texture.sampler) < c_.document.samplers.size()) {
      const tinygltf::Sampler& sampler =
          c_.document.samplers[static_cast<std::size_t>(texture.sampler)];
      result.tiling =
          Tiling(sampler.wrapS, U_WRAP, U_MIRROR) | Tiling(sampler.wrapT, V_WRAP, V_MIRROR);
    }
    auto transform = extensions.find("KHR_texture_transform");
    if (transform != extensions.end()) Transform(transform->second, result);
    if (result.uvSet >= kMaxMapChannel) {
      Warn("textures reading coordinate sets past " + std::to_string(kMaxMapChannel) +
           " are dropped (" + place + ")");
      return false;
    }
    m.maps[static_cast<std::size_t>(slot)] = result;
    return true;
  }

  static int Tiling(int wrap, int wrapBit, int mirrorBit) {
    if (wrap == TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE) return 0;
    if (wrap == TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT) return mirrorBit;
    return wrapBit;
  }

  // KHR_texture_transform scales, turns and moves coordinates about the image's top-left corner,
  // V down; the host's placement works about the tile's centre, V up. With L the turn after the
  // scale, the same mapping is: repeat = scale, angle = rotation, and
  //   offset = L (0.5, -0.5) - (0.5, -0.5) + (offsetU, -offsetV).
  static void Transform(const tinygltf::Value& ext, ImportedTexture& texture) {
    std::vector<double> offset = NumbersOf(ext, "offset", {0, 0});
    std::vector<double> scale = NumbersOf(ext, "scale", {1, 1});
    double rotation = NumberOf(ext, "rotation", 0.0);
    if (ext.Has("texCoord"))
      texture.uvSet = std::max(0, static_cast<int>(NumberOf(ext, "texCoord", 0)));
    double cosine = std::cos(rotation), sine = std::sin(rotation);
    double su = 0.5 * scale[0], sv = -0.5 * scale[1];
    double lu = cosine * su - sine * sv, lv = sine * su + cosine * sv;
    texture.placement.repeatU = static_cast<float>(scale[0]);
    texture.placement.repeatV = static_cast<float>(scale[1]);
    texture.placement.angle = static_cast<float>(rotation * 180.0 / std::numbers::pi);
    texture.placement.offsetU = static_cast<float>(lu - 0.5 + offset[0]);
    texture.placement.offsetV = static_cast<float>(lv + 0.5 - offset[1]);
  }

  void Warn(const std::string& line) {
    if (warned_.insert(line).second) c_.model.warnings.push_back(line);
  }

  GltfContext& c_;
  std::vector<std::wstring> imagePaths_;
  std::set<std::string> warned_;
};

}  // namespace

void ReadGltfMaterials(GltfContext& context) {
  MaterialReader reader(context, ReadImages(context));
  for (std::size_t i = 0; i < context.document.materials.size(); ++i) {
    context.model.materials.push_back(reader.Read(context.document.materials[i], i));
  }
}

}  // namespace sim::import
