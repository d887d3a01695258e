#include "ruv/scene/node_selection.h"

#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

namespace {

bool SkippedByOptions(const XNode& node) {
  const ExportOptions& o = gExportOptions;
  bool boneLike = node.isBone || IsBoneKind(node.kind);
  if (!o.Meshs && node.hasGeometry && !boneLike) return true;
  if (!o.Dummy && node.kind == KindDummy) return true;
  if (!o.Bones && boneLike) return true;
  bool kept = o.OTHER || node.hasGeometry || boneLike || node.kind == KindDummy;
  return !kept;
}

}  // namespace

bool SelectionTest(const ExportContext& context, const XNode& node) {
  INode* host = node.hostNode;
  bool visible = context.exportSelected ? host->Selected() != 0 : host->IsNodeHidden() == 0;
  return visible && !SkippedByOptions(node);
}

void PropagateSelection(const ExportContext& context, XNode* node, bool force) {
  for (XNode* current = node; current && current->hostNode; current = current->parent) {
    if (force) {
      current->exported = 1;
    } else if (!current->exported) {
      current->exported = SelectionTest(context, *current);
    }
    if (current->exported && current->hasGeometry) {
      bool boneLike = current->isBone || IsBoneKind(current->kind);
      current->hasGeometry = boneLike ? gExportOptions.BoneMesh != 0 : gExportOptions.Meshs != 0;
    }
    if (gExportOptions.WorldSpace || !current->exported) return;
    force = true;
  }
}
