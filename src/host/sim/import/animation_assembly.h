// The model's skins and animations given to the scene builder: the Skin modifier of each skinned
// node, and keyframe tracks for every node part an animation keys, over all the clips.
#pragma once

#include <string>
#include <vector>

#include "host/sim/import/imported_model.h"
#include "host/sim/scene_builder.h"

namespace sim::import {

// The Skin modifier of every node with a skin. `world` holds each node's host world transform
// before any animation: the skinned node is bound there, and each joint where its inverse bind
// matrix puts it relative to that node.
void AddSkins(const ImportedModel& model, const std::vector<NodeBuilder*>& made,
              const std::vector<Matrix3>& world);

// Position, rotation and scale keys of every node part a clip keys (model.clips laid out). `local`
// holds each node's host local transform; `rootTurn` (a rotation times the uniform `scale`, as
// the top-level nodes get it) is composed into the keys of top-level nodes. Throws
// SceneFileError naming `fileName` when a part would hold more keys than a controller may.
void AddAnimationKeys(const ImportedModel& model, const std::vector<NodeBuilder*>& made,
                      const std::vector<Matrix3>& local, const Matrix3& rootTurn, float scale,
                      const std::string& fileName);

}  // namespace sim::import
