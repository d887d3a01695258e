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
  // Gives back the whole huge pages before `offset`, which the caller will not read again (they
  // would read as zeros), a few megabytes at a time; a buffer too small for huge pages keeps all.
  // A reader that decodes a large file into blocks of its own calls this as it goes, so that the
  // blocks do not sit beside the whole file.
  void ReleaseBefore(std::size_t offset);

  // Reads the open file `fd` from where it stands to its end, into a buffer first sized for
  // `expectedSize` bytes (a file that grew meanwhile is read whole all the same). Returns false
  // with errno set on a read error. Throws std::bad_alloc when the memory cannot be had.
  bool ReadToEnd(int fd, std::size_t expectedSize);

 private:
  void Grow(std::size_t capacity);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t released_ = 0;
};

}  // namespace platform
