// The host hands the exporter paths in its own form: folders separated by '\'. The exporter's path
// rules (the output folder ends at the last '\', search folders end with '\') work on that form
// unchanged; only where a path touches the file system is it turned into a native path here.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Host path ('\'-separated wide text) to a native path: every '\' becomes '/', text is UTF-8.
std::filesystem::path ToNativePath(std::wstring_view hostPath);

// Native path to the host's form: every '/' becomes '\'.
std::wstring ToHostPath(const std::filesystem::path& nativePath);

}  // namespace platform
