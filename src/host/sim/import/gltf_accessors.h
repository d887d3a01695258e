// Reading glTF accessors with every index, offset and length checked against the file, so that a
// broken or hostile file ends in an error naming the accessor rather than a read out of bounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/sim/import/tiny_gltf_config.h"

namespace sim::import {

class GltfAccessors {
 public:
  GltfAccessors(const tinygltf::Model& model, std::string fileName)
      : model_(model), fileName_(std::move(fileName)) {}

  // The number of elements of accessor `index`; `place` names where the file refers to it.
  std::size_t Count(int index, const std::string& place) const;

  // Accessor `index` as floats, `components` per element (its type must have that many; 0 takes
  // any width), integer components normalised as glTF prescribes. Any value that is not a
  // finite number is an error.
  std::vector<float> Floats(int index, int components, const std::string& place) const;
  // Accessor `index` as vertex indices (a scalar of unsigned bytes, shorts or ints).
  std::vector<std::uint32_t> Indices(int index, const std::string& place) const;
  // The element width (number of components) of accessor `index`.
  int Components(int index, const std::string& place) const;

  // A checked view into a buffer: `bufferView` from `offset`, `length` bytes.
  const unsigned char* ViewBytes(int bufferView, std::size_t offset, std::size_t length,
                                 const std::string& place) const;

  [[noreturn]] void Fail(const std::string& place, const std::string& problem) const;

 private:
  const tinygltf::Accessor& AccessorAt(int index, const std::string& place) const;
  // Every component of every element (normalised), sparse substitutions applied, each turned
  // into a T by `convert` as it is read: a large accessor is never held as doubles.
  template <class T, class Convert>
  std::vector<T> Values(int index, const std::string& place, Convert convert) const;

  const tinygltf::Model& model_;
  std::string fileName_;
};

}  // namespace sim::import
