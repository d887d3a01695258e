// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
#pragma once

#include <filesystem>
#include <string>

namespace ruvx {

class TemporaryFolder {
 public:
  // `prefix` begins the folder's name; Path() is empty when no folder could be made.
  explicit TemporaryFolder(const std::string& prefix);
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace ruvx
