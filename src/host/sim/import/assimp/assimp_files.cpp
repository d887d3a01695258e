#include "host/sim/import/assimp/assimp_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <assimp/IOStream.hpp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/file_system.h"

namespace sim::import {

namespace {

// A file opened by ModelFileSystem: read only, its size fixed when it was opened.
class ModelFileStream : public Assimp::IOStream {
 public:
  ModelFileStream(std::FILE* file, std::size_t size) : file_(file), size_(size) {}
  ~ModelFileStream() override { std::fclose(file_); }
  ModelFileStream(const ModelFileStream&) = delete;
  ModelFileStream& operator=(const ModelFileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t size, std::size_t count) override {
    return size == 0 ? 0 : std::fread(buffer, size, count, file_);
  }
  std::size_t Write(const void*, std::size_t, std::size_t) override { return 0; }
  aiReturn Seek(std::size_t offset, aiOrigin origin) override {
    int whence = origin == aiOrigin_SET ? SEEK_SET : origin == aiOrigin_CUR ? SEEK_CUR : SEEK_END;
    return fseeko(file_, static_cast<off_t>(offset), whence) == 0 ? aiReturn_SUCCESS
                                                                  : aiReturn_FAILURE;
  }
  std::size_t Tell() const override {
    off_t at = ftello(file_);
    return at < 0 ? 0 : static_cast<std::size_t>(at);
  }
  std::size_t FileSize() const override { return size_; }
  void Flush() override {}

 private:
  std::FILE* file_;
  std::size_t size_;
};

}  // namespace

ModelFileSystem::ModelFileSystem(ModelFolder folder, std::vector<std::string>& warnings)
    : folder_(std::move(folder)), warnings_(warnings) {}

// Once per file, however Assimp spells its path.
void ModelFileSystem::Refuse(const std::string& file, const std::string& why) const {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(file, error).lexically_normal();
  if (refused_.insert(error ? file : absolute.string()).second) {
    warnings_.push_back("the file " + file + " " + why);
  }
}

bool ModelFileSystem::Exists(const char* file) const {
  if (!file || !*file) return false;
  if (!folder_.Holds(file)) {
    Refuse(file, "lies outside the model's folder: it is not read");
    return false;
  }
  struct stat info {};
  return ::stat(file, &info) == 0;
}

Assimp::IOStream* ModelFileSystem::Open(const char* file, const char* mode) {
  if (!file || !*file || !mode || std::strpbrk(mode, "wa+")) return nullptr;
  if (!folder_.Holds(file)) {
    Refuse(file, "lies outside the model's folder: it is not read");
    return nullptr;
  }
  std::string problem;
  int fd = platform::OpenRegularFile(file, kMaxModelFileBytes, &problem);
  if (fd < 0) {
    if (!problem.empty()) Refuse(file, "is not read: " + problem);
    return nullptr;
  }
  struct stat info {};
  std::FILE* stream = ::fstat(fd, &info) == 0 ? ::fdopen(fd, "rb") : nullptr;
  if (!stream) {
    ::close(fd);
    return nullptr;
  }
  return new ModelFileStream(stream, static_cast<std::size_t>(info.st_size));
}

void ModelFileSystem::Close(Assimp::IOStream* stream) { delete stream; }

}  // namespace sim::import
