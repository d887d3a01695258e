#include "preview/material_reader.h"

#include <algorithm>

#include "xof/object_values.h"
#include "xof/template_ids.h"

namespace preview {
namespace {

void CopyFloats(const xof::MemberValues& from, float* to, std::size_t count) {
  for (std::size_t i = 0; i < count && i < from.floats.size(); ++i) to[i] = from.floats[i];
}

std::string Describe(const xof::DataObject& object) {
  return object.name.empty() ? std::string("(unnamed)") : "'" + object.name + "'";
}

}  // namespace

std::filesystem::path FindTexture(const std::string& name, const std::filesystem::path& folder) {
  if (name.empty()) return {};
  std::error_code code;
  std::string portable = name;
  std::replace(portable.begin(), portable.end(), '\\', '/');
  std::filesystem::path asGiven = folder / portable;
  if (std::filesystem::is_regular_file(asGiven, code)) return asGiven;
  std::filesystem::path leaf = folder / std::filesystem::path(portable).filename();
  if (std::filesystem::is_regular_file(leaf, code)) return leaf;
  return {};
}

PreviewMaterial ReadMaterial(const xof::DataObject& material, const MeshReadContext& context) {
  PreviewMaterial result;
  xof::ObjectValues values(material);
  CopyFloats(values.Member(0), result.diffuse, 4);
  CopyFloats(values.Member(1), &result.power, 1);
  CopyFloats(values.Member(2), result.specular, 3);
  CopyFloats(values.Member(3), result.emissive, 3);
  for (const xof::DataChild& child : material.children) {
    if (child.IsReference() || !child.object->type) continue;
    if (child.object->type->id != xof::tid::TextureFilename) continue;
    xof::ObjectValues texture(*child.object);
    if (texture.Member(0).strings.empty()) continue;
    result.textureName = texture.Member(0).strings.front();
    result.texturePath = FindTexture(result.textureName, context.textureFolder).string();
    if (result.texturePath.empty() && context.warnings) {
      std::string folder = context.textureFolder.empty() ? "." : context.textureFolder.string();
      context.warnings->push_back("texture '" + result.textureName + "' of material " +
                                  Describe(material) + " is missing (looked for in " + folder +
                                  "); drawn in the material's colour");
    }
  }
  return result;
}

void ReadMaterialList(const xof::DataObject& list, std::size_t faceCount, const std::string& mesh,
                      const MeshReadContext& context, std::vector<PreviewMaterial>& materials,
                      std::vector<std::uint32_t>& faceMaterial) {
  xof::ObjectValues values(list);
  std::size_t declared = values.Member(0).integers.empty() ? 0 : values.Member(0).integers[0];
  const std::vector<std::uint32_t>& indices = values.Member(2).integers;
  for (const xof::DataChild& child : list.children) {
    const xof::DataObject* material = child.object.get();
    if (child.IsReference()) {
      material = context.findNamed ? context.findNamed(child.reference.name) : nullptr;
      if (!material && context.warnings) {
        context.warnings->push_back("mesh '" + mesh + "': material '" + child.reference.name +
                                    "' is not in the file");
      }
    }
    if (material && material->type && material->type->id == xof::tid::Material) {
      materials.push_back(ReadMaterial(*material, context));
    } else if (child.IsReference()) {
      materials.emplace_back();  // keeps the indices of the materials after it
    }
  }
  if (materials.size() < declared && context.warnings) {
    context.warnings->push_back("mesh '" + mesh + "': the material list declares " +
                                std::to_string(declared) + " materials but holds " +
                                std::to_string(materials.size()));
  }
  faceMaterial.assign(faceCount, 0);
  bool outOfRange = false;
  for (std::size_t f = 0; f < faceCount && !indices.empty(); ++f) {
    std::uint32_t index = indices[std::min(f, indices.size() - 1)];
    if (index >= materials.size()) {
      outOfRange = true;
      index = static_cast<std::uint32_t>(materials.size());
    }
    faceMaterial[f] = index;
  }
  if (outOfRange || materials.empty()) {
    if (outOfRange && context.warnings) {
      context.warnings->push_back("mesh '" + mesh +
                                  "': faces name materials the list does not hold; drawn grey");
    }
    materials.emplace_back();
  }
}

}  // namespace preview
