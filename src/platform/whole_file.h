// Reading a whole file into memory in one buffer, as the readers of large files (`.x` files, scene
// files) do: the buffer is left uninitialised, since the read fills it, and a large one is a
// large_memory.h block, so that a 50 MB file faults in 25 pages instead of 12,800.
#pragma once

#include <cstddef>

namespace platform {

class WholeFileBuffer {
 public:
  WholeFileBuffer() = default;
  WholeFileBuffer(const WholeFileBuffer&) = delete;
  WholeFileBuffer& operator=(const WholeFileBuffer&) = delete;
  ~WholeFileBuffer();

  const char* Data() const { return data_; }
  std::size_t Size() const { return size_; }
  // Gives the memory back at once, before the buffer goes.
  void Release();

  // Reads the open file `fd` from where it stands to its end, into a buffer first sized for
  // `expectedSize` bytes (a file that grew meanwhile is read whole all the same). Returns false
  // with errno set on a read error. Throws std::bad_alloc when the memory cannot be had.
  bool ReadToEnd(int fd, std::size_t expectedSize);

 private:
  void Grow(std::size_t capacity);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace platform
