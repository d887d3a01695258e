#include "platform/copy_file.h"

#include <fcntl.h>
#include <sys/stat.h>
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
int OpenRegularFile(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
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
