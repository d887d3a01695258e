// The "application" object of a scene file: frame rate, ticks, animation range, paths.
#pragma once

#include <filesystem>

#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/json_place.h"

namespace sim {

// Relative paths resolve against `baseFolder` (the scene file's folder); every path reaches the
// builder in host form.
void ReadApplication(const JsonPlace& application, const std::filesystem::path& baseFolder,
                     SceneBuilder& builder);

// A path string of the file in host form: '/' and '\' both separate folders; a relative path is
// joined to `baseFolder`; an empty string stays empty (a scene never saved).
std::wstring ReadHostPath(const JsonPlace& path, const std::filesystem::path& baseFolder);

}  // namespace sim
