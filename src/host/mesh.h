// The host's triangle mesh: vertices and faces, map channels (texture coordinates, vertex colours
// and alpha), specified normals and the render vertices with smoothing-group normals.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "host/point3.h"
#include "platform/win_types.h"

// Which parts of a mesh a copy takes; the exporter always copies everything.
using ChannelMask = DWORD;
constexpr ChannelMask ALL_CHANNELS = 0x800027FF;

// Map channels: 1..99 texture coordinates, 0 vertex colours, -1 illumination, -2 vertex alpha.
constexpr int MAP_ALPHA = -2;
constexpr int MAP_SHADING = -1;
constexpr int NUM_HIDDENMAPS = 2;
constexpr int MAX_MESHMAPS = 100;

// Render-vertex flags: the number of normals in the low byte, and a single specified normal.
constexpr DWORD NORCT_MASK = 0x000000FF;
constexpr DWORD SPECIFIED_NORMAL = 0x00004000;

using UVVert = Point3;
using VertColor = Point3;

// A triangle: three vertex indices, its smoothing groups and, in the high 16 bits of `flags`, its
// material id.
class Face {
 public:
  DWORD v[3] = {0, 0, 0};
  DWORD smGroup = 0;
  DWORD flags = 0;

  DWORD getVert(int i) const { return v[i]; }
  void setVerts(DWORD a, DWORD b, DWORD c) {
    v[0] = a;
    v[1] = b;
    v[2] = c;
  }
  WORD getMatID() const { return static_cast<WORD>(flags >> 16); }
  void setMatID(WORD id) { flags = (flags & 0xFFFF) | (static_cast<DWORD>(id) << 16); }
  DWORD getSmGroup() const { return smGroup; }
  void setSmGroup(DWORD groups) { smGroup = groups; }
};

// A face of a map channel: three indices into the channel's own vertices.
class TVFace {
 public:
  DWORD t[3] = {0, 0, 0};
  DWORD getTVert(int i) const { return t[i]; }
  void setTVerts(DWORD a, DWORD b, DWORD c) {
    t[0] = a;
    t[1] = b;
    t[2] = c;
  }
};

// One map channel. A supported channel has one map face per mesh face.
struct MeshMap {
  bool supported = false;
  std::vector<UVVert> tv;
  std::vector<TVFace> tf;
};

// A normal of a render vertex, for the faces whose smoothing groups share a bit with `smGroup`.
struct RNormal {
  Point3 normal;
  DWORD smGroup = 0;
  const Point3& getNormal() const { return normal; }
  DWORD getSmGroup() const { return smGroup; }
};

// The normals of one vertex as rendering sees them: one per group of faces that smooth together.
struct RVertex {
  DWORD rFlags = 0;
  RNormal rn;                // the normal when there is exactly one (or a specified one)
  std::vector<RNormal> ern;  // the normals when there are two or more
};

class Mesh;

// Normals given per face corner, as the host's edit-normals tools keep them. A corner whose normal
// is not given takes the smoothing-group normal when the normals are built.
class MeshNormalSpec {
 public:
  struct NormalFace {
    std::array<int, 3> normalId = {-1, -1, -1};  // -1: not given
  };

  int GetNumFaces() const { return static_cast<int>(faces_.size()); }
  int GetNumNormals() const { return static_cast<int>(normals_.size()); }
  // The normal at corner `corner` of face `face`; (0, 0, 0) when it is out of range or not built.
  Point3 GetNormal(int face, int corner) const;
  // The normal index at a corner; -1 when it is out of range or not given.
  int GetNormalIndex(int face, int corner) const;

  void SetNumFaces(int count) { faces_.resize(count > 0 ? count : 0); }
  void SetNumNormals(int count) { normals_.resize(count > 0 ? count : 0); }
  Point3& Normal(int normal) { return normals_[normal]; }
  int AddNormal(const Point3& normal) {
    normals_.push_back(normal);
    return GetNumNormals() - 1;
  }
  void SetNormalId(int face, int corner, int normalId) { faces_[face].normalId[corner] = normalId; }

  // Gives every corner without a normal the smoothing-group normal of the mesh it belongs to.
  void BuildNormals();
  // Builds the normals when any corner still has none.
  void CheckNormals();

 private:
  friend class Mesh;
  Mesh* parent_ = nullptr;
  std::vector<NormalFace> faces_;
  std::vector<Point3> normals_;
};

class Mesh {
 public:
  Mesh() : maps_(MAX_MESHMAPS + NUM_HIDDENMAPS) {}

  int getNumVerts() const { return static_cast<int>(verts.size()); }
  int getNumFaces() const { return static_cast<int>(faces.size()); }
  void setNumVerts(int count) { verts.resize(count > 0 ? count : 0); }
  void setNumFaces(int count) { faces.resize(count > 0 ? count : 0); }
  Point3& getVert(int i) { return verts[i]; }
  const Point3& getVert(int i) const { return verts[i]; }
  void setVert(int i, const Point3& p) { verts[i] = p; }

  // Map channels, -2 .. 99.
  bool mapSupport(int channel) const;
  void setMapSupport(int channel, bool support = true);
  int getNumMapVerts(int channel) const;
  // The channel's face count: the mesh's face count unless the faces changed after the channel.
  int getNumMapFaces(int channel) const;
  void setNumMapVerts(int channel, int count);
  // The channel's vertices and faces; null for a channel the mesh does not support.
  UVVert* mapVerts(int channel);
  TVFace* mapFaces(int channel);

  // Vertex colours are map channel 0.
  int getNumVertCol() const { return getNumMapVerts(0); }
  VertColor* vertColArray() { return mapVerts(0); }
  TVFace* vcFaceArray() { return mapFaces(0); }

  // The specified normals, or null when the mesh has none.
  MeshNormalSpec* GetSpecifiedNormals();
  // Gives the mesh specified normals (one normal face per face, no normal given yet).
  MeshNormalSpec& SpecifyNormals();

  // Face normals and render vertices from the smoothing groups: each vertex gets one normal per
  // set of its faces that share smoothing groups (faces of group 0 keep their face normal).
  void buildNormals();
  // Builds the normals unless they are built already; `useRenderNormals` is accepted for the
  // host's signature.
  void checkNormals(BOOL useRenderNormals);
  // The render vertex of `vertex`; null before the normals are built or out of range.
  RVertex* getRVertPtr(int vertex);
  // The unit normal of `face`; (0, 0, 0) before the normals are built or out of range.
  Point3 getFaceNormal(int face) const;
  // Marks the normals as stale (after editing vertices or faces).
  void InvalidateNormals() { normalsBuilt_ = false; }
  // Whether the normals are built for the mesh's current vertex and face counts.
  bool NormalsBuilt() const {
    return normalsBuilt_ && rVerts_.size() == verts.size() && faceNormals_.size() == faces.size();
  }
  // Gives the built normals' memory back; they are built again when next asked for.
  void FreeNormals();

  // Makes this mesh an independent copy of `source`, every channel included.
  void DeepCopy(const Mesh* source, ChannelMask channels);

  std::vector<Point3> verts;
  std::vector<Face> faces;

 private:
  MeshMap& Map(int channel) { return maps_[channel + NUM_HIDDENMAPS]; }
  const MeshMap& Map(int channel) const { return maps_[channel + NUM_HIDDENMAPS]; }
  static bool ValidChannel(int channel) {
    return channel >= -NUM_HIDDENMAPS && channel < MAX_MESHMAPS;
  }

  std::vector<MeshMap> maps_;
  std::optional<MeshNormalSpec> specifiedNormals_;
  std::vector<RVertex> rVerts_;
  std::vector<Point3> faceNormals_;
  bool normalsBuilt_ = false;
};
