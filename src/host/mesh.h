// The host's triangle mesh.
#pragma once

#include <cstdint>
#include <vector>

#include "host/point3.h"
#include "platform/win_types.h"

// Which parts of a mesh a copy takes; the exporter always copies everything.
using ChannelMask = DWORD;
constexpr ChannelMask ALL_CHANNELS = 0x800027FF;

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

class Mesh {
 public:
  int getNumVerts() const { return static_cast<int>(verts.size()); }
  int getNumFaces() const { return static_cast<int>(faces.size()); }
  void setNumVerts(int count) { verts.resize(count > 0 ? count : 0); }
  void setNumFaces(int count) { faces.resize(count > 0 ? count : 0); }
  Point3& getVert(int i) { return verts[i]; }
  const Point3& getVert(int i) const { return verts[i]; }
  void setVert(int i, const Point3& p) { verts[i] = p; }

  // Makes this mesh an independent copy of `source`.
  void DeepCopy(const Mesh* source, ChannelMask channels) {
    (void)channels;
    *this = *source;
  }

  std::vector<Point3> verts;
  std::vector<Face> faces;
};
