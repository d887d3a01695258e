// What the Assimp module (ruv_import_assimp.so) gives the importer: every reader that goes
// through Assimp, in a module of its own beside the program, so that Assimp and the libraries it
// brings are mapped only when a model needs them (glTF, `.x` and scene files never do). The
// module links its own copy of the layers below; nothing passes between the two sides but the
// arguments of a call, and no exception leaves a call: a failure comes back as a result and is
// thrown again on the importer's side.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/sim/import/import_settings.h"
#include "host/sim/import/imported_model.h"

namespace sim::import {

inline constexpr const char* kAssimpModuleFile = "ruv_import_assimp.so";
// The one function the module exports: it returns its calls.
inline constexpr const char* kAssimpModuleEntry = "RuvAssimpModuleCalls";

// How a call ended, and for a failure what it threw.
struct AssimpCallResult {
  enum class Outcome { kDone, kSceneFileError, kOtherError, kOutOfMemory };
  Outcome outcome = Outcome::kDone;
  // A SceneFileError's parts; what() alone for another error.
  std::string file;
  std::string place;
  std::string problem;
};

struct AssimpModuleCalls {
  // The release the module was built for (RUV_VERSION): one of another release is refused, as the
  // types the calls take may differ.
  const char* version;
  // Reads the model at `path` into `model` (empty when called); errors name `fileName`.
  AssimpCallResult (*read)(const std::filesystem::path& path, const std::string& fileName,
                           const ImportSettings& settings, ImportedModel& model);
  // The extensions Assimp reads, lower case with the dot.
  AssimpCallResult (*extensions)(std::vector<std::string>& extensions);
};

}  // namespace sim::import
