// The arrays of a `.x` Mesh record read in place, and the packed view they are read through; other
// records are read through xof::ObjectValues.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "xof/data_object.h"
#include "xof/object_values.h"

namespace sim::import {

// Four-byte values as they lie in a packed block (or in a vector of them), read without copying
// the array: blocks are packed without alignment, so each value is loaded by memcpy.
template <class T>
class XPackedArray {
 public:
  static_assert(sizeof(T) == 4);
  XPackedArray() = default;
  XPackedArray(const std::uint8_t* bytes, std::size_t count) : bytes_(bytes), count_(count) {}
  explicit XPackedArray(const std::vector<T>& values)
      : bytes_(reinterpret_cast<const std::uint8_t*>(values.data())), count_(values.size()) {}

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  T operator[](std::size_t i) const {
    T value;
    std::memcpy(&value, bytes_ + 4 * i, 4);
    return value;
  }
  // Values i to i + n - 1, into `out`.
  void Load(std::size_t i, std::size_t n, T* out) const { std::memcpy(out, bytes_ + 4 * i, 4 * n); }
  bool SameValues(const XPackedArray& other) const {
    return count_ == other.count_ &&
           (count_ == 0 || std::memcmp(bytes_, other.bytes_, 4 * count_) == 0);
  }

 private:
  const std::uint8_t* bytes_ = nullptr;
  std::size_t count_ = 0;
};

// The two arrays of a Mesh or MeshNormals record: points (x, y, z each) and faces (each its corner
// count, then its corners), as ObjectValues gives members 1 and 3. They lie in the record's block
// when its template has the standard layout, else in the vectors here; either way the record (and
// this value, which is not copied) must outlive them.
struct XMeshArrays {
  XMeshArrays() = default;
  XMeshArrays(XMeshArrays&&) = default;
  XMeshArrays& operator=(XMeshArrays&&) = default;
  XMeshArrays(const XMeshArrays&) = delete;
  XMeshArrays& operator=(const XMeshArrays&) = delete;

  XPackedArray<float> points;
  std::uint32_t faceCount = 0;
  XPackedArray<std::uint32_t> faces;
  std::vector<float> ownedPoints;
  std::vector<std::uint32_t> ownedFaces;
};

// Points the arrays straight into the packed block when the record's template has the standard
// layout (DWORD, array of 3 FLOATs, DWORD, array of DWORD count and DWORD corners): a mesh of a
// million faces is read without a walk through every face or a copy. False for another layout,
// which ObjectValues reads.
bool ReadStandardMeshArrays(const xof::DataObject& object, XMeshArrays& out);

// The coordinates of a MeshTextureCoords record of the standard layout (DWORD, array of 2 FLOATs),
// u and v of each vertex in turn, pointing into its block; false for another layout.
bool ReadStandardTexcoords(const xof::DataObject& object, XPackedArray<float>& out);

}  // namespace sim::import
