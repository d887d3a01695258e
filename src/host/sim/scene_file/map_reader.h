// Maps in a scene file: the map objects that materials hold (see docs/scene-format.md, Maps), and
// the colours both use.
#pragma once

#include <filesystem>

#include "host/color.h"
#include "host/sim/material_builder.h"
#include "host/sim/scene_file/json_place.h"

namespace sim {

// A map object; sub-maps nest inside it. File paths resolve as ResolveTexturePath says. A map in a
// standard material's slot may also hold the slot's "enabled", which the caller reads.
MapBuilder ReadMap(const JsonPlace& map, const std::filesystem::path& baseFolder,
                   bool inStandardSlot = false);

// [r, g, b]
Color ReadColor(const JsonPlace& color);
// [r, g, b] or [r, g, b, a]; alpha 1 when not given.
AColor ReadAColor(const JsonPlace& color);

}  // namespace sim
