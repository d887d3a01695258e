// Textures converted to the format an engine loads (TextureConvert, TextureFormat, PowerOf2):
// decoded, resized to powers of two when asked, and written in the chosen format beside the output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What this export converts textures to; off unless TextureConvert is on with a TextureFormat of
// 0 to 4 (dds, png, tga, jpg, bmp).
struct TextureConversion {
  bool on = false;
  int format = 0;         // TextureFormat
  bool powerOf2 = false;  // PowerOf2

  static TextureConversion FromOptions();
  // `fileName` with the chosen format's extension in place of its own.
  std::wstring NameFor(const std::wstring& fileName) const;
};

struct ConvertedFile {
  std::string bytes;       // the file to write; empty when the source could not be decoded
  std::wstring problem;    // why it could not
  bool alphaLost = false;  // the image had transparency the format cannot hold (JPEG)
};

// The converted file of the texture whose file holds `source` (named `sourceName`, whose
// extension tells a TGA file). A source already in the chosen format and size is kept as it is.
ConvertedFile ConvertTexture(const std::string& source, const std::wstring& sourceName,
                             const TextureConversion& conversion);

// The converted file of a rendered map: `rgba` holds width x height pixels, top row first.
ConvertedFile ConvertPixels(std::vector<std::uint8_t> rgba, int width, int height,
                            const TextureConversion& conversion);
