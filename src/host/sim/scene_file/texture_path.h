// Paths of texture and effect files as a scene file gives them. Scenes travel between machines, so
// such a path may be stale: a drive path of another machine is handed to the exporter as written,
// for the exporter's own search to find the file by name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sim {

// Whether `text` is a path of another machine: it starts with a drive letter and a colon
// ("C:\old\wood.jpg", "d:maps/x.png") or with two separators (a network share, "\\server\maps").
bool IsForeignPath(std::wstring_view text);

// `text` in host form: a foreign path keeps its text with every '/' turned into '\'; any other path
// is resolved as every scene path is (relative to `baseFolder`, folded, '\'-separated). Empty
// stays empty.
std::wstring ResolveTexturePath(std::wstring_view text, const std::filesystem::path& baseFolder);

}  // namespace sim
