// Deflates runs of independent MSZIP blocks on every core. The threads belong to one run: Start
// launches them, Wait (or the destructor) joins them, so none outlives the save that uses them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

struct libdeflate_compressor;

namespace xof {

class MszipDeflater {
 public:
  // `threads` 0 means one per core.
  MszipDeflater(int level, std::size_t blockSize, unsigned threads = 0);
  ~MszipDeflater();
  MszipDeflater(const MszipDeflater&) = delete;
  MszipDeflater& operator=(const MszipDeflater&) = delete;

  // Starts deflating `input`, cut into blocks of the block size (the last may be shorter), in the
  // background. The caller keeps `input` unchanged until Wait returns. One run at a time.
  void Start(std::span<const std::uint8_t> input);
  // Joins the run's threads; then Block(i) is the whole MSZIP block i: WORD uncompressed size,
  // WORD compressed size, "CK", raw deflate data. Throws WriteError if a block did not deflate.
  void Wait();
  std::size_t threads() const { return compressors_.size(); }
  std::size_t blockCount() const { return count_; }
  std::span<const std::uint8_t> Block(std::size_t i) const;

 private:
  void Work(std::size_t worker);
  bool DeflateBlock(std::size_t worker, std::size_t i);

  std::size_t blockSize_;
  std::size_t slotSize_;  // header and the deflate bound of a full block
  std::vector<libdeflate_compressor*> compressors_;
  std::vector<std::thread> threads_;
  std::span<const std::uint8_t> input_;
  std::size_t count_ = 0;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> failed_{false};
  std::vector<std::uint8_t> output_;
  std::vector<std::size_t> blockBytes_;
};

}  // namespace xof
