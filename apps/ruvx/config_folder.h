// Where the host keeps its plug-in configuration on this platform.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace ruvx {

// `ruv` under $XDG_CONFIG_HOME (when it is an absolute path), else under ~/.config; nothing when
// neither is known.
std::optional<std::filesystem::path> DefaultConfigFolder();

// The folder given on the command line, or the default one.
std::optional<std::filesystem::path> ConfigFolder(const std::string& given);

}  // namespace ruvx
