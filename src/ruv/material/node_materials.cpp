#include "ruv/material/node_materials.h"

#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

namespace {

bool NameTakenInNode(const XRenderableNode& node, const std::wstring& name) {
  for (const auto& entry : node.materials) {
    if (entry->type != kMaterialReference && static_cast<const XMaterial&>(*entry).name == name)
      return true;
  }
  return false;
}

}  // namespace

void AddNodeMaterial(XRenderableNode* node, SharedMaterials& shared,
                     std::unique_ptr<XMaterial> record) {
  if (!record) return;
  // A nameless shared material could not be referenced, and the list would count it without it.
  if (record->name.empty()) record->name = L"_";
  if (record->name == node->name) record->name = L"Mat_" + record->name;
  if (record->name == L"string") record->name = L"_" + record->name;

  if (gExportOptions.InlineMtl || record->type == kEffectMaterial) {
    while (NameTakenInNode(*node, record->name)) record->name.push_back(L'_');
    node->materials.push_back(std::move(record));
    return;
  }
  // One host material (under one name) is one shared record; another material whose name cleans
  // to a taken one gets a distinct name, as nodes do.
  std::uint32_t index = shared.Find(record->source, record->name);
  if (index == shared.size()) {
    record->sourceName = record->name;
    record->name = shared.FreeName(record->name);
    shared.Add(std::move(record));
  }
  node->materials.push_back(std::make_unique<XMaterialRef>(index));
}
