// Material objects (colours, power, TextureFilename) and the MeshMaterialList that assigns them.
#pragma once

#include <cstdint>
#include <vector>

#include "preview/mesh_reader.h"

namespace preview {

PreviewMaterial ReadMaterial(const xof::DataObject& material, const MeshReadContext& context);

// The list's materials, and a material index for each of `faceCount` faces. Faces past the end of
// the index list take its last index, as the DirectX loader does; an index with no material gets a
// default grey material appended (and a warning).
void ReadMaterialList(const xof::DataObject& list, std::size_t faceCount, const std::string& mesh,
                      const MeshReadContext& context, std::vector<PreviewMaterial>& materials,
                      std::vector<std::uint32_t>& faceMaterial);

}  // namespace preview
