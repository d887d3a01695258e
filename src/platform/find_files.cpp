#include "platform/find_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"

namespace {

// Compact entries: a folder of many thousand files must not cost a full find record each.
struct Entry {
  std::wstring name;
  DWORD attributes = 0;
  std::uint64_t size = 0;
};

struct Listing {
  std::vector<Entry> entries;
  std::size_t next = 0;
};

// '*' any run, '?' any one character; iterative with one backtrack point, so long names cost
// linear time per star rather than exponential.
bool MatchesPattern(std::wstring_view name, std::wstring_view pattern) {
  if (pattern == L"*" || pattern == L"*.*") return true;
  std::size_t n = 0, p = 0, starAt = std::wstring_view::npos, resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == L'*') {
      starAt = p++;
      resumeAt = n;
    } else if (starAt != std::wstring_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

// Attributes of an entry as the folder listing reports them: a link is followed to decide whether
// it is a folder, and a link that leads nowhere is listed as a file.
bool DescribeEntry(int folderFd, const char* name, Entry& entry) {
  struct stat own {};
  if (::fstatat(folderFd, name, &own, AT_SYMLINK_NOFOLLOW) != 0) return false;
  struct stat target = own;
  bool isLink = S_ISLNK(own.st_mode);
  if (isLink && ::fstatat(folderFd, name, &target, 0) != 0) target = own;
  DWORD attributes = 0;
  if (S_ISDIR(target.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (isLink) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  if ((target.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  entry.attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  entry.size = S_ISREG(target.st_mode) ? static_cast<std::uint64_t>(target.st_size) : 0;
  return true;
}

// The name as host text; false when it does not survive the round trip or does not fit.
bool HostName(std::string_view utf8Name, std::wstring& name) {
  name = platform::Utf8ToWide(utf8Name);
  return name.size() < MAX_PATH && platform::WideToUtf8(name) == utf8Name;
}

void Fill(const Entry& entry, WIN32_FIND_DATAW& data) {
  data = WIN32_FIND_DATAW{};
  data.dwFileAttributes = entry.attributes;
  data.nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(entry.size);
  std::copy(entry.name.begin(), entry.name.end(), data.cFileName);
}

// Reads every entry of `folder` whose name matches; false when the folder cannot be read.
bool ReadListing(const std::string& folder, std::wstring_view pattern, Listing& listing) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
  // "." and ".." lead, as the host's own file system lists them; byte order for the rest.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : 2; };
    return rank(a) != rank(b) ? rank(a) < rank(b) : a < b;
  });
  for (const std::string& name : names) {
    Entry entry;
    if (!HostName(name, entry.name) || !MatchesPattern(entry.name, pattern)) continue;
    // An entry that vanished between the listing and its description is simply not listed.
    if (DescribeEntry(::dirfd(dir), name.c_str(), entry))
      listing.entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return true;
}

}  // namespace

HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
  if (!pattern || !*pattern || !data) return INVALID_HANDLE_VALUE;
  std::wstring_view text(pattern);
  std::size_t slash = text.find_last_of(L"\\/");
  std::wstring_view namePattern = slash == std::wstring_view::npos ? text : text.substr(slash + 1);
  std::string folder = ".";
  if (slash == 0) {
    folder = "/";
  } else if (slash != std::wstring_view::npos) {
    folder = platform::ToNativePath(text.substr(0, slash)).string();
  }
  if (namePattern.empty()) return INVALID_HANDLE_VALUE;

  auto* listing = new Listing;
  if (!ReadListing(folder, namePattern, *listing) || listing->entries.empty()) {
    delete listing;
    return INVALID_HANDLE_VALUE;
  }
  Fill(listing->entries[listing->next++], *data);
  return listing;
}

BOOL FindNextFileW(HANDLE handle, WIN32_FIND_DATAW* data) {
  if (!handle || handle == INVALID_HANDLE_VALUE || !data) return FALSE;
  auto* listing = static_cast<Listing*>(handle);
  if (listing->next >= listing->entries.size()) return FALSE;
  Fill(listing->entries[listing->next++], *data);
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return FALSE;
  delete static_cast<Listing*>(handle);
  return TRUE;
}
