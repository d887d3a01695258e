#include "platform/file_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on links in one lookup

// The file a path finally names: each symbolic link is followed, relative links from their own
// folder. A dangling link names the file it would create.
bool FollowLinks(std::filesystem::path path, std::filesystem::path& out) {
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      out = path;
      return true;
    }
    std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
    if (length < 0) return false;
    link.resize(static_cast<std::size_t>(length));
    std::filesystem::path next(link);
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  errno = ELOOP;
  return false;
}

std::uint32_t NameHash(const std::string& name) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
  return hash;
}

bool ProcessIsGone(long pid) {
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Refusing an existing destination is done by the rename itself where the file system supports
// it; elsewhere a check just before the rename has to do.
bool MoveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

std::string TemporaryPrefixFor(const std::filesystem::path& target) {
  char hash[16];
  std::snprintf(hash, sizeof hash, "%08x", NameHash(target.filename().string()));
  return ".ruv-" + std::string(hash) + "-";
}

FileReplacement::FileReplacement(const std::filesystem::path& target) : target_(target) {
  if (target.empty() || !target.has_filename()) {
    error_ = "cannot replace '" + target.string() + "': not a file name";
    return;
  }
  if (!FollowLinks(target, destination_)) {
    Fail("cannot follow the link", errno);
    return;
  }
  struct stat old {};
  bool exists = ::stat(destination_.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    error_ = "cannot replace " + target_.string() + ": it is a folder";
    return;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    error_ = "cannot replace " + target_.string() + ": it is not a regular file";
    return;
  }
  // The owner's write bit decides, as the file's read-only attribute does for the host; the
  // access check covers files of other owners.
  if (exists && ((old.st_mode & S_IWUSR) == 0 || ::access(destination_.c_str(), W_OK) != 0)) {
    error_ = "cannot replace " + target_.string() + ": the file is read-only";
    return;
  }
  RemoveStaleTemporaries();

  static std::atomic<unsigned> counter{0};
  const std::string prefix = TemporaryPrefixFor(destination_);
  const std::filesystem::path folder = destination_.parent_path();
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    std::string name = prefix + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    temporary_ = folder.empty() ? std::filesystem::path(name) : folder / name;
    // 0666 so that the umask decides a new file's permissions, as for any new file.
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    Fail("cannot create a file beside", errno);
    return;
  }
  if (exists && ::fchmod(fd_, old.st_mode & 07777) != 0)
    Fail("cannot set the permissions of", errno);
}

FileReplacement::~FileReplacement() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool FileReplacement::Fail(const std::string& what, int error) {
  if (error_.empty()) error_ = what + " " + target_.string() + ": " + std::strerror(error);
  return false;
}

bool FileReplacement::Write(const void* data, std::size_t size) {
  if (!ok() || fd_ < 0) return false;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = ::write(fd_, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail("cannot write", errno);
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool FileReplacement::Commit(bool durable, bool mayReplace) {
  if (!ok() || fd_ < 0) return false;
  if (durable && ::fsync(fd_) != 0) return Fail("cannot write", errno);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fail("cannot write", errno);
  bool moved = mayReplace ? ::rename(temporary_.c_str(), destination_.c_str()) == 0
                          : MoveWithoutReplacing(temporary_, destination_);
  if (!moved) return Fail("cannot replace", errno);
  temporary_.clear();
  if (durable) {
    // The rename lives in the folder; without this a power cut could still lose it.
    std::filesystem::path folder = destination_.parent_path();
    int folderFd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
      ::fsync(folderFd);
      ::close(folderFd);
    }
  }
  return true;
}

// Only names of this target's pattern whose writing process has ended: a save running at the same
// time in another process keeps its file.
void FileReplacement::RemoveStaleTemporaries() const {
  const std::filesystem::path folder = destination_.parent_path();
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  const std::string prefix = TemporaryPrefixFor(destination_);
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (name.substr(0, prefix.size()) != prefix) continue;
    std::string rest(name.substr(prefix.size()));
    char* end = nullptr;
    long pid = std::strtol(rest.c_str(), &end, 10);
    if (end == rest.c_str() || *end != '-' || pid == ::getpid() || !ProcessIsGone(pid)) continue;
    std::filesystem::path stale = folder.empty() ? std::filesystem::path(name) : folder / name;
    struct stat info {};
    if (::lstat(stale.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(stale.c_str());
  }
  ::closedir(dir);
}

}  // namespace platform
