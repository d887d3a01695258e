#include "ruv/material/texture_files.h"

#include "platform/copy_file.h"
#include "platform/file_system.h"
#include "ruv/material/procedural_render.h"
#include "ruv/options/export_options.h"

void WriteTextureFile(XTextureSlot& slot, const std::wstring& outputDir) {
  if (!slot.Used() || !gExportOptions.TextureFiles) return;
  const bool overwrite = gExportOptions.OverwriteTexture != 0;
  if (!slot.proceduralMap) {
    if (slot.filePath.empty()) return;
    const std::wstring target = outputDir + slot.fileName;
    CopyFileW(slot.filePath.c_str(), target.c_str(), overwrite ? FALSE : TRUE);
    return;
  }
  const std::wstring targetName = slot.name + L".bmp";
  const std::wstring target = outputDir + targetName;
  if (overwrite || GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
    RenderProceduralMap(slot.proceduralMap, target, gExportOptions.ProcMapX,
                        gExportOptions.ProcMapY);
  }
  slot.fileName = targetName;
}
