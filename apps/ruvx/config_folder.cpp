#include "config_folder.h"

#include <cstdlib>

namespace ruvx {

std::optional<std::filesystem::path> DefaultConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return std::filesystem::path(xdg) / "ruv";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::filesystem::path(home) / ".config" / "ruv";
  return std::nullopt;
}

std::optional<std::filesystem::path> ConfigFolder(const std::string& given) {
  if (!given.empty()) return std::filesystem::path(given);
  return DefaultConfigFolder();
}

}  // namespace ruvx
