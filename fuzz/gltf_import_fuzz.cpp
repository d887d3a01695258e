// Any bytes as a glTF model (a .glb when they start with "glTF", else .gltf text): the importer
// builds a scene or throws its one error type.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/sim/import/animation_timeline.h"
#include "host/sim/import/gltf_loader.h"
#include "host/sim/import/gltf_reader.h"
#include "host/sim/import/model_assembly.h"
#include "host/sim/import/model_repair.h"
#include "host/sim/scene_file/scene_file_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  bool binary = bytes.compare(0, 4, "glTF") == 0;
  try {
    sim::import::ImportedModel model;
    tinygltf::Model document =
        sim::import::LoadGltfBytes(bytes, binary, "fuzz.gltf", "/nonexistent", model.warnings);
    sim::import::GltfContext context{
        document,       sim::import::GltfAccessors(document, "fuzz.gltf"),
        "fuzz.gltf",    "/nonexistent",
        "/nonexistent", model};
    sim::import::ReadGltfModel(context);
    sim::import::RepairModel(model);
    sim::import::LayOutClips(model, "fuzz.gltf");
    sim::import::AssembleScene(model, 1.0f, "fuzz.gltf", L"");
  } catch (const sim::SceneFileError&) {
  }
  return 0;
}
