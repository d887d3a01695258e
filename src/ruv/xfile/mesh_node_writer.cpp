#include "ruv/xfile/mesh_node_writer.h"

#include <string>

#include "platform/text_encoding.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/progress.h"
#include "ruv/core/transforms.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/options/export_options.h"
#include "ruv/xfile/frame_record.h"
#include "ruv/xfile/material_writer.h"
#include "ruv/xfile/mesh_records.h"
#include "ruv/xfile/record_layout.h"
#include "ruv/xfile/skin_records.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"

namespace {

// Adds a record under `parent` and lets it go at once: the records below a mesh have no children.
// The save object takes the block over: a mesh's records are never held twice.
void AddLeaf(xof::SaveData* parent, const xof::Guid& templateId, const char* name,
             RecordBuffer data) {
  xof::SaveData* record = nullptr;
  if (xof::Succeeded(parent->AddDataObject(templateId, name, nullptr, data.Take(), &record))) {
    record->Release();
  }
}

// The frame of a mesh node, or null where world space writes the mesh without one.
xof::SaveData* MeshNodeFrame(ExportContext* context, xof::SaveData* parent, XRenderableNode& node) {
  const ExportOptions& o = gExportOptions;
  if (!o.WorldSpace) {
    MatrixRecord matrix = MatrixLayout(LocalFrameMatrix(node));
    return AddFrameRecord(context, parent ? parent : context->rootFrameData, node, matrix.data());
  }
  if (!IsMeshNode(node)) {
    MatrixRecord matrix = MatrixLayout(ConvertTransform(node.nodeTM));
    return AddFrameRecord(context, context->rootFrameData, node, matrix.data());
  }
  // Its vertices are already in world space; animation keys move it relative to the bind pose.
  if (o.Animation && !node.hasSkin) {
    MatrixRecord identity = MatrixLayout(Matrix3());
    return AddFrameRecord(context, context->rootFrameData, node, identity.data());
  }
  return nullptr;
}

void WriteMaterialList(ExportContext* context, xof::SaveData* mesh, XRenderableNode& node) {
  const XMeshData& data = *node.meshData;
  auto count = static_cast<std::uint32_t>(node.materials.size());
  xof::SaveData* list = nullptr;
  RecordBuffer block = MeshMaterialListRecord(data, count > 0 ? count : 1);
  if (xof::Failed(
          mesh->AddDataObject(xof::tid::MeshMaterialList, nullptr, nullptr, block.Take(), &list)))
    return;
  if (count == 0) AddLeaf(list, xof::tid::Material, "", WireColorMaterialRecord(data.wireColor));
  for (auto& entry : node.materials) WriteMaterialRecord(context, list, entry.get(), &node);
  list->Release();
}

void WriteVertexRecords(xof::SaveData* mesh, XRenderableNode& node) {
  const ExportOptions& o = gExportOptions;
  const XMeshData& data = *node.meshData;
  bool meshNode = IsMeshNode(node);
  if (o.DeclData) {
    std::vector<VertexElement> elements = DeclElements(data, meshNode);
    if (!elements.empty())
      AddLeaf(mesh, xof::tid::DeclData, nullptr, DeclDataRecord(data, elements));
    return;
  }
  if (o.TexCoords) {
    for (std::size_t j = 0; j < data.mapChannels.size(); ++j) {
      if (data.channelAliases[j] != static_cast<std::int32_t>(j)) continue;
      std::string name = "c" + std::to_string(data.mapChannels[j]);
      AddLeaf(mesh, xof::tid::MeshTextureCoords, name.c_str(), TextureCoordsRecord(data, j));
    }
  }
  if (o.VertexColor && meshNode && (data.hasVertexColors || data.hasVertexAlpha)) {
    AddLeaf(mesh, xof::tid::MeshVertexColors, nullptr, VertexColorsRecord(data));
  }
}

// The skin mesh header and one SkinWeights per bone, in the skin's bone order; a bone that weighs
// no output vertex still gets its record, with no weights.
void WriteSkinRecords(ExportContext* context, xof::SaveData* mesh, XRenderableNode& node) {
  const XSkinInfo& skin = *node.skin;
  AddLeaf(mesh, xof::tid::XSkinMeshHeader, nullptr, SkinMeshHeaderRecord(skin));
  for (const auto& [bone, info] : skin.bones) {
    auto exported = context->nodeMap.find(bone);
    const XNode* boneNode = exported != context->nodeMap.end() ? exported->second : nullptr;
    AddLeaf(mesh, xof::tid::SkinWeights, nullptr,
            SkinWeightsRecord(*node.meshData, info, boneNode));
    ProgressStep(context);
  }
}

void WriteMeshRecords(ExportContext* context, xof::SaveData* where, XRenderableNode& node) {
  const ExportOptions& o = gExportOptions;
  const XMeshData& data = *node.meshData;
  std::string name = platform::WideToAnsi(node.name);
  xof::SaveData* mesh = nullptr;
  HRESULT added;
  {
    // Gone once the save object has its copy, before the next record is built.
    RecordBuffer block = MeshRecord(data);
    added = where ? where->AddDataObject(xof::tid::Mesh, name.c_str(), nullptr, block.Take(), &mesh)
                  : context->saveObject->AddDataObject(xof::tid::Mesh, name.c_str(), nullptr,
                                                       block.Take(), &mesh);
  }
  ProgressStep(context);
  if (xof::Failed(added)) return;
  if (o.Normal && !o.DeclData)
    AddLeaf(mesh, xof::tid::MeshNormals, nullptr, MeshNormalsRecord(data));
  if (o.Mtl) {
    WriteMaterialList(context, mesh, node);
    ProgressStep(context);
  }
  WriteVertexRecords(mesh, node);
  ProgressStep(context);
  if (node.hasSkin && node.skin && IsMeshNode(node)) WriteSkinRecords(context, mesh, node);
  mesh->Release();
}

}  // namespace

xof::SaveData* WriteMeshNodeRecords(ExportContext* context, xof::SaveData* parent,
                                    XRenderableNode& node) {
  xof::SaveData* frame = MeshNodeFrame(context, parent, node);
  WriteMeshRecords(context, frame ? frame : context->rootFrameData, node);
  return frame;
}
