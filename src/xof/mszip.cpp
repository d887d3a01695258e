#include "xof/mszip.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "xof/file_header.h"
#include "xof/tokens.h"

namespace xof {

// Runs of 32 blocks a thread: long enough that starting the threads costs nothing measurable,
// short enough that the two runs held at once stay small (2 MiB each on two cores).
constexpr std::size_t kBlocksPerThread = 32;

MszipSink::MszipSink(Sink& out, int level, unsigned threads)
    : out_(out), deflater_(std::make_unique<MszipDeflater>(level, kMszipBlockSize, threads)) {
  runSize_ = kMszipBlockSize * kBlocksPerThread * deflater_->threads();
  filling_.reserve(runSize_);
}

// The deflater's threads may still read the run in flight (a write failed mid-save): they are
// joined before the run's bytes go.
MszipSink::~MszipSink() { deflater_.reset(); }

void MszipSink::Write(const void* data, std::size_t size) {
  auto bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    std::size_t take = std::min(size, runSize_ - filling_.size());
    filling_.insert(filling_.end(), bytes, bytes + take);
    bytes += take;
    size -= take;
    if (filling_.size() == runSize_) StartRun();
  }
}

void MszipSink::Finish() {
  if (!filling_.empty()) StartRun();
  WriteRun();
}

void MszipSink::StartRun() {
  WriteRun();
  std::swap(filling_, inFlight_);
  filling_.clear();
  filling_.reserve(runSize_);
  deflater_->Start(inFlight_);
  runInFlight_ = true;
}

void MszipSink::WriteRun() {
  if (!runInFlight_) return;
  runInFlight_ = false;
  deflater_->Wait();
  for (std::size_t i = 0; i < deflater_->blockCount(); ++i) {
    std::span<const std::uint8_t> block = deflater_->Block(i);
    out_.Write(block.data(), block.size());
  }
}

std::string InflateMszip(std::string_view file, bool withHeader) {
  std::size_t pos = kFileHeaderSize;
  if (file.size() < pos + 4) throw FormatError(pos, "compressed file ends before its size field");
  auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(file[at]); };
  std::uint32_t total = byte(pos) | byte(pos + 1) << 8 | byte(pos + 2) << 16 |
                        static_cast<std::uint32_t>(byte(pos + 3)) << 24;
  pos += 4;
  if (total < kFileHeaderSize)
    throw FormatError(kFileHeaderSize, "declared size is smaller than the header");
  std::size_t expected = total - kFileHeaderSize;

  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) throw FormatError(pos, "cannot start the inflater");
  struct Closer {
    z_stream* z;
    ~Closer() { inflateEnd(z); }
  } closer{&z};

  // The block headers are walked first: the declared size must be what they add up to, and no
  // block unpacks to more than the window, so nothing is allocated for a size the blocks cannot
  // hold (a file of a few bytes cannot claim gigabytes).
  std::size_t held = 0;
  for (std::size_t at = pos; at < file.size();) {
    if (file.size() - at < 6) throw FormatError(at, "truncated block header");
    std::size_t plain = byte(at) | byte(at + 1) << 8;
    std::size_t packed = byte(at + 2) | byte(at + 3) << 8;
    if (plain > kMszipBlockSize) {
      throw FormatError(at, "block unpacks to " + std::to_string(plain) + " bytes, more than " +
                                std::to_string(kMszipBlockSize));
    }
    if (packed < 2 || packed > file.size() - at - 4) {
      throw FormatError(
          at, "block's compressed size " + std::to_string(packed) + " does not fit the file");
    }
    held += plain;
    at += 4 + packed;
  }
  if (held > expected) {
    throw FormatError(pos, "blocks hold more than the declared size of " + std::to_string(total));
  }
  if (held < expected) {
    throw FormatError(kFileHeaderSize, "declared size of " + std::to_string(total) +
                                           " is more than the blocks hold (" +
                                           std::to_string(held + kFileHeaderSize) + ")");
  }

  struct Fast {
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    ~Fast() {
      if (decompressor) libdeflate_free_decompressor(decompressor);
    }
  } fast;
  std::string body;
  const std::size_t prefix = withHeader ? kFileHeaderSize : 0;
  body.reserve(prefix + expected);
  body.append(file.substr(0, prefix));
  std::size_t previousStart = prefix;
  while (pos < file.size()) {
    std::size_t blockStart = pos;
    std::size_t plain = byte(pos) | byte(pos + 1) << 8;
    std::size_t packed = byte(pos + 2) | byte(pos + 3) << 8;
    pos += 4;
    if (file[pos] != 'C' || file[pos + 1] != 'K')
      throw FormatError(pos, "block without the CK signature");
    std::size_t start = body.size();
    body.resize(start + plain);
    const char* packedData = file.data() + pos + 2;
    // Most writers (ours among them) deflate every block on its own: libdeflate inflates those
    // several times faster. It refuses a block that refers back before its own start, which zlib
    // then inflates with the previous block as history (and names the fault of a broken block).
    std::size_t produced = 0;
    if (fast.decompressor &&
        libdeflate_deflate_decompress(fast.decompressor, packedData, packed - 2,
                                      body.data() + start, plain,
                                      &produced) == LIBDEFLATE_SUCCESS &&
        produced == plain) {
      previousStart = start;
      pos += packed;
      continue;
    }
    inflateReset(&z);
    if (start > previousStart) {
      inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(body.data()) + previousStart,
                           static_cast<uInt>(start - previousStart));
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packedData));
    z.avail_in = static_cast<uInt>(packed - 2);
    z.next_out = reinterpret_cast<Bytef*>(body.data() + start);
    z.avail_out = static_cast<uInt>(plain);
    int status = inflate(&z, Z_FINISH);
    if (status != Z_STREAM_END || z.avail_out != 0) {
      throw FormatError(blockStart, status == Z_STREAM_END || status == Z_BUF_ERROR
                                        ? "block does not inflate to its declared size"
                                        : "corrupt deflate data in block");
    }
    previousStart = start;
    pos += packed;
  }
  if (body.size() - prefix != expected) {
    throw FormatError(pos, "blocks hold " + std::to_string(body.size() - prefix + kFileHeaderSize) +
                               " bytes, the header declares " + std::to_string(total));
  }
  return body;
}

}  // namespace xof
