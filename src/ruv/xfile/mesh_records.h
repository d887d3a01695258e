// The data blocks of the mesh records, built from a node's generated mesh.
#pragma once

#include <cstdint>
#include <vector>

#include "ruv/xfile/record_layout.h"

struct XMeshData;

// Mesh: the output vertices' positions and the faces' vertex triples.
RecordBuffer MeshRecord(const XMeshData& data);
// The same block made in the memory of `data.faces`, which it takes: each face becomes its row
// where it lies and the points go in front, so that the faces and the block are never both held.
RecordBuffer MeshRecordInPlace(XMeshData& data);
// Where the faces of a Mesh block start.
const std::uint8_t* MeshRecordFaces(const RecordBuffer& meshRecord);
// MeshNormals: one normal per output vertex and the faces' triples again, copied from
// `meshFaces` (MeshRecordFaces of the same mesh) when given, else made from the faces. Built in
// `out`, which a caller may have reserved on its own thread (see ReserveMeshNormals).
RecordBuffer MeshNormalsRecord(const XMeshData& data, const std::uint8_t* meshFaces = nullptr,
                               RecordBuffer out = {});
// Room for the MeshNormals block of `data`, whose faces are `meshFaces` (a Mesh block's).
void ReserveMeshNormals(RecordBuffer& out, const XMeshData& data, const std::uint8_t* meshFaces);
// MeshNormals made in the memory of `data.vertices`, which it takes (for a mesh whose vertices
// nothing reads after). TakeVerticesForNormals sizes the block on the calling thread, where every
// large block is allocated; FillNormalsInPlace fills it, on any thread, and the caller then trims
// it (RecordBuffer::Trim) on its own.
RecordBuffer TakeVerticesForNormals(XMeshData& data, const std::uint8_t* meshFaces);
void FillNormalsInPlace(RecordBuffer& block, std::size_t vertexCount,
                        const std::uint8_t* meshFaces);
// MeshMaterialList: the material count (at least 1) and one index per face.
// Built in `out` as MeshNormalsRecord is; ReserveMaterialList makes its room.
RecordBuffer MeshMaterialListRecord(const XMeshData& data, std::uint32_t materialCount,
                                    RecordBuffer out = {});
void ReserveMaterialList(RecordBuffer& out, const XMeshData& data);
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
