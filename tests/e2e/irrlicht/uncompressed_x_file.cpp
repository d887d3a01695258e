// Apart from the poser: our reader's headers are C++20, Irrlicht's C++17 at most.
#include <fstream>
#include <iterator>

#include "irrlicht_poser.h"
#include "xof/file_header.h"
#include "xof/mszip.h"

namespace e2e {

std::string UncompressedXFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  xof::FileHeader header = xof::ParseFileHeader(bytes);
  if (!header.compressed) return bytes;
  std::string readable = bytes.substr(0, xof::kFileHeaderSize);
  readable.replace(8, 4, header.binary ? "bin " : "txt ");
  return readable + xof::InflateMszip(bytes);
}

}  // namespace e2e
