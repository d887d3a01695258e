// A small scene holding an object of every template the exporter writes, added through the save
// calls exactly as the record writers will add them (data blocks in their packed layout).
#pragma once

#include "xof/save_object.h"

namespace xof::test {

// Root frame with a skinned, textured quad "Body" (normals, two materials one of them shared and
// referenced, texture coordinates, vertex colours, declaration data, skin header, two bones of
// which one weighs nothing), an untextured triangle "Plain" with an unnamed default material, two
// bone frames, the tick rate, and one animation set with scale/rotation/position and matrix keys.
void AddExporterScene(SaveObject& save);

}  // namespace xof::test
