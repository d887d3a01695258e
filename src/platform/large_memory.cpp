#include "platform/large_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace platform {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

void* AllocateLargeBlock(std::size_t& bytes) {
  void* block = nullptr;
  if (bytes >= kHugePage) {
    bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    if (::posix_memalign(&block, kHugePage, bytes) != 0) throw std::bad_alloc();
    ::madvise(block, bytes, MADV_HUGEPAGE);  // advice only: without it, plain pages
  } else {
    block = std::malloc(bytes);
    if (!block) throw std::bad_alloc();
  }
  return block;
}

void FreeLargeBlock(void* block) { std::free(block); }

}  // namespace platform
