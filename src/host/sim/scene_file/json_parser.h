// The scene file's JSON text read into a document in one pass. Besides JSON's own rules it refuses
// nesting deeper than SceneLimits::kMaxJsonDepth and an object holding one key twice (a silent
// choice between the two would hide an author's mistake). Every failure throws SceneFileError
// naming `fileName` and where in the text reading stopped.
#pragma once

#include <string>
#include <string_view>

#include "host/sim/scene_file/json_document.h"

namespace sim {

JsonDocument ParseJson(std::string_view text, const std::string& fileName);

}  // namespace sim
