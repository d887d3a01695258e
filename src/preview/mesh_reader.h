// A Mesh object and its children (normals, texture coordinates, vertex colours, material list,
// skin weights) turned into a PreviewMesh.
#pragma once

#include "preview/mesh_read_context.h"
#include "preview/preview_scene.h"
#include "xof/data_object.h"

namespace preview {

PreviewMesh ReadMesh(const xof::DataObject& mesh, int frame, const MeshReadContext& context);

}  // namespace preview
