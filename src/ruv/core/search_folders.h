// The three folders that texture lookup searches besides the scene folder's tree. They are set by
// every export and kept until the next one.
#pragma once

#include <string>

extern std::wstring SceneDir;  // folder of the current scene file
extern std::wstring ImageDir;  // the host's image folder
extern std::wstring DataDir;   // the host's data folder

// The folder part of a path up to and including its last '\'; ".\" when there is none. Only the
// backslash separates, as the host's paths do.
std::wstring OutputFolderOf(const std::wstring& path);

// The folder of the scene file: up to the last '\', else up to the last '/', else ".\".
std::wstring SceneFolderOf(const std::wstring& scenePath);

// A host folder with a trailing '\' (unchanged when empty or already so terminated).
std::wstring WithTrailingBackslash(std::wstring folder);
