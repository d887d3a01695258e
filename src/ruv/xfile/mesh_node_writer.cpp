#include "ruv/xfile/mesh_node_writer.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/text_encoding.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/progress.h"
#include "ruv/core/transforms.h"
#include "ruv/core/work_threads.h"
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

void WriteMaterialList(ExportContext* context, xof::SaveData* mesh, XRenderableNode& node,
                       RecordBuffer block) {
  const XMeshData& data = *node.meshData;
  auto count = static_cast<std::uint32_t>(node.materials.size());
  xof::SaveData* list = nullptr;
  if (xof::Failed(
          mesh->AddDataObject(xof::tid::MeshMaterialList, nullptr, nullptr, block.Take(), &list)))
    return;
  if (count == 0) AddLeaf(list, xof::tid::Material, "", WireColorMaterialRecord(data.wireColor));
  for (auto& entry : node.materials) WriteMaterialRecord(context, list, entry.get(), &node);
  list->Release();
}

// The per-vertex records after the normals, in file order.
struct VertexRecord {
  const xof::Guid* templateId;
  std::string name;  // empty: none
  RecordBuffer block;
};

std::vector<VertexRecord> VertexRecords(const XRenderableNode& node) {
  const ExportOptions& o = gExportOptions;
  const XMeshData& data = *node.meshData;
  bool meshNode = IsMeshNode(node);
  std::vector<VertexRecord> records;
  if (o.DeclData) {
    std::vector<VertexElement> elements = DeclElements(data, meshNode);
    if (!elements.empty())
      records.push_back({&xof::tid::DeclData, {}, DeclDataRecord(data, elements)});
    return records;
  }
  if (o.TexCoords) {
    for (std::size_t j = 0; j < data.mapChannels.size(); ++j) {
      if (data.channelAliases[j] != static_cast<std::int32_t>(j)) continue;
      records.push_back({&xof::tid::MeshTextureCoords, "c" + std::to_string(data.mapChannels[j]),
                         TextureCoordsRecord(data, j)});
    }
  }
  if (o.VertexColor && meshNode && (data.hasVertexColors || data.hasVertexAlpha)) {
    records.push_back({&xof::tid::MeshVertexColors, {}, VertexColorsRecord(data)});
  }
  return records;
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

// Gives an array's memory back.
template <class Array>
void Release(Array& values) {
  values = Array{};
}

void WriteMeshRecords(ExportContext* context, xof::SaveData* where, XRenderableNode& node) {
  const ExportOptions& o = gExportOptions;
  XMeshData& data = *node.meshData;
  const bool skinned = node.hasSkin && node.skin && IsMeshNode(node);
  // The records are the last readers of the generated arrays: each array goes as soon as the
  // blocks made from it are, so that a large mesh is not held whole beside all of its records.
  // The skin's weights still need the vertices.
  const bool release = node.meshData.use_count() == 1;
  std::string name = platform::WideToAnsi(node.name);

  const bool threaded = data.faces.size() >= kThreadedWork;
  // The small blocks first, on two threads. Every block is allocated on this thread, and the
  // second only fills it: memory a thread allocates stays in that thread's heap once freed, where
  // a host that exports again would hold it twice.
  RecordBuffer materialBlock;
  std::vector<VertexRecord> vertexRecords;
  {
    if (o.Mtl) ReserveMaterialList(materialBlock, data);
    SideJob materialJob(
        [&] {
          if (!o.Mtl) return;
          auto count = static_cast<std::uint32_t>(node.materials.size());
          materialBlock =
              MeshMaterialListRecord(data, count > 0 ? count : 1, std::move(materialBlock));
        },
        threaded);
    vertexRecords = VertexRecords(node);
    materialJob.Wait();
  }
  if (release) {
    Release(data.texCoords);
    Release(data.colors);
    Release(data.alphas);
    Release(data.tangents);
    Release(data.binormals);
  }

  // Once nothing else reads them, the faces become the Mesh block and the vertices the MeshNormals
  // block where they lie, so that neither array is held beside the block made from it.
  RecordBuffer block = release ? MeshRecordInPlace(data) : MeshRecord(data);
  if (release) {
    Release(data.positions);
    Release(data.faces);
  }
  // MeshNormals repeats the mesh's faces: they are copied from its block while this thread hands
  // that block to the save object, which checks it against its template.
  const bool normals = o.Normal && !o.DeclData;
  const bool normalsInPlace = normals && release && !skinned;
  const std::size_t vertexCount = data.vertices.size();
  RecordBuffer normalsBlock;
  const std::uint8_t* faceBytes = MeshRecordFaces(block);
  if (normalsInPlace) {
    normalsBlock = TakeVerticesForNormals(data, faceBytes);
  } else if (normals) {
    ReserveMeshNormals(normalsBlock, data, faceBytes);
  }
  SideJob normalsJob(
      [&] {
        if (normalsInPlace) {
          FillNormalsInPlace(normalsBlock, vertexCount, faceBytes);
        } else if (normals) {
          normalsBlock = MeshNormalsRecord(data, faceBytes, std::move(normalsBlock));
        }
      },
      threaded);
  xof::SaveData* mesh = nullptr;
  HRESULT added =
      where ? where->AddDataObject(xof::tid::Mesh, name.c_str(), nullptr, block.Take(), &mesh)
            : context->saveObject->AddDataObject(xof::tid::Mesh, name.c_str(), nullptr,
                                                 block.Take(), &mesh);
  normalsJob.Wait();
  if (normalsInPlace) normalsBlock.Trim();
  if (release && !skinned) Release(data.vertices);
  ProgressStep(context);
  if (xof::Failed(added)) return;
  if (normals) AddLeaf(mesh, xof::tid::MeshNormals, nullptr, std::move(normalsBlock));
  if (o.Mtl) {
    WriteMaterialList(context, mesh, node, std::move(materialBlock));
    ProgressStep(context);
  }
  for (VertexRecord& record : vertexRecords) {
    AddLeaf(mesh, *record.templateId, record.name.empty() ? nullptr : record.name.c_str(),
            std::move(record.block));
  }
  ProgressStep(context);
  if (skinned) WriteSkinRecords(context, mesh, node);
  mesh->Release();
}

}  // namespace

xof::SaveData* WriteMeshNodeRecords(ExportContext* context, xof::SaveData* parent,
                                    XRenderableNode& node) {
  xof::SaveData* frame = MeshNodeFrame(context, parent, node);
  WriteMeshRecords(context, frame ? frame : context->rootFrameData, node);
  return frame;
}
