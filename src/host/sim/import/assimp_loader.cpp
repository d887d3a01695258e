// The Assimp readers, through the module that holds them (assimp_module.h), loaded on first use.
#include <new>
#include <stdexcept>

#include "host/sim/import/assimp_module.h"
#include "host/sim/import/assimp_reader.h"
#include "host/sim/import/model_formats.h"
#include "host/sim/import/model_import.h"
#include "platform/loaded_module.h"
#include "ruv_version.h"

namespace sim::import {

namespace {

// Its address names the program this code is linked into, which the module lies beside.
const char kThisProgram = 0;

// The module's calls; throws ReaderModuleError naming `file` when it cannot be loaded.
const AssimpModuleCalls& Readers(const std::string& file) {
  static const platform::ModuleCalls<AssimpModuleCalls> loaded =
      platform::LoadModuleCalls<AssimpModuleCalls>(&kThisProgram, kAssimpModuleFile,
                                                   kAssimpModuleEntry, RUV_VERSION);
  if (!loaded.calls) {
    throw ReaderModuleError(file, "", "Assimp's readers cannot be used: " + loaded.problem);
  }
  return *loaded.calls;
}

void ThrowFailure(const AssimpCallResult& result) {
  switch (result.outcome) {
    case AssimpCallResult::Outcome::kDone:
      return;
    case AssimpCallResult::Outcome::kOutOfMemory:
      throw std::bad_alloc();
    case AssimpCallResult::Outcome::kSceneFileError:
      throw SceneFileError(result.file, result.place, result.problem);
    case AssimpCallResult::Outcome::kOtherError:
      throw std::runtime_error(result.problem);
  }
}

}  // namespace

ImportedModel ReadAssimpFile(const std::filesystem::path& path, const std::string& fileName,
                             const ImportSettings& settings) {
  ImportedModel model;
  ThrowFailure(Readers(fileName).read(path, fileName, settings, model));
  return model;
}

ImportedModel ReadGltf1File(const std::filesystem::path& path, const std::string& fileName,
                            const ImportSettings& settings, const GltfVersion1Error&) {
  ImportSettings yUp = settings;
  yUp.up = UpAxis::kY;
  try {
    return ReadAssimpFile(path, fileName, yUp);
  } catch (const ReaderModuleError&) {
    throw;
  } catch (const SceneFileError& failure) {
    throw SceneFileError(
        fileName, failure.Place(),
        "the file is glTF 1.0, and Assimp's reader of it refused it: " + failure.Problem());
  }
}

std::vector<std::string> AssimpFileExtensions() {
  std::vector<std::string> extensions;
  ThrowFailure(Readers(kAssimpModuleFile).extensions(extensions));
  return extensions;
}

}  // namespace sim::import
