// The one shader program of the preview: per-pixel Lambert lighting plus the material's specular
// highlight, texture and vertex colour multiplied into the diffuse colour; or flat colour for the
// grid and the wireframe.
#pragma once

#include "preview/gl_api.h"
#include "preview/math3d.h"

namespace preview {

enum Attribute : GLuint { kPosition = 0, kNormal = 1, kTexcoord = 2, kColor = 3 };

struct MaterialColors {
  const float* diffuse;   // 4
  const float* specular;  // 3
  float power;
  const float* emissive;  // 3
  bool textured;
};

class ShadingProgram {
 public:
  ShadingProgram();  // throws RenderError when the shaders do not build
  ~ShadingProgram();
  ShadingProgram(const ShadingProgram&) = delete;
  ShadingProgram& operator=(const ShadingProgram&) = delete;

  void Use() const;
  void SetCamera(const Mat4& viewProjection, Vec3 eye, Vec3 toLight) const;
  void SetWorld(const Mat4& world) const;
  void SetMaterial(const MaterialColors& colors) const;
  void SetFlatColor(float r, float g, float b) const;

 private:
  GLuint program_ = 0;
  GLint world_, normalMatrix_, viewProjection_, eye_, toLight_;
  GLint diffuse_, specular_, power_, emissive_, textured_, texture_, flat_;
};

}  // namespace preview
