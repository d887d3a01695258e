// Scene files: JSON documents describing the host application and its node hierarchy (see
// docs/scene-format.md). Every problem with a file is reported as a SceneFileError naming the file,
// the place in it and the problem; a file is never half loaded.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/sim_scene.h"

namespace sim {

// The newest format version this loader reads; it reads every older one too.
constexpr int kSceneFormatVersion = 5;

// Loads the scene file at `path`. Relative paths inside resolve against the file's folder.
std::unique_ptr<SimScene> LoadSceneFile(const std::filesystem::path& path);

// Loads a scene from text. `sourceName` stands for the file in messages; relative paths resolve
// against `baseFolder`, or against the current folder when it is empty.
std::unique_ptr<SimScene> LoadSceneText(std::string_view text, const std::string& sourceName,
                                        const std::filesystem::path& baseFolder = {});

}  // namespace sim
