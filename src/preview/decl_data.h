// Per-vertex data in a DeclData object (a vertex declaration and the packed vertices): the
// normals, first texture coordinates and first colours a preview draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "preview/math3d.h"
#include "xof/object_values.h"

namespace preview {

struct DeclVertexData {
  std::vector<Vec3> normals;          // empty when the declaration has none
  std::vector<float> texcoords;       // u, v per vertex
  std::vector<std::uint32_t> colors;  // RGBA bytes, R lowest
};

// Four colour components in [0, 1] as RGBA bytes, R lowest; a component that is not a number
// counts as 0.
std::uint32_t PackColor(const float* rgba);

// `problem` says why nothing was taken (an unknown element type, data of the wrong size).
DeclVertexData ReadDeclData(const xof::ObjectValues& values, std::size_t vertexCount,
                            std::string& problem);

}  // namespace preview
