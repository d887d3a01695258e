#include "platform/copy_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/file_replacement.h"
#include "platform/host_path.h"

namespace {

// Closes the descriptor on every way out of the copy.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Non-blocking open, so that a pipe or a device under a texture's name cannot hang the export;
// anything but a regular file is refused before a byte is read.
// The kernel's own file systems: their "regular files" are views of the running system (a texture
// path of /proc/self/environ would copy the host's environment beside the output).
bool OnKernelFileSystem(int fd, const std::filesystem::path& path) {
  struct statfs where {};
  if (::fstatfs(fd, &where) != 0) return true;
  switch (static_cast<unsigned long>(where.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case EFIVARFS_MAGIC:
      return true;
    default:
      break;
  }
  // /dev lies on a memory file system like any other; its place is what tells it apart.
  std::error_code error;
  std::filesystem::path real = std::filesystem::canonical(path, error);
  return error || real.string().starts_with("/dev/");
}

int OpenRegularFile(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || OnKernelFileSystem(fd, path)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool CopyBytes(int from, platform::FileReplacement& to) {
  char chunk[65536];
  for (;;) {
    ssize_t got = ::read(from, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!to.Write(chunk, static_cast<std::size_t>(got))) return false;
  }
}

}  // namespace

BOOL CopyFileW(const wchar_t* existingFile, const wchar_t* newFile, BOOL failIfExists) {
  if (!existingFile || !*existingFile || !newFile || !*newFile) return FALSE;
  const std::filesystem::path source = platform::ToNativePath(existingFile);
  const std::filesystem::path target = platform::ToNativePath(newFile);
  if (failIfExists) {
    // Saves reading a large texture only to throw the copy away.
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0) return FALSE;
  }
  Descriptor from(OpenRegularFile(source));
  if (from.get() < 0) return FALSE;
  platform::FileReplacement to(target);
  bool copied = to.ok() && CopyBytes(from.get(), to) &&
                to.Commit(/*durable=*/true, /*mayReplace=*/failIfExists == FALSE);
  return copied ? TRUE : FALSE;
}

std::optional<std::string> ReadCopyableFile(const wchar_t* existingFile, std::uintmax_t limit) {
  if (!existingFile || !*existingFile) return std::nullopt;
  Descriptor from(OpenRegularFile(platform::ToNativePath(existingFile)));
  if (from.get() < 0) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  for (;;) {
    ssize_t got = ::read(from.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || bytes.size() + static_cast<std::size_t>(got) > limit) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
}
