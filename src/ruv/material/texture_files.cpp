#include "ruv/material/texture_files.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/copy_file.h"
#include "platform/file_system.h"
#include "ruv/material/procedural_render.h"
#include "ruv/options/export_options.h"

namespace {
constexpr std::int32_t kMinProcMapSize = 1;
constexpr std::int32_t kMaxProcMapSize = 9999;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

std::wstring WriteTextureFile(XTextureSlot& slot, const std::wstring& outputDir,
                              OutputNames& names) {
  if (!slot.Used() || !gExportOptions.TextureFiles) return {};
  const bool overwrite = gExportOptions.OverwriteTexture != 0;
  if (!slot.proceduralMap) {
    if (slot.filePath.empty()) return {};
    ClaimedName claimed = names.Claim(slot.fileName, L"file:" + slot.filePath);
    slot.fileName = claimed.name;
    if (!claimed.first) return {};
    const std::wstring target = outputDir + slot.fileName;
    const bool existed = Exists(target);
    if (CopyFileW(slot.filePath.c_str(), target.c_str(), overwrite ? FALSE : TRUE)) {
      if (!existed) names.NoteMade(target);
      return {};
    }
    if (!overwrite && Exists(target)) return {};
    if (!Exists(slot.filePath)) return L"its source " + slot.filePath + L" was not found";
    return L"could not be copied from " + slot.filePath;
  }
  ClaimedName claimed =
      names.Claim(slot.name + L".bmp",
                  L"map:" + std::to_wstring(reinterpret_cast<std::uintptr_t>(slot.proceduralMap)));
  slot.fileName = claimed.name;
  if (!claimed.first) return {};
  const std::wstring target = outputDir + slot.fileName;
  const bool existed = Exists(target);
  if (!overwrite && existed) return {};
  if (RenderProceduralMap(slot.proceduralMap, target, gExportOptions.ProcMapX,
                          gExportOptions.ProcMapY)) {
    if (!existed) names.NoteMade(target);
    return {};
  }
  return L"the procedural map could not be rendered to " + target;
}

std::wstring ClampProceduralMapSize() {
  std::wstring changed;
  for (auto [key, value] : {std::pair{L"ProcMapX", &gExportOptions.ProcMapX},
                            std::pair{L"ProcMapY", &gExportOptions.ProcMapY}}) {
    std::int32_t clamped = std::clamp<std::int32_t>(*value, kMinProcMapSize, kMaxProcMapSize);
    if (clamped == *value) continue;
    changed += std::wstring(changed.empty() ? L"" : L"; ") + key + L" " + std::to_wstring(*value) +
               L" is outside 1 to 9999, " + std::to_wstring(clamped) + L" is used";
    *value = clamped;
  }
  return changed;
}
