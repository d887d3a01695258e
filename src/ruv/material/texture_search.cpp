#include "ruv/material/texture_search.h"

#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/find_files.h"
#include "ruv/core/search_folders.h"

namespace {

struct FolderEntry {
  std::wstring name;
  bool isFolder = false;
};

// The walk of one folder tree, paused wherever the last search found its file. Every file name
// passed so far is kept with the first path it was seen at, which is the plain walk's answer for
// that name: the walk visits files in the same order whether it stops early or not.
class FolderTreeWalk {
 public:
  explicit FolderTreeWalk(std::wstring root) : root_(std::move(root)) {}

  std::wstring Find(const std::wstring& name) {
    if (!started_) {
      started_ = true;
      Enter(root_);
    }
    if (auto seen = firstPathOf_.find(name); seen != firstPathOf_.end()) return seen->second;
    while (!open_.empty()) {
      OpenFolder& level = open_.back();
      if (level.next == level.entries.size()) {
        open_.pop_back();
        continue;
      }
      FolderEntry entry = std::move(level.entries[level.next++]);
      std::wstring path = level.folder + entry.name;
      if (entry.isFolder) {
        if (entry.name[0] != L'.') Enter(path + L'\\');
        continue;
      }
      auto [where, isNew] = firstPathOf_.try_emplace(std::move(entry.name), std::move(path));
      if (isNew && where->first == name) return where->second;
    }
    return {};
  }

 private:
  struct OpenFolder {
    std::wstring folder;  // ends with '\', or empty for the working folder
    std::vector<FolderEntry> entries;
    std::size_t next = 0;
  };

  // Reads the folder's listing and makes it the next to walk, unless the folder has been
  // entered before (a link to a folder of this tree) or cannot be read.
  void Enter(const std::wstring& folder) {
    FILE_IDENTITY identity;
    if (!GetFileIdentityW(folder.empty() ? L"." : folder.c_str(), &identity)) return;
    if (!entered_.insert(identity).second) return;
    OpenFolder level{folder, {}, 0};
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      level.entries.push_back(
          {data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    open_.push_back(std::move(level));
  }

  std::wstring root_;
  bool started_ = false;
  std::vector<OpenFolder> open_;  // the folders being walked, the innermost last
  std::set<FILE_IDENTITY> entered_;
  std::unordered_map<std::wstring, std::wstring> firstPathOf_;
};

// The trees read in this export, by their folder as searched.
std::map<std::wstring, std::unique_ptr<FolderTreeWalk>>& Walks() {
  static std::map<std::wstring, std::unique_ptr<FolderTreeWalk>> walks;
  return walks;
}

}  // namespace

std::wstring SearchFolderTree(const std::wstring& folder, const std::wstring& name) {
  // No listed name is empty or holds a separator, so such a name needs no walk to miss.
  if (name.empty() || name.find_first_of(L"\\/") != std::wstring::npos) return {};
  std::wstring root = folder;
  if (!root.empty() && root.back() != L'\\') root.push_back(L'\\');
  std::unique_ptr<FolderTreeWalk>& walk = Walks()[root];
  if (!walk) walk = std::make_unique<FolderTreeWalk>(root);
  return walk->Find(name);
}

std::wstring FindTextureFile(const std::wstring& path) {
  if (path.empty()) return {};
  std::size_t slash = path.rfind(L'\\');
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  // Only a full path of this machine is looked at where it points. A drive-letter, share or
  // relative path would be looked up from the working folder of the host application, which has no
  // say in it.
  auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  bool fullPath = path.size() > 1 && separator(path[0]) && !separator(path[1]);
  if (fullPath && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
  for (const std::wstring* folder : {&SceneDir, &ImageDir, &DataDir}) {
    std::wstring found = SearchFolderTree(*folder, name);
    if (!found.empty()) return found;
  }
  return name.empty() ? std::wstring() : SceneDir + name;
}

void ResetTextureSearch() { Walks().clear(); }
