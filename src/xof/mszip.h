// The compressed encodings ("bzip", "tzip"): after the 16-byte header, a DWORD with the size of the
// whole uncompressed file (header included), then blocks of WORD uncompressed size, WORD compressed
// size counting the "CK" signature, "CK", and raw deflate data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xof/sink.h"

namespace xof {

// The largest uncompressed block: the MSZIP window. Readers of the format reject larger blocks.
inline constexpr std::size_t kMszipBlockSize = 32768;
inline constexpr int kMszipLevel = 1;

// Deflates what it is given into blocks on `out`. Each block is a complete deflate stream with no
// reference to earlier blocks, which every reader decodes whether or not it keeps history.
class MszipSink : public Sink {
 public:
  // Level 1: on mesh data it deflates several times faster than the zlib default and the output
  // is no larger, since each 32 KiB block is compressed on its own anyway.
  explicit MszipSink(Sink& out, int level = kMszipLevel);
  ~MszipSink() override;
  MszipSink(const MszipSink&) = delete;
  MszipSink& operator=(const MszipSink&) = delete;

  void Write(const void* data, std::size_t size) override;
  void Finish();  // writes the last, partial block

 private:
  void WriteBlock(const std::uint8_t* data, std::size_t size);
  Sink& out_;
  struct Stream;
  Stream* stream_;
  std::vector<std::uint8_t> pending_;
  std::vector<std::uint8_t> compressed_;
};

// Inflates the blocks of a compressed file (`file` is the whole file, header included) into the
// uncompressed body that follows the header. Each block may refer back into the previous block's
// output. Throws FormatError with offsets into `file`.
std::string InflateMszip(std::string_view file);

}  // namespace xof
