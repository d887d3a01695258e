// A `.x` Material record as a model material: colours turned back into the host's terms the way
// the exporter turns them out, its texture, and an effect instance as a DirectX shader material
// with its parameters.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "host/sim/import/xfile_parts.h"
#include "host/sim/import/xfile_preimage.h"
#include "platform/text_encoding.h"
#include "xof/object_values.h"
#include "xof/template_ids.h"

namespace sim::import {

namespace {

float Clean(float v) { return std::isfinite(v) ? v : 0.0f; }

// The exporter writes the specular colour as colour × strength × 0.1; a strength of 10 keeps the
// colour as the file gives it.
constexpr float kSpecularStrength = 10.0f;

bool IsImageName(const std::string& text) {
  std::string extension = std::filesystem::path(text).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : {".bmp", ".png", ".jpg", ".jpeg", ".tga", ".dds", ".tif", ".tiff",
                            ".gif", ".hdr", ".exr", ".ppm", ".pfm", ".dib"}) {
    if (extension == known) return true;
  }
  return false;
}

class MaterialReader {
 public:
  MaterialReader(XReadContext& context, const xof::DataObject& record)
      : context_(context), record_(record) {}

  ImportedMaterial Read() {
    xof::ObjectValues values(record_);
    material_.name = platform::Utf8ToWide(
        record_.name.empty() ? "Material" + std::to_string(context_.model.materials.size())
                             : record_.name);
    const std::vector<float>& face = values.Member(0).floats;
    const std::vector<float>& power = values.Member(1).floats;
    const std::vector<float>& specular = values.Member(2).floats;
    const std::vector<float>& emissive = values.Member(3).floats;
    MaterialColors& colors = material_.colors;
    if (face.size() >= 4) {
      colors.diffuse = Color(Clean(face[0]), Clean(face[1]), Clean(face[2]));
      float alpha = Clean(face[3]);
      colors.transparency = Preimage(1.0f - alpha, alpha, [](float t) { return 1.0f - t; });
    }
    if (!power.empty()) {
      float p = Clean(power[0]);
      colors.shininess = Preimage(p / 100.0f, p, [](float s) { return s * 100.0f; });
    }
    if (specular.size() >= 3) {
      colors.shininessStrength = kSpecularStrength;
      float c[3];
      for (int k = 0; k < 3; ++k) {
        float f = Clean(specular[static_cast<std::size_t>(k)]);
        c[k] = Preimage(f, f, [](float s) { return s * kSpecularStrength * 0.1f; });
      }
      colors.specular = Color(c[0], c[1], c[2]);
    }
    if (emissive.size() >= 3) {
      colors.selfIllumination = Color(Clean(emissive[0]), Clean(emissive[1]), Clean(emissive[2]));
      colors.selfIlluminationOn = colors.selfIllumination.r != 0.0f ||
                                  colors.selfIllumination.g != 0.0f ||
                                  colors.selfIllumination.b != 0.0f;
    }
    for (const xof::DataChild& child : record_.children) {
      const xof::DataObject* object = context_.Resolve(child);
      if (IsA(object, xof::tid::TextureFilename)) {
        ReadTexture(xof::ObjectValues(*object).String(0));
      } else if (IsA(object, xof::tid::EffectInstance)) {
        ReadEffect(*object);
      } else if (object && object->type) {
        context_.Warn(object->type->name + " records of materials are dropped");
      }
    }
    return std::move(material_);
  }

 private:
  std::string Where() const { return "material " + record_.name; }

  // The host path of a file the material names; nothing when it is refused (with a warning).
  std::optional<std::wstring> Locate(const std::string& text) {
    if (text.empty()) {
      context_.Warn("an empty texture path is dropped (" + Where() + ")");
      return std::nullopt;
    }
    TextureLocation location = LocateTexture(context_.folder, text);
    if (location.kind == TextureLocation::Kind::kRefused) {
      context_.Warn("the path \"" + text + "\" " + location.reason + "; it is dropped (" + Where() +
                    ")");
      return std::nullopt;
    }
    return location.hostPath;
  }

  void ReadTexture(const std::string& text) {
    if (material_.maps[kDiffuseSlot]) {
      context_.Warn("textures after a material's first are dropped (" + Where() + ")");
      return;
    }
    std::optional<std::wstring> file = Locate(text);
    if (!file) return;
    ImportedTexture texture;
    texture.hostPath = *file;
    material_.maps[kDiffuseSlot] = texture;
  }

  void ReadEffect(const xof::DataObject& instance) {
    if (material_.effect) {
      context_.Warn("effect instances after a material's first are dropped (" + Where() + ")");
      return;
    }
    std::optional<std::wstring> file = Locate(xof::ObjectValues(instance).String(0));
    if (!file) return;
    ImportedEffect effect;
    effect.hostPath = *file;
    for (const xof::DataChild& child : instance.children) {
      const xof::DataObject* object = context_.Resolve(child);
      if (!object || !object->type) continue;
      xof::ObjectValues values(*object);
      std::wstring name = platform::Utf8ToWide(values.String(0));
      const xof::Guid& id = object->type->id;
      if (id == xof::tid::EffectParamDWord) {
        effect.params.push_back({name, TYPE_BOOL, static_cast<int>(values.Integer(1)), 1});
      } else if (id == xof::tid::EffectParamString) {
        std::string text = values.String(1);
        std::optional<std::wstring> image;
        if (IsImageName(text)) image = Locate(text);
        if (image) {
          effect.params.push_back({name, TYPE_BITMAP, *image, 1});
        } else {
          effect.params.push_back({name, TYPE_STRING, platform::Utf8ToWide(text), 1});
        }
      } else if (id == xof::tid::EffectParamFloats) {
        std::vector<float> f = values.Member(2).floats;
        for (float& v : f) v = Clean(v);
        if (f.size() == 1) {
          effect.params.push_back({name, TYPE_FLOAT, f[0], 1});
        } else if (f.size() == 3) {
          effect.params.push_back({name, TYPE_POINT3, Point3(f[0], f[1], f[2]), 1});
        } else if (f.size() == 4) {
          effect.params.push_back({name, TYPE_FRGBA, AColor(f[0], f[1], f[2], f[3]), 1});
        } else {
          context_.Warn("effect parameter " + values.String(0) + " of " + std::to_string(f.size()) +
                        " floats is dropped: the host's parameters hold 1, 3 or 4 (" + Where() +
                        ")");
        }
      } else {
        context_.Warn(object->type->name + " records of effect instances are dropped");
      }
    }
    material_.effect = std::move(effect);
  }

  XReadContext& context_;
  const xof::DataObject& record_;
  ImportedMaterial material_;
};

}  // namespace

int ReadXMaterial(XReadContext& context, const xof::DataObject& material) {
  context.model.materials.push_back(MaterialReader(context, material).Read());
  return static_cast<int>(context.model.materials.size()) - 1;
}

}  // namespace sim::import
