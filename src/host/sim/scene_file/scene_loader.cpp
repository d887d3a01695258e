#include "host/sim/scene_file/scene_loader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/app_settings_reader.h"
#include "host/sim/scene_file/json_parser.h"
#include "host/sim/scene_file/json_place.h"
#include "host/sim/scene_file/material_reader.h"
#include "host/sim/scene_file/node_list_reader.h"
#include "host/sim/scene_file/scene_limits.h"
#include "platform/whole_file.h"

namespace sim {

namespace {

constexpr const char* kFormatName = "ruv-scene";

std::string TooLarge(std::uintmax_t bytes) {
  return "the file holds " + std::to_string(bytes) + " bytes, more than the limit of " +
         std::to_string(SceneLimits::kMaxFileBytes);
}

// Returns the file's format version.
int ReadHeader(const JsonPlace& document) {
  JsonPlace format = document.Field("format");
  if (format.String() != kFormatName) {
    format.Fail(std::string("expected \"") + kFormatName + "\": this is not a scene file");
  }
  JsonPlace version = document.Field("version");
  long long number = version.Integer(1, INT32_MAX);
  if (number > kSceneFormatVersion) {
    version.Fail("version " + std::to_string(number) + " is newer than this program reads (up to " +
                 std::to_string(kSceneFormatVersion) + ")");
  }
  return static_cast<int>(number);
}

// Fills `builder`; the scene is built once the document is gone, so that the two are never held
// together.
void ReadDocument(const JsonDocument& json, const std::string& sourceName,
                  const std::filesystem::path& baseFolder, SceneBuilder& builder) {
  JsonPlace document(json, "", sourceName);
  document.ExpectObject({"format", "version", "application", "materials", "root", "nodes"});
  int version = ReadHeader(document);
  RefuseLaterKeys(document, version, 4, {"materials"});
  if (auto application = document.OptionalField("application")) {
    ReadApplication(*application, baseFolder, builder);
  }
  MaterialTable materials = ReadMaterials(document.OptionalField("materials"), baseFolder);
  ReadNodes(document.OptionalField("root"), document.OptionalField("nodes"), version, materials,
            builder);
}

// Relative paths in the file resolve against this folder.
std::filesystem::path NormalFolder(const std::filesystem::path& baseFolder) {
  std::error_code error;
  std::filesystem::path base = std::filesystem::absolute(
      baseFolder.empty() ? std::filesystem::path(".") : baseFolder, error);
  if (error) base = baseFolder;
  return base.lexically_normal();
}

}  // namespace

std::unique_ptr<SimScene> LoadSceneText(std::string_view text, const std::string& sourceName,
                                        const std::filesystem::path& baseFolder) {
  if (text.size() > SceneLimits::kMaxFileBytes) {
    throw SceneFileError(sourceName, "", TooLarge(text.size()));
  }
  SceneBuilder builder;
  {
    JsonDocument json = ParseJson(text, sourceName);
    ReadDocument(json, sourceName, NormalFolder(baseFolder), builder);
  }
  return std::move(builder).Build();
}

std::unique_ptr<SimScene> LoadSceneFile(const std::filesystem::path& path) {
  std::string name = path.string();
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw SceneFileError(name, "", "is a folder, not a scene file");
  }
  std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) throw SceneFileError(name, "", "cannot be read: " + error.message());
  if (size > SceneLimits::kMaxFileBytes) throw SceneFileError(name, "", TooLarge(size));
  platform::WholeFileBuffer text;
  {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
      throw SceneFileError(name, "", "cannot be read: " + std::string(std::strerror(errno)));
    bool read = text.ReadToEnd(fd, static_cast<std::size_t>(size));
    int readErrno = errno;
    ::close(fd);
    if (!read)
      throw SceneFileError(name, "", "cannot be read: " + std::string(std::strerror(readErrno)));
  }
  // The file may have grown since its size was checked.
  if (text.Size() > SceneLimits::kMaxFileBytes)
    throw SceneFileError(name, "", TooLarge(text.Size()));
  std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
  if (error) folder = path.parent_path();
  // The document holds its own copy of every string: the text goes before the scene is built.
  SceneBuilder builder;
  {
    JsonDocument json = ParseJson(std::string_view(text.Data(), text.Size()), name);
    text.Release();
    ReadDocument(json, name, NormalFolder(folder), builder);
  }
  return std::move(builder).Build();
}

}  // namespace sim
