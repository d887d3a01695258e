// Helpers of the import tests: the mesh and materials a node holds, broken models written to a
// temporary folder, runs of ruvx, and Assimp's sample models when the package is installed.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/sim/import/model_import.h"
#include "host/tri_object.h"

namespace test {

namespace fs = std::filesystem;

inline const fs::path kModels = fs::path(RUV_SOURCE_DIR) / "examples" / "models";
inline const fs::path kAssimpModels = "/usr/share/assimp/models";

// A file's bytes, empty when it cannot be read.
inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The mesh the exporter would get from the node's object.
inline Mesh MeshOf(INode* node) {
  Object* object = node->GetObjectRef();
  Object* converted = object->ConvertToType(0, TRIOBJ_CLASS_ID);
  Mesh mesh = static_cast<TriObject*>(converted)->GetMesh();
  if (converted != object) converted->DeleteMe();
  return mesh;
}

// A folder of its own for one test, removed afterwards.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag)
      : path_(fs::temp_directory_path() /
              ("ruv-import-" + tag + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() { fs::remove_all(path_); }
  const fs::path& Path() const { return path_; }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return path_ / name;
  }

 private:
  fs::path path_;
};

inline sim::import::ImportedScene Import(const fs::path& path, const fs::path& imageFolder = {},
                                         float scale = 1.0f) {
  sim::import::ImportSettings settings;
  settings.scale = scale;
  settings.imageFolder = imageFolder.empty() ? fs::temp_directory_path() : imageFolder;
  return sim::import::ImportModelFile(path, settings);
}

struct RuvxResult {
  int status = -1;
  std::string output;  // standard output and error together
};

// Runs the built ruvx with `arguments`, after `prefix` (such as "timeout 20 ").
inline RuvxResult Ruvx(const std::string& arguments, const std::string& prefix = "") {
  std::string command =
      prefix + (fs::path(RUV_BIN_DIR) / "ruvx").string() + " " + arguments + " 2>&1";
  RuvxResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer{};
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
    result.output.append(buffer.data(), n);
  }
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Skips the test when Assimp's sample models are not installed.
#define REQUIRE_ASSIMP_MODEL(path) \
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed"

}  // namespace test
