// The data blocks of the mesh records, built from a node's generated mesh.
#pragma once

#include <cstdint>
#include <vector>

#include "ruv/xfile/record_layout.h"

struct XMeshData;

// Mesh: the output vertices' positions and the faces' vertex triples.
RecordBuffer MeshRecord(const XMeshData& data);
// Where the faces of a Mesh block start.
const std::uint8_t* MeshRecordFaces(const RecordBuffer& meshRecord);
// MeshNormals: one normal per output vertex and the faces' triples again, copied from
// `meshFaces` (MeshRecordFaces of the same mesh) when given, else made from the faces.
RecordBuffer MeshNormalsRecord(const XMeshData& data, const std::uint8_t* meshFaces = nullptr);
// MeshMaterialList: the material count (at least 1) and one index per face.
RecordBuffer MeshMaterialListRecord(const XMeshData& data, std::uint32_t materialCount);
// Material of a node without materials: its wire colour, opaque, no shine.
RecordBuffer WireColorMaterialRecord(std::uint32_t wireColor);
// MeshTextureCoords of used channel `channelIndex`.
RecordBuffer TextureCoordsRecord(const XMeshData& data, std::size_t channelIndex);
// MeshVertexColors: index, colour and alpha per output vertex.
RecordBuffer VertexColorsRecord(const XMeshData& data);

// One element of a vertex declaration, with the Direct3D 9 declaration values.
struct VertexElement {
  std::uint32_t type, method, usage, usageIndex;
};

// The declaration the options ask for; empty when nothing per vertex is selected.
std::vector<VertexElement> DeclElements(const XMeshData& data, bool meshNode);
// DeclData: the elements and each output vertex's values in element order.
RecordBuffer DeclDataRecord(const XMeshData& data, const std::vector<VertexElement>& elements);
