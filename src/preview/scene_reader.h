// From the .x reader's document to what a preview draws: frames with their matrices, meshes,
// materials with their textures found beside the file, skin weights and the first animation set.
// Anything that cannot be drawn as the file asks is drawn as well as it can be and named in the
// scene's warnings; nothing here fails on a document the reader accepted.
#pragma once

#include <filesystem>

#include "preview/preview_scene.h"
#include "xof/file_reader.h"

namespace preview {

// `folder` is where the file's textures are looked for (the .x file's own folder).
PreviewScene ReadPreviewScene(const xof::XFileDocument& document,
                              const std::filesystem::path& folder);

}  // namespace preview
