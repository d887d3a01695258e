#include "ruv/xfile/material_writer.h"

#include <cstdint>
#include <string>

#include "platform/copy_file.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "ruv/core/export_context.h"
#include "ruv/core/refused_records.h"
#include "ruv/core/xmaterial.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/effect/effect_desc.h"
#include "ruv/effect/effect_file.h"
#include "ruv/effect/effect_names.h"
#include "ruv/material/map_slots.h"
#include "ruv/material/texture_files.h"
#include "ruv/options/export_options.h"
#include "ruv/xfile/record_layout.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"

namespace {

void PutString(RecordBuffer& out, const std::wstring& text) {
  std::string ansi = platform::WideToAnsi(text);
  out.Raw(ansi.c_str(), ansi.size() + 1);
}

void AddLeaf(xof::SaveData* parent, const xof::Guid& templateId, const RecordBuffer& data) {
  xof::SaveData* record = nullptr;
  if (xof::Succeeded(
          parent->AddDataObject(templateId, nullptr, nullptr, data.size(), data.data(), &record))) {
    record->Release();
  }
}

// EffectInstance with the effect file's name and, when wanted, the material's parameters.
void WriteEffectRecords(xof::SaveData* material, const XEffectMaterial& effect,
                        const std::wstring& fileName, bool withParameters) {
  RecordBuffer instanceData;
  PutString(instanceData, fileName);
  xof::SaveData* instance = nullptr;
  if (xof::Failed(material->AddDataObject(xof::tid::EffectInstance, nullptr, nullptr,
                                          instanceData.size(), instanceData.data(), &instance)))
    return;
  if (withParameters) {
    for (const XEffectParamDWord& p : effect.dwordParams) {
      RecordBuffer data;
      PutString(data, p.name);
      data.Dword(p.value);
      AddLeaf(instance, xof::tid::EffectParamDWord, data);
    }
    for (const XEffectParamString& p : effect.stringParams) {
      RecordBuffer data;
      PutString(data, p.name);
      PutString(data, p.value);
      AddLeaf(instance, xof::tid::EffectParamString, data);
    }
    for (const XEffectParamFloats& p : effect.floatParams) {
      RecordBuffer data;
      PutString(data, p.name);
      data.Dword(p.count);
      data.Floats(p.values.data(), std::min<std::size_t>(p.count, p.values.size()));
      AddLeaf(instance, xof::tid::EffectParamFloats, data);
    }
  }
  instance->Release();
}

// A bitmap written under another name than the material's parameters give: the first parameter
// still naming the old file names the new one.
void RenameFileParam(XEffectMaterial& effect, const std::wstring& before,
                     const std::wstring& after) {
  for (XEffectParamString& param : effect.stringParams) {
    if (!before.empty() && FileNameOf(param.value.c_str()) == before) {
      param.value = after;
      return;
    }
  }
}

std::size_t EffectMaterialCount(const XRenderableNode* node) {
  std::size_t count = 0;
  if (node) {
    for (const auto& entry : node->materials) count += entry->type == kEffectMaterial ? 1 : 0;
  }
  return count;
}

// The texture-coordinate set a channel's coordinates are written as: aliased channels share one.
int CoordinateSetOf(const XMeshData* data, int mapChannel) {
  if (!data) return -1;
  std::int32_t p = ChannelIndex(*data, mapChannel);
  if (p < 0 || p >= static_cast<std::int32_t>(data->channelAliases.size())) return -1;
  int set = 0;
  for (std::int32_t k = 0; k <= data->channelAliases[p]; ++k)
    set += data->channelAliases[k] == k ? 1 : 0;
  return set - 1;
}

void WriteGeneratedEffect(ExportContext* context, xof::SaveData* material, XEffectMaterial& effect,
                          XRenderableNode* node) {
  const ExportOptions& o = gExportOptions;
  std::wstring nodeName = node ? node->name : L"";
  std::wstring wanted =
      EffectMaterialCount(node) <= 1 ? nodeName + L".fx" : nodeName + L"_" + effect.name + L".fx";
  // Each generated effect is a source of its own: node A's M1 and node A_M1 never share A_M1.fx.
  std::wstring source = L"fx:" + std::to_wstring(reinterpret_cast<std::uintptr_t>(&effect));
  effect.effectFile = context->outputNames.Claim(wanted, source).name;
  std::wstring effectPath = context->outputDir + effect.effectFile;

  XEffectDesc desc;
  desc.faceColor = effect.faceColor;
  desc.power = effect.power;
  desc.specularColor = effect.specularColor;
  desc.emissiveColor = effect.emissiveColor;
  desc.normal = o.Normal != 0;
  desc.tangent = o.Tangent != 0;
  desc.binormal = o.BiTangent != 0;
  desc.vertexColor = o.VertexColor != 0;
  desc.diffuseMapColor = o.DiffuseMapColor != 0;
  desc.path = effectPath;
  const XMeshData* data = node ? node->meshData.get() : nullptr;
  EffectVariableNames variables;
  for (const XTextureSlot& slot : effect.maps) {
    if (!slot.Used()) continue;
    int set = CoordinateSetOf(data, slot.mapChannel);
    if (set < 0) continue;
    std::wstring variable = variables.Take(slot.name);
    AddEffectTexture(desc, variable, slot.role, set, slot.addressU, slot.addressV);
    effect.stringParams.push_back({variable, slot.fileName});
  }
  WriteEffectRecords(material, effect, effect.effectFile, true);
  const bool existed = GetFileAttributesW(effectPath.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (o.TextureFiles && (o.OverwriteTexture || !existed)) {
    if (!WriteEffectFile(desc)) {
      RefuseRecord(context, L"effect file \"" + effect.effectFile + L"\"", nodeName,
                   L"could not be written to " + effectPath);
    } else if (!existed) {
      context->outputNames.NoteMade(effectPath);
    }
  }
}

void WriteTextureNames(xof::SaveData* material, const XMaterial& plain) {
  const XTextureSlot* primary = nullptr;
  for (const XTextureSlot& slot : plain.maps) {
    if (slot.role == XTextureSlot::kPrimary && slot.Used()) {
      primary = &slot;
      break;
    }
  }
  for (const XTextureSlot& slot : plain.maps) {
    std::string fileName = platform::WideToAnsi(slot.fileName);
    if (!slot.Used() || fileName.empty()) continue;
    if (!gExportOptions.MultiTextures && &slot != primary) continue;
    RecordBuffer data;
    data.Raw(fileName.c_str(), fileName.size() + 1);
    AddLeaf(material, xof::tid::TextureFilename, data);
  }
}

}  // namespace

void WriteMaterialRecord(ExportContext* context, xof::SaveData* parent, XMaterialEntry* entry,
                         XRenderableNode* node) {
  if (!entry) return;
  if (entry->type == kMaterialReference) {
    std::uint32_t index = static_cast<XMaterialRef*>(entry)->index;
    if (parent && index < context->sharedMaterials.size()) {
      std::string name = platform::WideToAnsi(context->sharedMaterials[index]->name);
      parent->AddDataReference(name.c_str(), nullptr);
    }
    return;
  }

  auto* material = static_cast<XMaterial*>(entry);
  std::string name = platform::WideToAnsi(material->name);
  RecordBuffer body;
  body.Floats(material->faceColor.data(), 4);
  body.Float(material->power);
  body.Floats(material->specularColor.data(), 3);
  body.Floats(material->emissiveColor.data(), 3);
  xof::SaveData* record = nullptr;
  HRESULT added =
      parent ? parent->AddDataObject(xof::tid::Material, name.c_str(), nullptr, body.size(),
                                     body.data(), &record)
             : context->saveObject->AddDataObject(xof::tid::Material, name.c_str(), nullptr,
                                                  body.size(), body.data(), &record);
  if (xof::Failed(added)) return;

  int used = 0;
  for (XTextureSlot& slot : material->maps) {
    std::wstring before = slot.fileName;
    std::wstring failure =
        WriteTextureFile(slot, context->outputDir, context->outputNames, &context->textureNotes);
    if (slot.fileName != before && material->type == kEffectMaterial) {
      RenameFileParam(static_cast<XEffectMaterial&>(*material), before, slot.fileName);
    }
    // The record keeps naming the texture (the user may yet put it there), but the folder lacks it.
    if (!failure.empty()) {
      RefuseRecord(context,
                   L"texture file \"" + slot.fileName + L"\" of material " + material->name,
                   node ? node->name : L"", std::move(failure));
    }
    used += slot.Used() ? 1 : 0;
  }
  if (used > 0) {
    if (material->type == kEffectMaterial) {
      auto* effect = static_cast<XEffectMaterial*>(material);
      if (effect->isDxMaterial) {
        std::wstring fileName = FileNameOf(effect->effectFile.c_str());
        ClaimedName copy{fileName, false};
        if (gExportOptions.DxFx)
          copy = context->outputNames.Claim(fileName, L"file:" + effect->effectFile);
        WriteEffectRecords(record, *effect, copy.name, gExportOptions.EffectParam != 0);
        if (copy.first) {
          std::wstring target = context->outputDir + copy.name;
          bool overwrite = gExportOptions.OverwriteFX != 0;
          bool existed = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
          if (CopyFileW(effect->effectFile.c_str(), target.c_str(), overwrite ? FALSE : TRUE)) {
            if (!existed) context->outputNames.NoteMade(target);
          } else if (overwrite || GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
            RefuseRecord(context, L"effect file \"" + copy.name + L"\"", node ? node->name : L"",
                         L"could not be copied from " + effect->effectFile);
          }
        }
      } else {
        WriteGeneratedEffect(context, record, *effect, node);
      }
    } else {
      WriteTextureNames(record, *material);
    }
  }
  record->Release();
}
