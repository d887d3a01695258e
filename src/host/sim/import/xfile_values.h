// The values of one `.x` data object, gathered per top-level member of its template: every number
// inside the member (nested templates and arrays flattened in order) and its strings. Members are
// taken by position, so a file that defines a standard template again with other member names
// still reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xof/data_object.h"

namespace sim::import {

struct XMemberValues {
  std::vector<float> floats;
  std::vector<std::uint32_t> integers;
  std::vector<std::string> strings;
};

class XObjectValues {
 public:
  // Throws xof::FormatError when the block does not fit its template (the reader checked it, so
  // only a hand-made document can fail).
  explicit XObjectValues(const xof::DataObject& object);
  // An empty set for a member the template does not have.
  const XMemberValues& Member(std::size_t index) const;
  // The first integer of a member, or `fallback`.
  std::uint32_t Integer(std::size_t index, std::uint32_t fallback = 0) const;
  // The first string of a member, or empty.
  std::string String(std::size_t index) const;

 private:
  std::vector<XMemberValues> members_;
};

// The two arrays of a Mesh or MeshNormals record: points (x, y, z each) and faces (each its corner
// count, then its corners), as XObjectValues gives members 1 and 3.
struct XMeshArrays {
  std::vector<float> points;
  std::uint32_t faceCount = 0;
  std::vector<std::uint32_t> faces;
};

// Copies the arrays straight out of the packed block when the record's template has the standard
// layout (DWORD, array of 3 FLOATs, DWORD, array of DWORD count and DWORD corners): a mesh of a
// million faces is two copies instead of a walk through every face. False for another layout,
// which XObjectValues reads.
bool ReadStandardMeshArrays(const xof::DataObject& object, XMeshArrays& out);

}  // namespace sim::import
