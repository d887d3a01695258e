#include "ruv/material/map_slots.h"

#include "host/mtl.h"
#include "ruv/core/names.h"
#include "ruv/material/map_uv_transform.h"
#include "ruv/material/texture_search.h"
#include "ruv/options/export_options.h"

std::wstring MakeMapName(const XMaterial& record, const wchar_t* mapName) {
  std::wstring name = CleanName(mapName ? mapName : L"");
  for (;;) {
    bool taken = false;
    for (const XTextureSlot& slot : record.maps) {
      if (slot.name == name) {
        taken = true;
        break;
      }
    }
    if (!taken) return name;
    name.push_back(L'_');
  }
}

std::wstring FileNameOf(const wchar_t* path) {
  std::wstring text = path ? path : L"";
  std::size_t slash = text.rfind(L'\\');
  if (slash == std::wstring::npos) slash = text.rfind(L'/');
  return slash == std::wstring::npos ? text : text.substr(slash + 1);
}

Texmap* UnwrapNormalBump(Texmap* map, bool& normalMap) {
  normalMap = false;
  if (!map || map->ClassID() != GNORMAL_CLASS_ID) return map;
  Texmap* inner = map->GetSubTexmap(0);
  normalMap = inner && inner->ClassID() == BMTEX_CLASS_ID;
  return inner;
}

namespace {

void FillCommon(XMaterial& record, XTextureSlot& slot, Texmap* map) {
  slot.name = MakeMapName(record, map->GetName());
  slot.uvTransform = ComputeMapUVTransform(map);
  TextureAddressing addressing = AddressingOf(map);
  slot.addressU = addressing.u;
  slot.addressV = addressing.v;
}

}  // namespace

void FillBitmapSlot(XMaterial& record, int index, Texmap* bitmap) {
  XTextureSlot& slot = record.maps[index];
  FillCommon(record, slot, bitmap);
  const wchar_t* mapName = static_cast<BitmapTex*>(bitmap)->GetMapName();
  slot.fileName = FileNameOf(mapName);
  slot.filePath = FindTextureFile(mapName ? mapName : L"");
  slot.mapChannel = bitmap->GetMapChannel();
}

bool FillProceduralSlot(XMaterial& record, int index, Texmap* map) {
  int channel = map->GetMapChannel();
  if (channel <= 0) return false;
  if (gExportOptions.VertexColor && map->ClassID() == VERTEX_COLOR_CLASS_ID) return false;
  XTextureSlot& slot = record.maps[index];
  FillCommon(record, slot, map);
  // The rendered bitmap already holds the map's tiling, offset and angle: the faces take its
  // coordinates as they are (flipped in V like every bitmap), or the tiling would apply twice.
  slot.uvTransform = ComputeMapUVTransform(nullptr);
  slot.fileName = slot.name + L".bmp";
  slot.filePath = slot.fileName;
  slot.mapChannel = channel;
  slot.proceduralMap = map;
  return true;
}
