// The compressed encodings ("bzip", "tzip"): after the 16-byte header, a DWORD with the size of the
// whole uncompressed file (header included), then blocks of WORD uncompressed size, WORD compressed
// size counting the "CK" signature, "CK", and raw deflate data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xof/mszip_deflater.h"
#include "xof/sink.h"

namespace xof {

// The largest uncompressed block: the MSZIP window. Readers of the format reject larger blocks.
inline constexpr std::size_t kMszipBlockSize = 32768;
inline constexpr int kMszipLevel = 1;

// Deflates what it is given into blocks on `out`. Each block is a complete deflate stream with no
// reference to earlier blocks, which every reader decodes whether or not it keeps history, and
// which lets the blocks of a run be deflated on every core (MszipDeflater) while the caller fills
// the next run. The threads are joined by Finish and by the destructor.
class MszipSink : public Sink {
 public:
  // Level 1: on mesh data it deflates several times faster than the default levels and the output
  // is no larger, since each 32 KiB block is compressed on its own anyway. `threads` 0: one per
  // core.
  explicit MszipSink(Sink& out, int level = kMszipLevel, unsigned threads = 0);
  ~MszipSink() override;
  MszipSink(const MszipSink&) = delete;
  MszipSink& operator=(const MszipSink&) = delete;

  void Write(const void* data, std::size_t size) override;
  void Finish();  // writes the last, partial block

 private:
  void StartRun();
  void WriteRun();  // waits for the run in flight and writes its blocks
  Sink& out_;
  std::unique_ptr<MszipDeflater> deflater_;
  std::size_t runSize_;
  std::vector<std::uint8_t> filling_;
  std::vector<std::uint8_t> inFlight_;
  bool runInFlight_ = false;
};

// Inflates the blocks of a compressed file (`file` is the whole file, header included) into the
// uncompressed body that follows the header. Each block may refer back into the previous block's
// output. Throws FormatError with offsets into `file`. With `withHeader`, the result starts with
// the file's 16 header bytes (the whole uncompressed file but for its format name), so that a
// reader need not copy the body behind them.
std::string InflateMszip(std::string_view file, bool withHeader = false);

}  // namespace xof
