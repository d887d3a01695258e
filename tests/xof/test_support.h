// Helpers shared by the .x library tests: sample files, record builders, save-and-read round trips.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "xof/file_reader.h"
#include "xof/save_object.h"

namespace xof::test {

std::string SamplePath(std::string_view name);
std::string ReadSample(std::string_view name);

// Packs values in the layout the save calls take: integers and floats little-endian, strings
// inline with their zero byte.
class Block {
 public:
  Block& Dword(std::uint32_t v) { return Raw(&v, 4); }
  Block& Word(std::uint16_t v) { return Raw(&v, 2); }
  Block& Float(float v) { return Raw(&v, 4); }
  Block& Floats(std::initializer_list<float> values) {
    for (float v : values) Float(v);
    return *this;
  }
  Block& String(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
    return *this;
  }
  Block& Raw(const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
    return *this;
  }
  const void* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// A file object with the three template sets registered, as the exporter sets it up.
XFile* NewRegisteredFile();

// Six printed decimals: half a unit of the last digit.
inline constexpr double kTextTolerance = 5.0e-7;

// Same templates, names, references and member values; floats may differ by `tolerance` plus
// their own rounding.
void ExpectSameObjects(const DataObjectList& expected, const DataObjectList& actual,
                       double tolerance);

// Reads `bytes`, failing the test with the reader's message when it cannot.
std::unique_ptr<XFileDocument> MustRead(std::string_view bytes);

}  // namespace xof::test
