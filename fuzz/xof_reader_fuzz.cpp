// Any bytes as a .x file: the reader returns a document or an error with an offset, nothing else.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "xof/file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  xof::ReadResult result =
      xof::ReadXFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!result.ok() && result.error.empty()) __builtin_trap();  // a failure must say what is wrong
  return 0;
}
