// Memory for large buffers that are filled once (a file read whole, a parsed document): a block of
// 2 MiB or more asks for huge pages where the system gives them on request, so that touching it
// costs one fault per 2 MiB instead of one per 4 KiB. Smaller blocks are plain ones.
#pragma once

#include <cstddef>

namespace platform {

// The size of a huge page, to which large blocks are aligned.
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// At least `bytes` bytes, uninitialised; `bytes` is rounded up to whole huge pages when large
// enough for them. Throws std::bad_alloc. Given back with FreeLargeBlock.
void* AllocateLargeBlock(std::size_t& bytes);
void FreeLargeBlock(void* block);

}  // namespace platform
