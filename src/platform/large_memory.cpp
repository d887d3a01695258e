#include "platform/large_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace platform {

void* AllocateLargeBlock(std::size_t& bytes) {
  void* block = nullptr;
  if (bytes >= kHugePageBytes) {
    bytes = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    if (::posix_memalign(&block, kHugePageBytes, bytes) != 0) throw std::bad_alloc();
    ::madvise(block, bytes, MADV_HUGEPAGE);  // advice only: without it, plain pages
  } else {
    block = std::malloc(bytes);
    if (!block) throw std::bad_alloc();
  }
  return block;
}

void FreeLargeBlock(void* block) { std::free(block); }

}  // namespace platform
