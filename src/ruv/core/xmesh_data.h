// A node's generated mesh: positions in export space, the output vertices (a host vertex split by
// the distinct attribute sets of the corners that use it), faces in output winding, tangent frames.
//
// The attributes live in flat arrays indexed by output vertex, not in a set per position: a
// million-face mesh then costs a few dozen bytes a vertex instead of several small allocations.
#pragma once

#include <cstdint>
#include <vector>

#include "host/point3.h"
#include "platform/heap_array.h"

// One corner's attributes while the vertices are generated, and a vertex's as AttributesOf gives
// them.
struct XVertexAttributes {
  Point3 normal;                  // unit, export space; zero when no option asks for normals
  std::vector<Point3> texCoords;  // (u, v, 0) per used map channel; empty without TexCoords
  Point3 color{1, 1, 1};
  float alpha = 1.0f;
  std::int32_t materialSlot = -1;  // -1 when the node has no materials
  std::int32_t vertexIndex = 0;    // the output vertex that carries this set
};

struct XPosition {
  Point3 position;                // export space
  std::int32_t firstVertex = -1;  // its output vertices in order of first appearance, chained
  std::int32_t lastVertex = -1;   // through XVertex::nextAtPosition
  std::int32_t vertexCount = 0;   // distinct corner sets at this position
};

struct XVertex {
  std::int32_t positionIndex = 0;
  std::int32_t nextAtPosition = -1;  // the next output vertex at the same position, or -1
  std::int32_t materialSlot = -1;
  Point3 normal;
};

struct XFace {
  std::int32_t vertex[3] = {0, 0, 0};  // output vertices, in output winding
  std::int32_t materialSlot = 0;
};

struct XMeshData {
  std::uint32_t weld = 1;
  std::uint32_t wireColor = 0;  // 0x00BBGGRR
  std::int32_t positionCount = 0;
  std::int32_t faceCount = 0;
  // Faces and vertices can become the blocks of the Mesh and MeshNormals records in place.
  platform::HeapArray<XFace> faces;
  std::vector<XPosition> positions;
  platform::HeapArray<XVertex> vertices;
  std::uint32_t hasVertexColors = 0;
  std::uint32_t hasVertexAlpha = 0;
  std::vector<std::int32_t> channelAliases;  // per used channel: the first equal channel's index
  std::vector<std::int32_t> mapChannels;     // used host map channels 1..99, ascending
  // Per output vertex; texCoords holds mapChannels.size() entries a vertex (none without
  // TexCoords). colors and alphas are filled only with vertex colours or alpha, tangents and
  // binormals only when tangent frames are asked for.
  std::size_t texCoordsPerVertex = 0;
  std::vector<Point3> texCoords;
  std::vector<Point3> colors;
  std::vector<float> alphas;
  std::vector<Point3> tangents;
  std::vector<Point3> binormals;

  const Point3& TexCoord(std::size_t vertex, std::size_t channelIndex) const {
    return texCoords[vertex * texCoordsPerVertex + channelIndex];
  }
  Point3 Color(std::size_t vertex) const {
    return colors.empty() ? Point3(1, 1, 1) : colors[vertex];
  }
  float Alpha(std::size_t vertex) const { return alphas.empty() ? 1.0f : alphas[vertex]; }
  Point3 Tangent(std::size_t vertex) const {
    return tangents.empty() ? Point3() : tangents[vertex];
  }
  Point3 Binormal(std::size_t vertex) const {
    return binormals.empty() ? Point3() : binormals[vertex];
  }

  // The attribute set of an output vertex, gathered from the arrays.
  XVertexAttributes AttributesOf(std::size_t vertex) const;
};

// Equal within the tolerance of attribute comparisons (the float nearest 1e-6) per component.
bool AttributesEqual(const Point3& a, const Point3& b);

// The stored vertex and the corner set carry the same attributes (floats within 1e-6).
bool SameAttributes(const XMeshData& data, std::size_t vertex, const XVertexAttributes& corner);

// The output vertex for a corner's attribute set at a position: an equal set already there when
// welding, else a new vertex. Sets the corner's vertexIndex to the count before the call.
std::int32_t FindOrAddVertex(XMeshData& data, std::int32_t positionIndex,
                             XVertexAttributes& corner);

// Appends a new output vertex carrying the corner's set at the end of its position's chain.
std::int32_t AddVertex(XMeshData& data, std::int32_t positionIndex,
                       const XVertexAttributes& corner);

// The index of a host map channel in mapChannels, or -1.
std::int32_t ChannelIndex(const XMeshData& data, std::int32_t channel);
