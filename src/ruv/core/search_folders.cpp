#include "ruv/core/search_folders.h"

std::wstring SceneDir;
std::wstring ImageDir;
std::wstring DataDir;

std::wstring OutputFolderOf(const std::wstring& path) {
  std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
}

std::wstring SceneFolderOf(const std::wstring& scenePath) {
  std::size_t slash = scenePath.rfind(L'\\');
  if (slash == std::wstring::npos) slash = scenePath.rfind(L'/');
  return slash == std::wstring::npos ? L".\\" : scenePath.substr(0, slash + 1);
}

std::wstring WithTrailingBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
  return folder;
}
