// How a model file is to be imported: what the caller of ImportModelFile chooses, handed on to the
// reader of the file's format.
#pragma once

#include <filesystem>

namespace sim::import {

enum class UpAxis { kFromFile, kY, kZ };

struct ImportSettings {
  // Uniform scale of the whole model; must be finite and above 0.
  float scale = 1.0f;
  // The up axis of a source whose format leaves it open; glTF is always Y-up.
  UpAxis up = UpAxis::kFromFile;
  // Where embedded images will be written (the output's folder); textures reference them there.
  std::filesystem::path imageFolder;
};

}  // namespace sim::import
