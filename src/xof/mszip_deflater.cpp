#include "xof/mszip_deflater.h"

#include <libdeflate.h>

#include <algorithm>
#include <system_error>

#include "xof/sink.h"

namespace xof {
namespace {

constexpr std::size_t kBlockHeader = 6;  // two WORD sizes and "CK"
constexpr unsigned kMaxThreads = 16;

}  // namespace

MszipDeflater::MszipDeflater(int level, std::size_t blockSize, unsigned threads)
    : blockSize_(blockSize) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = std::min(threads, kMaxThreads);
  for (unsigned i = 0; i < threads; ++i) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    if (!compressor) {
      for (libdeflate_compressor* c : compressors_) libdeflate_free_compressor(c);
      throw WriteError("cannot start the deflate compressor");
    }
    compressors_.push_back(compressor);
  }
  slotSize_ = kBlockHeader + libdeflate_deflate_compress_bound(compressors_[0], blockSize_);
}

MszipDeflater::~MszipDeflater() {
  for (std::thread& thread : threads_) thread.join();
  for (libdeflate_compressor* c : compressors_) libdeflate_free_compressor(c);
}

void MszipDeflater::Start(std::span<const std::uint8_t> input) {
  input_ = input;
  count_ = (input.size() + blockSize_ - 1) / blockSize_;
  if (output_.size() < count_ * slotSize_) output_.resize(count_ * slotSize_);
  blockBytes_.assign(count_, 0);
  next_ = 0;
  failed_ = false;
  std::size_t workers = std::min<std::size_t>(compressors_.size(), count_);
  for (std::size_t w = 0; w < workers; ++w) {
    try {
      threads_.emplace_back([this, w] { Work(w); });
    } catch (const std::system_error&) {
      // No thread to be had: the threads already running, or this one, do the work.
      if (threads_.empty()) Work(w);
      break;
    }
  }
}

void MszipDeflater::Wait() {
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  if (failed_) throw WriteError("deflate failed on a block");
}

std::span<const std::uint8_t> MszipDeflater::Block(std::size_t i) const {
  return {output_.data() + i * slotSize_, blockBytes_[i]};
}

void MszipDeflater::Work(std::size_t worker) {
  for (std::size_t i = next_++; i < count_; i = next_++) {
    if (!DeflateBlock(worker, i)) failed_ = true;
  }
}

bool MszipDeflater::DeflateBlock(std::size_t worker, std::size_t i) {
  std::size_t offset = i * blockSize_;
  std::size_t plain = std::min(blockSize_, input_.size() - offset);
  std::uint8_t* slot = output_.data() + i * slotSize_;
  std::size_t packed =
      libdeflate_deflate_compress(compressors_[worker], input_.data() + offset, plain,
                                  slot + kBlockHeader, slotSize_ - kBlockHeader);
  std::size_t withSignature = packed + 2;
  if (packed == 0 || withSignature > 0xFFFF) return false;
  slot[0] = static_cast<std::uint8_t>(plain);
  slot[1] = static_cast<std::uint8_t>(plain >> 8);
  slot[2] = static_cast<std::uint8_t>(withSignature);
  slot[3] = static_cast<std::uint8_t>(withSignature >> 8);
  slot[4] = 'C';
  slot[5] = 'K';
  blockBytes_[i] = kBlockHeader + packed;
  return true;
}

}  // namespace xof
