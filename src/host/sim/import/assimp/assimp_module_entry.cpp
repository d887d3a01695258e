// The Assimp module's one export: its calls, each of which catches what it throws (see
// assimp_module.h).
#include <new>
#include <stdexcept>

#include "host/sim/import/assimp/assimp_scene_reader.h"
#include "host/sim/import/assimp_module.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "ruv_version.h"

namespace sim::import {
namespace {

template <class Call>
AssimpCallResult Caught(Call&& call) {
  AssimpCallResult result;
  try {
    call();
  } catch (const std::bad_alloc&) {
    result.outcome = AssimpCallResult::Outcome::kOutOfMemory;
  } catch (const SceneFileError& failure) {
    result = {AssimpCallResult::Outcome::kSceneFileError, failure.File(), failure.Place(),
              failure.Problem()};
  } catch (const std::exception& failure) {
    result.outcome = AssimpCallResult::Outcome::kOtherError;
    result.problem = failure.what();
  }
  return result;
}

AssimpCallResult Read(const std::filesystem::path& path, const std::string& fileName,
                      const ImportSettings& settings, ImportedModel& model) {
  return Caught([&] { model = ReadWithAssimp(path, fileName, settings); });
}

AssimpCallResult Extensions(std::vector<std::string>& extensions) {
  return Caught([&] { extensions = AssimpExtensionList(); });
}

constexpr AssimpModuleCalls kCalls{RUV_VERSION, Read, Extensions};

}  // namespace
}  // namespace sim::import

extern "C" const sim::import::AssimpModuleCalls* RuvAssimpModuleCalls() {
  return &sim::import::kCalls;
}
