// Material objects (colours, power, TextureFilename) and the MeshMaterialList that assigns them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "preview/mesh_read_context.h"
#include "preview/preview_scene.h"
#include "xof/data_object.h"

namespace preview {

// Where a texture named in a file is found: the name as a path relative to the folder, else its
// last component (either separator) in the folder. Empty when neither exists.
std::filesystem::path FindTexture(const std::string& name, const std::filesystem::path& folder);

PreviewMaterial ReadMaterial(const xof::DataObject& material, const MeshReadContext& context);

// The list's materials, and a material index for each of `faceCount` faces. Faces past the end of
// the index list take its last index, as the DirectX loader does; an index with no material gets a
// default grey material appended (and a warning).
void ReadMaterialList(const xof::DataObject& list, std::size_t faceCount, const std::string& mesh,
                      const MeshReadContext& context, std::vector<PreviewMaterial>& materials,
                      std::vector<std::uint32_t>& faceMaterial);

}  // namespace preview
