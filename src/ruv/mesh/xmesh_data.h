// A node's generated mesh: positions in export space, the output vertices (a host vertex split by
// the distinct attribute sets of the corners that use it), faces in output winding, tangent frames.
#pragma once

#include <cstdint>
#include <vector>

#include "host/point3.h"

struct XVertexAttributes {
  Point3 normal;                  // unit, export space; zero when no option asks for normals
  std::vector<Point3> texCoords;  // (u, v, 0) per used map channel; empty without TexCoords
  Point3 color{1, 1, 1};
  float alpha = 1.0f;
  std::int32_t materialSlot = -1;  // -1 when the node has no materials
  std::int32_t vertexIndex = 0;    // the output vertex that carries this set
};

struct XPosition {
  Point3 position;                            // export space
  std::vector<XVertexAttributes> attributes;  // distinct corner sets, in order of first appearance
};

struct XVertex {
  std::int32_t positionIndex = 0;
  std::int32_t attributeIndex = 0;
  Point3 tangent;
  Point3 binormal;
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
  std::vector<XFace> faces;
  std::vector<XPosition> positions;
  std::vector<XVertex> vertices;
  std::uint32_t hasVertexColors = 0;
  std::uint32_t hasVertexAlpha = 0;
  std::vector<std::int32_t> channelAliases;  // per used channel: the first equal channel's index
  std::vector<std::int32_t> mapChannels;     // used host map channels 1..99, ascending

  // The attribute set of an output vertex.
  const XVertexAttributes& AttributesOf(const XVertex& vertex) const {
    return positions[vertex.positionIndex].attributes[vertex.attributeIndex];
  }
};

// Equal within the tolerance of attribute comparisons (the float nearest 1e-6) per component.
bool AttributesEqual(const Point3& a, const Point3& b);

// The stored set and the corner set carry the same attributes (floats within 1e-6).
bool SameAttributes(const XVertexAttributes& stored, const XVertexAttributes& corner);

// The output vertex for a corner's attribute set at a position: an equal set already there when
// welding, else a new vertex. Sets the corner's vertexIndex to the count before the call.
std::int32_t FindOrAddVertex(XMeshData& data, std::int32_t positionIndex,
                             XVertexAttributes& corner);

// The index of a host map channel in mapChannels, or -1.
std::int32_t ChannelIndex(const XMeshData& data, std::int32_t channel);
