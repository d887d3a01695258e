// `.x` files into the neutral model through our own reader (src/xof), every encoding: frames,
// meshes with all their channels, materials (DirectX shader materials from effect instances), skins
// and animation sets. What the host cannot hold is named in the model's warnings.
#pragma once

#include <filesystem>
#include <string>

#include "host/sim/import/import_settings.h"
#include "host/sim/import/imported_model.h"
#include "host/sim/import/model_files.h"

namespace xof {
struct XFileDocument;
}

namespace sim::import {

// Throws SceneFileError naming the file and the problem.
ImportedModel ReadXFileModel(const std::filesystem::path& path, const std::string& fileName,
                             const ImportSettings& settings);

// The model of a document already read; `folder` is where its textures and effects are looked for.
ImportedModel ModelOfXDocument(const xof::XFileDocument& document, const std::string& fileName,
                               const ModelFolder& folder, const ImportSettings& settings);

}  // namespace sim::import
