// The scene root name as the options dialog reads it back.
#pragma once

#include <string>
#include <string_view>

// `typed` without its spaces (from its first 255 characters); when what remains is not an
// identifier the .x file takes as it is (letters, digits, '-' and '_', no leading digit, at most
// 255 characters), `rootNodeName` instead.
std::wstring SceneRootNameFromText(std::wstring_view typed, const std::wstring& rootNodeName);
