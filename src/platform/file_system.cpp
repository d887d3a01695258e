#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_replacement.h"
#include "platform/host_path.h"

namespace {

std::string LargerThan(std::uintmax_t limit) {
  constexpr std::uintmax_t kMiB = 1u << 20;
  return "it is larger than " + (limit % kMiB == 0 ? std::to_string(limit / kMiB) + " MiB"
                                                   : std::to_string(limit) + " bytes");
}

bool StatHostPath(const wchar_t* path, struct stat& info) {
  if (!path || !*path) return false;
  return ::stat(platform::ToNativePath(path).c_str(), &info) == 0;
}

}  // namespace

DWORD GetFileAttributesW(const wchar_t* path) {
  struct stat info {};
  if (!StatHostPath(path, info)) return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL PathFileExistsW(const wchar_t* path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES ? TRUE : FALSE;
}

DWORD GetLongPathNameW(const wchar_t* shortPath, wchar_t* buffer, DWORD size) {
  if (GetFileAttributesW(shortPath) == INVALID_FILE_ATTRIBUTES) return 0;
  std::wstring_view path(shortPath);
  if (!buffer || path.size() >= size) return static_cast<DWORD>(path.size() + 1);
  path.copy(buffer, path.size());
  buffer[path.size()] = L'\0';
  return static_cast<DWORD>(path.size());
}

namespace platform {

int OpenRegularFile(const std::filesystem::path& path, std::uintmax_t limit, std::string* problem) {
  auto fail = [&](int fd, const std::string& why) {
    if (fd >= 0) ::close(fd);
    if (problem) *problem = why;
    return -1;
  };
  // Non-blocking, so that a pipe under the name cannot hang the caller.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(fd, errno == ENOENT || errno == ENOTDIR ? "" : std::strerror(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    return fail(fd, S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file");
  }
  if (static_cast<std::uintmax_t>(info.st_size) > limit) return fail(fd, LargerThan(limit));
  // A regular file never waits; reads then behave as usual.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

namespace {

// Reads the whole file into `bytes` (a string or a byte vector), allocated once at the file's size
// and filled by the reads themselves.
template <class Bytes>
bool ReadInto(const std::filesystem::path& path, Bytes& bytes, std::string* problem,
              std::uintmax_t limit) {
  int fd = OpenRegularFile(path, limit, problem);
  if (fd < 0) return false;
  auto fail = [&](const std::string& why) {
    ::close(fd);
    if (problem) *problem = why;
    return false;
  };
  struct stat info {};
  std::size_t expected = ::fstat(fd, &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
  // One byte more than the size, so that the end of the file is seen without growing.
  bytes.resize(std::min<std::uintmax_t>(expected, limit) + 1);
  std::size_t held = 0;
  for (;;) {
    if (held == bytes.size()) bytes.resize(held + std::max<std::size_t>(held / 2, 65536));
    ssize_t got = ::read(fd, bytes.data() + held, bytes.size() - held);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return fail(std::strerror(errno));
    if (got == 0) break;
    held += static_cast<std::size_t>(got);
    // The file may grow while it is read.
    if (held > limit) return fail(LargerThan(limit));
  }
  ::close(fd);
  bytes.resize(held);
  return true;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, std::string* problem,
                                         std::uintmax_t limit) {
  std::string bytes;
  if (!ReadInto(path, bytes, problem, limit)) return std::nullopt;
  return bytes;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<unsigned char>& bytes,
                   std::string* problem, std::uintmax_t limit) {
  return ReadInto(path, bytes, problem, limit);
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error) {
  FileReplacement replacement(target);
  bool written = replacement.Write(bytes.data(), bytes.size()) && replacement.Commit(true);
  if (!written && error) *error = replacement.error();
  return written;
}

}  // namespace platform
