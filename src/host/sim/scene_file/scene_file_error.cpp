#include "host/sim/scene_file/scene_file_error.h"

namespace sim {

namespace {
std::string Compose(const std::string& file, const std::string& place, const std::string& problem) {
  return place.empty() ? file + ": " + problem : file + ": " + place + ": " + problem;
}
}  // namespace

SceneFileError::SceneFileError(std::string file, std::string place, std::string problem)
    : std::runtime_error(Compose(file, place, problem)),
      file_(std::move(file)),
      place_(std::move(place)),
      problem_(std::move(problem)) {}

}  // namespace sim
