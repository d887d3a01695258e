#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

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

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, std::string* problem,
                                         std::uintmax_t limit) {
  int fd = OpenRegularFile(path, limit, problem);
  if (fd < 0) return std::nullopt;
  auto fail = [&](const std::string& why) -> std::optional<std::string> {
    ::close(fd);
    if (problem) *problem = why;
    return std::nullopt;
  };
  struct stat info {};
  std::string bytes;
  if (::fstat(fd, &info) == 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[65536];
  for (;;) {
    ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return fail(std::strerror(errno));
    // The file may grow while it is read.
    if (bytes.size() + static_cast<std::size_t>(got) > limit) {
      return fail(LargerThan(limit));
    }
    if (got == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return bytes;
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error) {
  FileReplacement replacement(target);
  bool written = replacement.Write(bytes.data(), bytes.size()) && replacement.Commit(true);
  if (!written && error) *error = replacement.error();
  return written;
}

}  // namespace platform
