// Where writers put their bytes: memory for tests and conversions, a file for saves.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace platform {
class FileReplacement;
}

namespace xof {

// A sink that cannot take more bytes (disk full, closed pipe...).
class WriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Sink {
 public:
  virtual ~Sink() = default;
  // Throws WriteError.
  virtual void Write(const void* data, std::size_t size) = 0;
};

class MemorySink : public Sink {
 public:
  void Write(const void* data, std::size_t size) override {
    bytes_.append(static_cast<const char*>(data), size);
  }
  const std::string& bytes() const { return bytes_; }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Counts bytes only: sizes a stream before it is written.
class CountingSink : public Sink {
 public:
  void Write(const void*, std::size_t size) override { count_ += size; }
  std::size_t count() const { return count_; }

 private:
  std::size_t count_ = 0;
};

// Writes a new file beside the target and renames it over the target on Commit, so the target
// is replaced whole or not at all (platform::FileReplacement: permissions kept, read-only files
// refused, links written through). Without Commit (an error, an exception) the temporary file is
// removed and any earlier file at the target is left untouched.
class AtomicFileSink : public Sink {
 public:
  explicit AtomicFileSink(const std::filesystem::path& target);  // throws WriteError
  ~AtomicFileSink() override;
  AtomicFileSink(const AtomicFileSink&) = delete;
  AtomicFileSink& operator=(const AtomicFileSink&) = delete;

  void Write(const void* data, std::size_t size) override;
  void Commit();  // throws WriteError

 private:
  std::unique_ptr<platform::FileReplacement> file_;
};

}  // namespace xof
