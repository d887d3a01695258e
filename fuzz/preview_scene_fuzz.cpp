// Any bytes the .x reader accepts, through the preview's scene reader and poser (no drawing): a
// document the reader accepted always becomes a scene, and every index in it is one the renderer
// can follow.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "preview/scene_pose.h"
#include "preview/scene_reader.h"
#include "xof/file_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckMesh(const preview::PreviewMesh& mesh, std::size_t frames) {
  std::size_t vertices = mesh.positions.size();
  Check(mesh.indices.size() % 3 == 0);
  Check(mesh.triangleMaterial.size() == mesh.indices.size() / 3);
  for (std::uint32_t index : mesh.indices) Check(index < vertices);
  for (std::uint32_t material : mesh.triangleMaterial) Check(material < mesh.materials.size());
  Check(mesh.normals.empty() || mesh.normals.size() == vertices);
  Check(mesh.texcoords.empty() || mesh.texcoords.size() == 2 * vertices);
  Check(mesh.colors.empty() || mesh.colors.size() == vertices);
  Check(mesh.sourceVertex.empty() || mesh.sourceVertex.size() == vertices);
  Check(mesh.frame < static_cast<int>(frames));
  for (const preview::SkinBone& bone : mesh.bones) {
    Check(bone.vertices.size() == bone.weights.size());
    Check(bone.frame < static_cast<int>(frames));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  xof::ReadResult read =
      xof::ReadXFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!read.ok()) return 0;
  // Textures are only looked for, never decoded, here; a folder that does not exist keeps the
  // lookups off whatever the working folder holds.
  preview::PreviewScene scene = preview::ReadPreviewScene(*read.document, "/nonexistent-folder");
  for (std::size_t f = 0; f < scene.frames.size(); ++f) {
    Check(scene.frames[f].parent < static_cast<int>(f));
  }
  for (const preview::PreviewMesh& mesh : scene.meshes) CheckMesh(mesh, scene.frames.size());
  for (const preview::MeshInstance& instance : scene.instances) {
    Check(instance.mesh < scene.meshes.size());
    Check(instance.frame < static_cast<int>(scene.frames.size()));
  }
  for (const preview::FrameAnimation& animation : scene.animations) {
    Check(animation.frame >= 0 && animation.frame < static_cast<int>(scene.frames.size()));
  }
  for (std::optional<double> time : {std::optional<double>(), std::optional<double>(0.0),
                                     std::optional<double>(1234.5), std::optional<double>(1e12)}) {
    preview::PosedScene posed = preview::PoseScene(scene, time);
    Check(posed.meshes.size() == scene.meshes.size());
    Check(posed.instances.size() == scene.instances.size());
    for (const preview::PosedInstance& instance : posed.instances) {
      Check(instance.ownSkin < static_cast<int>(posed.ownSkins.size()));
    }
  }
  return 0;
}
