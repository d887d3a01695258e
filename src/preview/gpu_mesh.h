// A mesh uploaded for drawing: vertex buffers, its triangles grouped by material, and the
// materials' textures. Uploaded once and drawn at each of its instances.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "preview/preview_scene.h"
#include "preview/scene_pose.h"
#include "preview/shading.h"

namespace preview {

// Textures decoded once per file, shared by every material naming it.
class TextureCache {
 public:
  TextureCache() = default;
  ~TextureCache();
  TextureCache(const TextureCache&) = delete;
  TextureCache& operator=(const TextureCache&) = delete;
  // The texture object, or 0 when the file cannot be decoded (said once in `warnings`).
  GLuint Get(const std::string& path, std::vector<std::string>& warnings);

 private:
  std::map<std::string, GLuint> textures_;
};

class GpuMesh {
 public:
  // `posed` gives the skinned vertices of a skinned mesh; the mesh's own otherwise.
  GpuMesh(const PreviewMesh& mesh, const PosedMesh& posed, TextureCache& textures,
          std::vector<std::string>& warnings);
  ~GpuMesh();
  GpuMesh(const GpuMesh&) = delete;
  GpuMesh& operator=(const GpuMesh&) = delete;

  // Placed by `world`; shaded with the materials, or, with `flat`, every triangle in the
  // program's flat colour.
  void Draw(const ShadingProgram& program, const Mat4& world, bool flat) const;

 private:
  struct Range {
    std::size_t material;
    std::size_t first, count;  // in indices
  };
  const PreviewMesh& mesh_;
  GLuint buffers_[5] = {};  // positions, normals, texcoords, colours, indices
  bool hasNormals_ = false, hasTexcoords_ = false, hasColors_ = false;
  std::vector<Range> ranges_;
  std::vector<GLuint> materialTextures_;
};

}  // namespace preview
