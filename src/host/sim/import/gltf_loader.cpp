#define TINYGLTF_IMPLEMENTATION
#include "host/sim/import/gltf_loader.h"

#include <sys/stat.h>

#include <cstring>
#include <system_error>

#include "host/sim/import/model_files.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "platform/file_system.h"

namespace sim::import {

namespace {

// The files tinygltf reads (external buffers) go through the import's own checks: only the model's
// folder and below, regular files within the size limit, opened without waiting.
struct BufferFiles {
  std::string base;
  ModelFolder folder;
};

// tinygltf also tries each name in the working folder, which has no say in the model.
bool BufferFileExists(const std::string& path, void* files) {
  const std::string& base = static_cast<BufferFiles*>(files)->base;
  struct stat info {};
  return path.size() > base.size() && path.compare(0, base.size(), base) == 0 &&
         ::stat(path.c_str(), &info) == 0;
}

std::string BufferFilePath(const std::string& path, void*) { return path; }

bool ReadBufferFile(std::vector<unsigned char>* out, std::string* error, const std::string& path,
                    void* files) {
  if (!static_cast<BufferFiles*>(files)->folder.Holds(path)) {
    *error = "the file lies outside the model's folder and is not read";
    return false;
  }
  std::string problem;
  if (!platform::ReadWholeFile(path, *out, &problem, kMaxModelFileBytes)) {
    *error = problem.empty() ? "the file does not exist" : problem;
    return false;
  }
  return true;
}

bool WriteNoFile(std::string* error, const std::string&, const std::vector<unsigned char>&, void*) {
  *error = "an import writes no file";
  return false;
}

// Keeps an embedded image's bytes as they are. Images in a buffer view are left to the reader,
// which takes them from the view after checking its bounds (tinygltf does not check them).
bool KeepImageBytes(tinygltf::Image* image, const int, std::string*, std::string*, int, int,
                    const unsigned char* bytes, int size, void*) {
  image->as_is = true;
  if (image->bufferView < 0 && bytes && size > 0) image->image.assign(bytes, bytes + size);
  return true;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  for (char& c : text) {
    if (c == '\n') c = ';';
  }
  return text;
}

std::uint32_t Word(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  if (at + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

// The JSON chunk of a .glb container, checked enough for CheckGltfJson; tinygltf checks the rest.
std::string_view GlbJson(const std::string& bytes, const std::string& fileName) {
  if (bytes.size() < 20 || bytes.compare(0, 4, "glTF") != 0) {
    throw SceneFileError(fileName, "", "not a binary glTF file: it does not start with \"glTF\"");
  }
  std::uint32_t length = Word(bytes, 12);
  if (Word(bytes, 16) != 0x4E4F534Au || length > bytes.size() - 20) {
    throw SceneFileError(fileName, "", "the binary glTF file's JSON chunk is broken");
  }
  return std::string_view(bytes).substr(20, length);
}

}  // namespace

tinygltf::Model LoadGltfBytes(const std::string& bytes, bool binary, const std::string& fileName,
                              const std::filesystem::path& baseFolder,
                              std::vector<std::string>& warnings) {
  if (bytes.size() > kMaxModelFileBytes) {
    throw SceneFileError(
        fileName, "", "the file holds more than " + std::to_string(kMaxModelFileBytes) + " bytes");
  }
  if (binary && bytes.compare(0, 4, "glTF") == 0 && Word(bytes, 4) == 1) {
    throw GltfVersion1Error(fileName, "",
                            "the file is binary glTF 1.0, which the glTF reader does not read (it "
                            "reads glTF 2.0)");
  }
  CheckGltfJson(binary ? GlbJson(bytes, fileName) : std::string_view(bytes), fileName);
  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(KeepImageBytes, nullptr);
  std::string base = baseFolder.string();
  BufferFiles files{!base.empty() && base.back() == '/' ? base : base + "/",
                    ModelFolder(baseFolder)};
  loader.SetFsCallbacks(
      {BufferFileExists, BufferFilePath, ReadBufferFile, WriteNoFile, static_cast<void*>(&files)});
  tinygltf::Model model;
  std::string error, warning;
  bool loaded = false;
  try {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    auto length = static_cast<unsigned int>(bytes.size());
    loaded = binary
                 ? loader.LoadBinaryFromMemory(&model, &error, &warning, data, length, base)
                 : loader.LoadASCIIFromString(&model, &error, &warning, bytes.data(), length, base);
  } catch (const std::exception& failure) {
    error = failure.what();
  }
  if (!loaded) {
    throw SceneFileError(fileName, "", error.empty() ? "not a readable glTF file" : Trimmed(error));
  }
  if (!warning.empty()) warnings.push_back(Trimmed(warning));
  return model;
}

tinygltf::Model LoadGltf(const std::filesystem::path& path, bool binary,
                         const std::string& fileName, std::vector<std::string>& warnings) {
  std::string problem;
  std::optional<std::string> bytes = platform::ReadWholeFile(path, &problem, kMaxModelFileBytes);
  if (!bytes) {
    throw SceneFileError(fileName, "",
                         problem.empty() ? "does not exist" : "cannot be read: " + problem);
  }
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
  return LoadGltfBytes(*bytes, binary, fileName, error ? path.parent_path() : folder, warnings);
}

}  // namespace sim::import
