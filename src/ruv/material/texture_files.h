// Puts the texture of one material slot into the output folder, so that the folder is
// self-contained: the `.x` records and effect files name textures by file name only.
#pragma once

#include <string>

#include "ruv/material/xmaterial.h"

// For a used slot, when the TextureFiles option is on:
// - a bitmap is copied byte for byte from `filePath` to `outputDir` + `fileName`, replacing a
//   file already there only when OverwriteTexture is on;
// - a procedural map is rendered at ProcMapX x ProcMapY pixels to `outputDir` + `name` + ".bmp"
//   when OverwriteTexture is on or nothing is there yet, and `fileName` becomes `name` + ".bmp".
// `outputDir` ends with '\'. A copy or render that fails is not reported: the slot's texture is
// still named in the file, and the output folder is left as it was.
void WriteTextureFile(XTextureSlot& slot, const std::wstring& outputDir);
