#include "xof/mszip.h"

#include <zlib.h>

#include <cstring>

#include "xof/file_header.h"
#include "xof/tokens.h"

namespace xof {

struct MszipSink::Stream {
  z_stream z{};
};

MszipSink::MszipSink(Sink& out, int level) : out_(out), stream_(new Stream) {
  // A negative window size selects raw deflate: no zlib header, no checksum.
  if (deflateInit2(&stream_->z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    delete stream_;
    throw WriteError("cannot start the deflate compressor");
  }
  pending_.reserve(kMszipBlockSize);
  compressed_.resize(deflateBound(&stream_->z, kMszipBlockSize) + 16);
}

MszipSink::~MszipSink() {
  deflateEnd(&stream_->z);
  delete stream_;
}

void MszipSink::Write(const void* data, std::size_t size) {
  auto bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    if (pending_.empty() && size >= kMszipBlockSize) {
      WriteBlock(bytes, kMszipBlockSize);
      bytes += kMszipBlockSize;
      size -= kMszipBlockSize;
      continue;
    }
    std::size_t take = std::min(size, kMszipBlockSize - pending_.size());
    pending_.insert(pending_.end(), bytes, bytes + take);
    bytes += take;
    size -= take;
    if (pending_.size() == kMszipBlockSize) {
      WriteBlock(pending_.data(), pending_.size());
      pending_.clear();
    }
  }
}

void MszipSink::Finish() {
  if (!pending_.empty()) WriteBlock(pending_.data(), pending_.size());
  pending_.clear();
}

void MszipSink::WriteBlock(const std::uint8_t* data, std::size_t size) {
  z_stream& z = stream_->z;
  deflateReset(&z);
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = compressed_.data() + 6;
  z.avail_out = static_cast<uInt>(compressed_.size() - 6);
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw WriteError("deflate failed on a block");
  std::size_t packed = compressed_.size() - 6 - z.avail_out;
  std::size_t withSignature = packed + 2;
  compressed_[0] = static_cast<std::uint8_t>(size);
  compressed_[1] = static_cast<std::uint8_t>(size >> 8);
  compressed_[2] = static_cast<std::uint8_t>(withSignature);
  compressed_[3] = static_cast<std::uint8_t>(withSignature >> 8);
  compressed_[4] = 'C';
  compressed_[5] = 'K';
  out_.Write(compressed_.data(), packed + 6);
}

std::string InflateMszip(std::string_view file) {
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

  std::string body;
  body.reserve(expected);
  std::size_t previousStart = 0;
  while (pos < file.size()) {
    std::size_t blockStart = pos;
    std::size_t plain = byte(pos) | byte(pos + 1) << 8;
    std::size_t packed = byte(pos + 2) | byte(pos + 3) << 8;
    pos += 4;
    if (file[pos] != 'C' || file[pos + 1] != 'K')
      throw FormatError(pos, "block without the CK signature");
    inflateReset(&z);
    if (body.size() > previousStart) {
      inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(body.data()) + previousStart,
                           static_cast<uInt>(body.size() - previousStart));
    }
    std::size_t start = body.size();
    body.resize(start + plain);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data() + pos + 2));
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
  if (body.size() != expected) {
    throw FormatError(pos, "blocks hold " + std::to_string(body.size() + kFileHeaderSize) +
                               " bytes, the header declares " + std::to_string(total));
  }
  return body;
}

}  // namespace xof
