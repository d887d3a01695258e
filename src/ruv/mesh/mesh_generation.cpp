#include "ruv/mesh/mesh_generation.h"

// Vertex generation is not built yet: every geometry node is written as a plain frame.
bool GenMeshData(ExportContext*, XRenderableNode*) { return false; }
