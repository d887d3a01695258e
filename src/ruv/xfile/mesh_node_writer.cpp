#include "ruv/xfile/mesh_node_writer.h"

#include "ruv/options/export_options.h"
#include "ruv/scene/xnode.h"
#include "ruv/xfile/frame_writer.h"

void WriteMeshNode(ExportContext* context, xof::SaveData* parent, XNode* node) {
  if (!node->processed) {
    if (gExportOptions.WorldSpace) WriteChildren(context, parent, node);
    return;
  }
  // Mesh records need generated mesh data, which no node has yet: a processed node without it
  // writes nothing, its descendants included.
}
