#include "preview/gpu_mesh.h"

#include "preview/image.h"

namespace preview {
namespace {

template <class T>
void Upload(GLenum target, GLuint buffer, const std::vector<T>& data) {
  glBindBuffer(target, buffer);
  glBufferData(target, static_cast<GLsizeiptr>(data.size() * sizeof(T)), data.data(),
               GL_STATIC_DRAW);
}

}  // namespace

TextureCache::~TextureCache() {
  for (auto& [path, texture] : textures_) {
    if (texture) glDeleteTextures(1, &texture);
  }
}

GLuint TextureCache::Get(const std::string& path, std::vector<std::string>& warnings) {
  auto found = textures_.find(path);
  if (found != textures_.end()) return found->second;
  std::string error;
  Image image = ReadImageFile(path, &error);
  GLint maxSide = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
  if (image.width > maxSide || image.height > maxSide) {
    error = "is " + std::to_string(image.width) + "x" + std::to_string(image.height) +
            ", larger than the " + std::to_string(maxSide) + " pixels a side that can be drawn";
    image = Image();
  }
  GLuint texture = 0;
  if (image.width > 0) {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Rows go up top row first, so the file's v = 0 (the image's top) is OpenGL's t = 0.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image.rgba.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  } else {
    warnings.push_back("texture '" + path + "' " + error + "; drawn in the material's colour");
  }
  textures_.emplace(path, texture);
  return texture;
}

GpuMesh::GpuMesh(const PreviewMesh& mesh, const PosedMesh& posed, TextureCache& textures,
                 std::vector<std::string>& warnings)
    : mesh_(mesh) {
  glGenBuffers(5, buffers_);
  bool skinned = !posed.skinnedPositions.empty();
  Upload(GL_ARRAY_BUFFER, buffers_[0], skinned ? posed.skinnedPositions : mesh.positions);
  const std::vector<Vec3>& normals = skinned ? posed.skinnedNormals : mesh.normals;
  hasNormals_ = !normals.empty();
  if (hasNormals_) Upload(GL_ARRAY_BUFFER, buffers_[1], normals);
  hasTexcoords_ = !mesh.texcoords.empty();
  if (hasTexcoords_) Upload(GL_ARRAY_BUFFER, buffers_[2], mesh.texcoords);
  hasColors_ = !mesh.colors.empty();
  if (hasColors_) Upload(GL_ARRAY_BUFFER, buffers_[3], mesh.colors);

  // Triangles grouped by material with a counting sort, one draw call per material.
  std::size_t materials = mesh.materials.size();
  std::vector<std::size_t> start(materials + 1, 0);
  for (std::uint32_t m : mesh.triangleMaterial) ++start[m + 1];
  for (std::size_t m = 0; m < materials; ++m) start[m + 1] += start[m];
  std::vector<std::uint32_t> sorted(mesh.indices.size());
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (std::size_t t = 0; t < mesh.triangleMaterial.size(); ++t) {
    std::size_t to = 3 * next[mesh.triangleMaterial[t]]++;
    for (int k = 0; k < 3; ++k) sorted[to + k] = mesh.indices[3 * t + k];
  }
  Upload(GL_ELEMENT_ARRAY_BUFFER, buffers_[4], sorted);
  for (std::size_t m = 0; m < materials; ++m) {
    if (start[m + 1] > start[m])
      ranges_.push_back({m, 3 * start[m], 3 * (start[m + 1] - start[m])});
  }
  materialTextures_.assign(materials, 0);
  for (std::size_t m = 0; m < materials && hasTexcoords_; ++m) {
    const std::string& path = mesh.materials[m].texturePath;
    if (!path.empty()) materialTextures_[m] = textures.Get(path, warnings);
  }
}

GpuMesh::~GpuMesh() { glDeleteBuffers(5, buffers_); }

void GpuMesh::Draw(const ShadingProgram& program, const Mat4& world, bool flat) const {
  program.SetWorld(world);
  glBindBuffer(GL_ARRAY_BUFFER, buffers_[0]);
  glEnableVertexAttribArray(kPosition);
  glVertexAttribPointer(kPosition, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
  auto bind = [this](bool present, int buffer, GLuint attribute, GLint size, GLenum type,
                     GLboolean normalized) {
    if (present) {
      glBindBuffer(GL_ARRAY_BUFFER, buffers_[buffer]);
      glEnableVertexAttribArray(attribute);
      glVertexAttribPointer(attribute, size, type, normalized, 0, nullptr);
    } else {
      glDisableVertexAttribArray(attribute);
    }
  };
  bind(hasNormals_, 1, kNormal, 3, GL_FLOAT, GL_FALSE);
  if (!hasNormals_) glVertexAttrib3f(kNormal, 0, 0, 0);
  bind(hasTexcoords_, 2, kTexcoord, 2, GL_FLOAT, GL_FALSE);
  if (!hasTexcoords_) glVertexAttrib2f(kTexcoord, 0, 0);
  bind(hasColors_, 3, kColor, 4, GL_UNSIGNED_BYTE, GL_TRUE);
  if (!hasColors_) glVertexAttrib4f(kColor, 1, 1, 1, 1);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[4]);
  for (const Range& range : ranges_) {
    if (!flat) {
      const PreviewMaterial& material = mesh_.materials[range.material];
      GLuint texture = materialTextures_[range.material];
      glBindTexture(GL_TEXTURE_2D, texture);
      program.SetMaterial(
          {material.diffuse, material.specular, material.power, material.emissive, texture != 0});
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(range.count), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(range.first * sizeof(std::uint32_t)));
  }
}

}  // namespace preview
