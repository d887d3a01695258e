#include "platform/whole_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/large_memory.h"

namespace platform {

WholeFileBuffer::~WholeFileBuffer() { Release(); }

void WholeFileBuffer::Release() {
  FreeLargeBlock(data_);
  data_ = nullptr;
  size_ = capacity_ = released_ = 0;
}

void WholeFileBuffer::ReleaseBefore(std::size_t offset) {
  constexpr std::size_t kStep = 2 * kHugePageBytes;  // not a system call for every small object
  if (capacity_ < kHugePageBytes) return;            // not on pages of its own
  std::size_t end = std::min(offset, capacity_) / kHugePageBytes * kHugePageBytes;
  if (end < released_ + kStep) return;
  // The buffer is aligned to huge pages (Grow): only pages wholly inside it are given back.
  ::madvise(data_ + released_, end - released_, MADV_DONTNEED);
  released_ = end;
}

void WholeFileBuffer::Grow(std::size_t capacity) {
  void* larger = AllocateLargeBlock(capacity);
  if (size_) std::memcpy(larger, data_, size_);
  FreeLargeBlock(data_);
  data_ = static_cast<char*>(larger);
  capacity_ = capacity;
}

bool WholeFileBuffer::ReadToEnd(int fd, std::size_t expectedSize) {
  size_ = released_ = 0;
  // One byte more than expected: a read that fills it shows a file that grew.
  if (capacity_ < expectedSize + 1) Grow(expectedSize + 1);
  for (;;) {
    if (size_ == capacity_) Grow(2 * capacity_);
    ssize_t got = ::read(fd, data_ + size_, capacity_ - size_);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    size_ += static_cast<std::size_t>(got);
  }
}

}  // namespace platform
