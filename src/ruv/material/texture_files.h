// Puts the texture of one material slot into the output folder, so that the folder is
// self-contained: the `.x` records and effect files name textures by file name only.
#pragma once

#include <string>
#include <vector>

#include "ruv/core/output_names.h"
#include "ruv/core/xmaterial.h"

// For a used slot, when the TextureFiles option is on:
// - a bitmap is copied byte for byte from `filePath` to `outputDir` + `fileName`, replacing a
//   file already there only when OverwriteTexture is on;
// - a procedural map is rendered at ProcMapX x ProcMapY pixels to `outputDir` + `name` + ".bmp"
//   when OverwriteTexture is on or nothing is there yet.
// With TextureConvert on, both are written in the TextureFormat instead (texture_conversion.h),
// under their name with that format's extension; a bitmap that cannot be decoded is copied as it
// is, and the result says so. What a written file lacks that the user should know of (JPEG's
// missing alpha) goes to `notes`.
// `fileName` becomes the name `names` gives the source: a source whose file was made earlier in
// the export is not copied or rendered again, and two sources never share a file.
// `outputDir` ends with '\'. Returns why the file could not be put there (the output folder is then
// left as it was); empty when it is there, or when nothing was asked. A file already there that
// may not be replaced counts as there.
std::wstring WriteTextureFile(XTextureSlot& slot, const std::wstring& outputDir, OutputNames& names,
                              std::vector<std::wstring>* notes = nullptr);

// The procedural map size the bitmap allows: ProcMapX and ProcMapY clamped to 1..9999 (four
// digits, as the options take them). Returns what was changed, for the user; empty when nothing.
std::wstring ClampProceduralMapSize();

// What the user is told when PowerOf2 asks for a resize that only TextureConvert makes; empty
// when it does not. (TextureConvert with a TextureFormat outside 0..4 makes each texture a refused
// record instead: copied, or rendered as a .bmp, as without conversion.)
std::wstring TextureConversionWarning();
