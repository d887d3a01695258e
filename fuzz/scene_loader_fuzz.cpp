// Any text as a scene file: the loader builds a scene or throws its one error type.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    sim::LoadSceneText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.json");
  } catch (const sim::SceneFileError&) {
  }
  return 0;
}
