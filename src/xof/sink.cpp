#include "xof/sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace xof {
namespace {

std::string SystemError(const std::string& what, const std::filesystem::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

}  // namespace

AtomicFileSink::AtomicFileSink(const std::filesystem::path& target) : target_(target) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path folder = target.parent_path();
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    std::string name = "." + target.filename().string() + ".tmp" + std::to_string(::getpid()) +
                       "-" + std::to_string(counter++);
    temporary_ = folder.empty() ? std::filesystem::path(name) : folder / name;
    // Created with 0666 so the umask decides the final permissions, as for any new file.
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) throw WriteError(SystemError("cannot create a file beside", target_));
}

AtomicFileSink::~AtomicFileSink() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temporary_.c_str());
  }
}

void AtomicFileSink::Write(const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = ::write(fd_, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw WriteError(SystemError("cannot write", temporary_));
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
}

void AtomicFileSink::Commit() {
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    ::unlink(temporary_.c_str());
    throw WriteError(SystemError("cannot write", temporary_));
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    std::string message = SystemError("cannot replace", target_);
    ::unlink(temporary_.c_str());
    throw WriteError(message);
  }
}

}  // namespace xof
