#include "temporary_folder.h"

#include <stdlib.h>

#include <system_error>

namespace ruvx {

TemporaryFolder::TemporaryFolder(const std::string& prefix) {
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return;
  std::string pattern = (base / (prefix + "-XXXXXX")).string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  if (path_.empty()) return;
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

}  // namespace ruvx
