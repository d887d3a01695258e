#include "ruv/material/dx_material.h"

#include <algorithm>
#include <cwctype>
#include <string>

#include "host/bitmap.h"
#include "host/mtl.h"
#include "platform/window.h"
#include "ruv/core/names.h"
#include "ruv/material/map_slots.h"
#include "ruv/material/map_uv_transform.h"
#include "ruv/material/texture_search.h"

namespace {

std::wstring Lower(const wchar_t* text) {
  std::wstring out = text ? text : L"";
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

// Whether the material gives each effect bitmap its own map channel.
bool HasChannelParameters(IParamBlock2* block) {
  for (int i = 0; i < block->NumParams(); ++i) {
    if (Lower(block->GetParamDef(block->IndextoID(i)).int_name).find(L"mapchannel") !=
        std::wstring::npos)
      return true;
  }
  return false;
}

// The effect file named in parameter blocks 1 and on; the last one found wins.
std::wstring EffectFileOf(Mtl* material) {
  std::wstring file;
  for (int b = 1; b < material->NumParamBlocks(); ++b) {
    IParamBlock2* block = material->GetParamBlock(b);
    if (!block) continue;
    for (int i = 0; i < block->NumParams(); ++i) {
      ParamID id = block->IndextoID(i);
      const ParamDef& def = block->GetParamDef(id);
      if (def.type == TYPE_FILENAME && Lower(def.int_name) == L"effectfile") {
        const wchar_t* value = block->GetStr(id, 0);
        file = value ? value : L"";
      }
    }
  }
  return file;
}

void FillEffectBitmaps(XEffectMaterial& record, Mtl* material, bool channelsFromMaterial) {
  auto* dx = static_cast<IDxMaterial*>(material->GetInterface(IDXMATERIAL_INTERFACE_ID));
  if (!dx) return;
  int count = std::min(dx->GetNumberOfEffectBitmaps(), kTextureSlotCount);
  for (int i = 0; i < count; ++i) {
    XTextureSlot& slot = record.maps[i];
    slot.uvTransform = ComputeMapUVTransform(nullptr);
    slot.mapChannel = channelsFromMaterial ? std::max(dx->GetBitmapMappingChannel(i), 1) : 1;
    if (PBBitmap* bitmap = dx->GetEffectBitmap(i)) {
      slot.filePath = FindTextureFile(bitmap->bi.Name());
      slot.fileName = FileNameOf(bitmap->bi.Filename());
    }
  }
}

std::unique_ptr<XMaterial> Fail(Mtl* material) {
  const wchar_t* hostName = material->GetName();
  std::wstring text = std::wstring(hostName ? hostName : L"") + L": Not valid directx material!";
  MessageBoxW(nullptr, text.c_str(), L"Error Material", MB_OK);
  auto record = std::make_unique<XMaterial>();
  record->name = CleanName(hostName ? hostName : L"") + L"_ErrorDxMaterial";
  return record;
}

}  // namespace

std::unique_ptr<XMaterial> ExtractDxMaterial(Mtl* material) {
  IParamBlock2* block = material->NumParamBlocks() >= 1 ? material->GetParamBlock(0) : nullptr;
  if (!block) return Fail(material);
  auto record = std::make_unique<XEffectMaterial>();
  const wchar_t* name = material->GetName();
  record->name = CleanName(name ? name : L"");
  FillEffectBitmaps(*record, material, HasChannelParameters(block));
  std::wstring effectFile = EffectFileOf(material);
  if (effectFile.empty()) return Fail(material);
  record->effectFile = FindTextureFile(effectFile);
  CaptureEffectParams(*record, block);
  record->isDxMaterial = true;
  return record;
}

void CaptureEffectParams(XEffectMaterial& record, IParamBlock2* block) {
  for (int i = 0; i < block->NumParams(); ++i) {
    ParamID id = block->IndextoID(i);
    const ParamDef& def = block->GetParamDef(id);
    std::wstring name = def.int_name ? def.int_name : L"";
    switch (def.type) {
      case TYPE_FLOAT:
      case TYPE_PCNT_FRAC:
        record.floatParams.push_back({name, {block->GetFloat(id, 0), 0, 0, 0}, 1});
        break;
      case TYPE_POINT3: {
        Point3 p = block->GetPoint3(id, 0);
        record.floatParams.push_back({name, {p.x, p.y, p.z, 0}, 3});
        break;
      }
      case TYPE_POINT4: {
        Point4 p = block->GetPoint4(id, 0);
        record.floatParams.push_back({name, {p.x, p.y, p.z, p.w}, 4});
        break;
      }
      case TYPE_FRGBA: {
        AColor c = block->GetAColor(id, 0);
        record.floatParams.push_back({name, {c.r, c.g, c.b, c.a}, 4});
        break;
      }
      case TYPE_BOOL:
        record.dwordParams.push_back({name, static_cast<std::uint32_t>(block->GetInt(id, 0))});
        break;
      case TYPE_STRING:
      case TYPE_FILENAME: {
        const wchar_t* value = block->GetStr(id, 0);
        record.stringParams.push_back({name, value ? value : L""});
        break;
      }
      case TYPE_BITMAP: {
        PBBitmap* bitmap = block->GetBitmap(id, 0);
        record.stringParams.push_back({name, bitmap ? bitmap->bi.Filename() : L""});
        break;
      }
      case TYPE_TEXMAP: {
        Texmap* map = block->GetTexmap(id, 0);
        std::wstring file;
        if (map && map->ClassID() == BMTEX_CLASS_ID)
          file = FileNameOf(static_cast<BitmapTex*>(map)->GetMapName());
        record.stringParams.push_back({name, file});
        break;
      }
      default:
        break;
    }
  }
}
