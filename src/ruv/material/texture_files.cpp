#include "ruv/material/texture_files.h"

#include "platform/copy_file.h"
#include "platform/file_system.h"
#include "ruv/material/procedural_render.h"
#include "ruv/options/export_options.h"

namespace {
bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

std::wstring WriteTextureFile(XTextureSlot& slot, const std::wstring& outputDir) {
  if (!slot.Used() || !gExportOptions.TextureFiles) return {};
  const bool overwrite = gExportOptions.OverwriteTexture != 0;
  if (!slot.proceduralMap) {
    if (slot.filePath.empty()) return {};
    const std::wstring target = outputDir + slot.fileName;
    if (CopyFileW(slot.filePath.c_str(), target.c_str(), overwrite ? FALSE : TRUE)) return {};
    if (!overwrite && Exists(target)) return {};
    return L"could not be copied from " + slot.filePath;
  }
  const std::wstring targetName = slot.name + L".bmp";
  const std::wstring target = outputDir + targetName;
  slot.fileName = targetName;
  if (!overwrite && Exists(target)) return {};
  if (RenderProceduralMap(slot.proceduralMap, target, gExportOptions.ProcMapX,
                          gExportOptions.ProcMapY))
    return {};
  return L"the procedural map could not be rendered to " + target;
}
