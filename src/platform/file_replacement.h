// Replacing a file whole or not at all, as every save does: the bytes go to a temporary file beside
// the target, which is renamed over the target once complete.
//
// The replacement behaves as the user expects of a save: the file keeps its permission bits; a
// read-only file is refused, not replaced; a symbolic link stays a link and its target gets the new
// content. Temporary names are short (".ruv-HASH-PID-N", whatever the target's length), and a
// temporary left behind for the same target by a process that no longer runs (a killed export) is
// removed by the next save.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace platform {

class FileReplacement {
 public:
  // Opens the temporary file; ok() says whether that worked and error() why not.
  explicit FileReplacement(const std::filesystem::path& target);
  // Removes the temporary file unless Commit succeeded.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  bool ok() const { return error_.empty(); }
  // What went wrong, naming the file: "cannot replace out.x: the file is read-only".
  const std::string& error() const { return error_; }
  // The file that is replaced: the target with its symbolic links followed.
  const std::filesystem::path& destination() const { return destination_; }

  bool Write(const void* data, std::size_t size);
  // Moves the new file into place. `durable` flushes it and the rename to the disk first. Without
  // `mayReplace` the move fails when anything has appeared at the destination meanwhile.
  bool Commit(bool durable, bool mayReplace = true);

 private:
  bool Fail(const std::string& what, int error);
  void RemoveStaleTemporaries() const;

  std::filesystem::path target_;
  std::filesystem::path destination_;
  std::filesystem::path temporary_;
  std::string error_;
  int fd_ = -1;
};

// The short temporary-name prefix of saves of `target` (".ruv-HASH-"), for tests and cleanup.
std::string TemporaryPrefixFor(const std::filesystem::path& target);

}  // namespace platform
