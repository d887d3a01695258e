// The neutral model made into host objects through the scene builder, as the JSON loader makes
// them: one node per model node, one triangle mesh per node with its parts' material ids, one
// standard material per model material, a multi/sub-object material where a node's parts use
// several.
#pragma once

#include <memory>
#include <string>

#include "host/sim/import/imported_model.h"
#include "host/sim/sim_scene.h"

namespace sim::import {

// Builds the scene of `model`. Top-level nodes get the root turn (X by +90 degrees for a Y-up
// source, so that its up axis becomes the host's Z) and the uniform `scale`. Throws SceneFileError
// naming `fileName` when the model exceeds the limits a scene file has. `sceneFile` (host form) is
// the scene's file path, so that the exporter looks for textures beside the model.
std::unique_ptr<SimScene> AssembleScene(const ImportedModel& model, float scale,
                                        const std::string& fileName, const std::wstring& sceneFile);

// The row-vector transform a Y-up right-handed point goes through to become Z-up: (x, y, z) ->
// (x, -z, y).
Matrix3 YUpToZUp();

}  // namespace sim::import
