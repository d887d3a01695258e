#include "ruv/material/texture_files.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/copy_file.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"
#include "ruv/material/procedural_render.h"
#include "ruv/material/texture_conversion.h"
#include "ruv/options/export_options.h"

namespace {
constexpr std::int32_t kMinProcMapSize = 1;
constexpr std::int32_t kMaxProcMapSize = 9999;

// Source textures are read whole to be converted; larger ones are copied as they are (1 GiB is
// 16384 x 16384 pixels of uncompressed RGBA).
constexpr std::uintmax_t kMaxSourceBytes = std::uintmax_t{1} << 30;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes a converted texture to `target` unless a file there may not be replaced (which then
// counts as there). Returns why it could not be written; empty when it is there.
std::wstring PutConverted(const ConvertedFile& file, const std::wstring& target, OutputNames& names,
                          std::vector<std::wstring>* notes) {
  const bool existed = Exists(target);
  if (existed && !gExportOptions.OverwriteTexture) return {};
  if (!file.problem.empty()) return L"could not be converted: " + file.problem;
  std::string problem;
  if (!platform::WriteFileAtomically(platform::ToNativePath(target), file.bytes, &problem))
    return L"could not be written to " + target + L": " + platform::Utf8ToWide(problem);
  if (!existed) names.NoteMade(target);
  if (file.alphaLost && notes) {
    notes->push_back(target + L": JPEG holds no transparency, the texture's alpha is left out");
  }
  return {};
}

// A bitmap converted to the chosen format. A source that cannot be read or decoded is copied as it
// is instead, and the result says why it was not converted.
std::wstring ConvertBitmap(XTextureSlot& slot, const std::wstring& outputDir, OutputNames& names,
                           const TextureConversion& conversion, std::vector<std::wstring>* notes) {
  const std::wstring source = L"convert:" + slot.filePath;
  if (const std::wstring* known = names.Find(source)) {
    slot.fileName = *known;
    return {};
  }
  std::wstring why;
  if (!names.Find(L"file:" + slot.filePath)) {
    // Read as a copy would be: nothing of /proc, /sys or /dev, no pipe or device. What cannot be
    // read goes on to the copy, which says why.
    std::optional<std::string> bytes = ReadCopyableFile(slot.filePath.c_str(), kMaxSourceBytes);
    if (bytes) {
      ConvertedFile file = ConvertTexture(*bytes, slot.fileName, conversion);
      if (file.problem.empty()) {
        slot.fileName = names.Claim(conversion.NameFor(slot.fileName), source).name;
        return PutConverted(file, outputDir + slot.fileName, names, notes);
      }
      why = L"was not converted (" + file.problem + L")";
    } else {
      why = L"was not converted (it could not be read whole, or is larger than 1 GiB)";
    }
  }
  return why;
}

// Why nothing is converted although TextureConvert asks for it; empty when that is not so.
std::wstring UnknownFormat() {
  if (!gExportOptions.TextureConvert || TextureConversion::FromOptions().on) return {};
  return L"was not converted (TextureFormat " + std::to_wstring(gExportOptions.TextureFormat) +
         L" is none of 0 to 4: dds, png, tga, jpg, bmp)";
}

}  // namespace

std::wstring WriteTextureFile(XTextureSlot& slot, const std::wstring& outputDir, OutputNames& names,
                              std::vector<std::wstring>* notes) {
  if (!slot.Used() || !gExportOptions.TextureFiles) return {};
  const bool overwrite = gExportOptions.OverwriteTexture != 0;
  const TextureConversion conversion = TextureConversion::FromOptions();
  if (!slot.proceduralMap) {
    if (slot.filePath.empty()) return {};
    std::wstring unconverted = UnknownFormat();
    if (conversion.on) {
      std::wstring before = slot.fileName;
      unconverted = ConvertBitmap(slot, outputDir, names, conversion, notes);
      if (slot.fileName != before || names.Find(L"convert:" + slot.filePath)) return unconverted;
    }
    ClaimedName claimed = names.Claim(slot.fileName, L"file:" + slot.filePath);
    slot.fileName = claimed.name;
    if (!claimed.first) return {};
    const std::wstring target = outputDir + slot.fileName;
    const bool existed = Exists(target);
    if (CopyFileW(slot.filePath.c_str(), target.c_str(), overwrite ? FALSE : TRUE)) {
      if (!existed) names.NoteMade(target);
      // Copied in place of the converted file that was asked for: the user must hear of it.
      return unconverted.empty() ? std::wstring() : unconverted + L"; copied as it is";
    }
    if (!overwrite && Exists(target)) return unconverted;
    if (!Exists(slot.filePath)) return L"its source " + slot.filePath + L" was not found";
    return L"could not be copied from " + slot.filePath;
  }
  const std::wstring mapSource =
      L"map:" + std::to_wstring(reinterpret_cast<std::uintptr_t>(slot.proceduralMap));
  if (conversion.on) {
    ClaimedName claimed = names.Claim(conversion.NameFor(slot.name + L".bmp"), mapSource);
    slot.fileName = claimed.name;
    if (!claimed.first) return {};
    const std::wstring target = outputDir + slot.fileName;
    if (Exists(target) && !overwrite) return {};
    const int width = gExportOptions.ProcMapX, height = gExportOptions.ProcMapY;
    ConvertedFile file = ConvertPixels(RenderProceduralPixels(slot.proceduralMap, width, height),
                                       width, height, conversion);
    return PutConverted(file, target, names, notes);
  }
  ClaimedName claimed = names.Claim(slot.name + L".bmp", mapSource);
  slot.fileName = claimed.name;
  if (!claimed.first) return {};
  const std::wstring target = outputDir + slot.fileName;
  const bool existed = Exists(target);
  if (!overwrite && existed) return {};
  if (RenderProceduralMap(slot.proceduralMap, target, gExportOptions.ProcMapX,
                          gExportOptions.ProcMapY)) {
    if (!existed) names.NoteMade(target);
    const std::wstring unknown = UnknownFormat();
    return unknown.empty() ? std::wstring() : unknown + L"; rendered as a .bmp";
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

std::wstring TextureConversionWarning() {
  const ExportOptions& o = gExportOptions;
  if (o.PowerOf2 && !o.TextureConvert) {
    return L"PowerOf2 resizes converted textures only: with TextureConvert off, textures are "
           L"copied as they are";
  }
  return {};
}
