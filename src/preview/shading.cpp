#include "preview/shading.h"

#include <string>

#include "preview/render_error.h"

namespace preview {
namespace {

constexpr const char* kVertexShader = R"(#version 120
attribute vec3 aPosition;
attribute vec3 aNormal;
attribute vec2 aTexcoord;
attribute vec4 aColor;
uniform mat4 uWorld;
uniform mat3 uNormalMatrix;
uniform mat4 uViewProjection;
varying vec3 vWorld;
varying vec3 vNormal;
varying vec2 vTexcoord;
varying vec4 vColor;
void main() {
  vec4 world = uWorld * vec4(aPosition, 1.0);
  vWorld = world.xyz;
  vNormal = uNormalMatrix * aNormal;
  vTexcoord = aTexcoord;
  vColor = aColor;
  gl_Position = uViewProjection * world;
}
)";

// A vertex without a normal gets the face's own, from the screen-space derivatives, turned to the
// viewer (only front faces are drawn).
constexpr const char* kFragmentShader = R"(#version 120
uniform vec3 uEye;
uniform vec3 uToLight;
uniform vec4 uDiffuse;
uniform vec3 uSpecular;
uniform float uPower;
uniform vec3 uEmissive;
uniform bool uTextured;
uniform sampler2D uTexture;
uniform bool uFlat;
varying vec3 vWorld;
varying vec3 vNormal;
varying vec2 vTexcoord;
varying vec4 vColor;
void main() {
  if (uFlat) {
    gl_FragColor = vec4(uDiffuse.rgb, 1.0);
    return;
  }
  vec3 toEye = normalize(uEye - vWorld);
  vec3 n = vNormal;
  if (dot(n, n) < 1e-12) {
    n = cross(dFdx(vWorld), dFdy(vWorld));
    if (dot(n, toEye) < 0.0) n = -n;
  }
  n = normalize(n);
  vec4 base = uDiffuse * vColor;
  if (uTextured) base *= texture2D(uTexture, vTexcoord);
  float lambert = max(dot(n, uToLight), 0.0);
  float fill = max(dot(n, toEye), 0.0);
  vec3 color = uEmissive + base.rgb * (0.3 + 0.6 * lambert + 0.18 * fill);
  if (uPower > 0.0 && lambert > 0.0) {
    vec3 h = normalize(uToLight + toEye);
    color += uSpecular * pow(max(dot(n, h), 0.0), uPower);
  }
  gl_FragColor = vec4(clamp(color, 0.0, 1.0), 1.0);
}
)";

GLuint Compile(GLenum kind, const char* source) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    glDeleteShader(shader);
    throw RenderError(std::string("the preview's shader does not build: ") + log);
  }
  return shader;
}

}  // namespace

ShadingProgram::ShadingProgram() {
  GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader);
  GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  program_ = glCreateProgram();
  glAttachShader(program_, vertex);
  glAttachShader(program_, fragment);
  glBindAttribLocation(program_, kPosition, "aPosition");
  glBindAttribLocation(program_, kNormal, "aNormal");
  glBindAttribLocation(program_, kTexcoord, "aTexcoord");
  glBindAttribLocation(program_, kColor, "aColor");
  glLinkProgram(program_);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = 0;
  glGetProgramiv(program_, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetProgramInfoLog(program_, sizeof log, nullptr, log);
    throw RenderError(std::string("the preview's shaders do not link: ") + log);
  }
  world_ = glGetUniformLocation(program_, "uWorld");
  normalMatrix_ = glGetUniformLocation(program_, "uNormalMatrix");
  viewProjection_ = glGetUniformLocation(program_, "uViewProjection");
  eye_ = glGetUniformLocation(program_, "uEye");
  toLight_ = glGetUniformLocation(program_, "uToLight");
  diffuse_ = glGetUniformLocation(program_, "uDiffuse");
  specular_ = glGetUniformLocation(program_, "uSpecular");
  power_ = glGetUniformLocation(program_, "uPower");
  emissive_ = glGetUniformLocation(program_, "uEmissive");
  textured_ = glGetUniformLocation(program_, "uTextured");
  texture_ = glGetUniformLocation(program_, "uTexture");
  flat_ = glGetUniformLocation(program_, "uFlat");
}

ShadingProgram::~ShadingProgram() { glDeleteProgram(program_); }

void ShadingProgram::Use() const {
  glUseProgram(program_);
  glUniform1i(texture_, 0);
}

// Matrices are passed as stored: OpenGL reads the row-vector matrix column by column, which is
// its transpose, so `M * v` in the shader is the DirectX `v * M`.
void ShadingProgram::SetCamera(const Mat4& viewProjection, Vec3 eye, Vec3 toLight) const {
  glUniformMatrix4fv(viewProjection_, 1, GL_FALSE, viewProjection.m.data());
  glUniform3f(eye_, eye.x, eye.y, eye.z);
  glUniform3f(toLight_, toLight.x, toLight.y, toLight.z);
}

void ShadingProgram::SetWorld(const Mat4& world) const {
  glUniformMatrix4fv(world_, 1, GL_FALSE, world.m.data());
  Mat4 normal = Transpose(InverseAffine(world));
  float n[9];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) n[r * 3 + c] = normal(r, c);
  }
  glUniformMatrix3fv(normalMatrix_, 1, GL_FALSE, n);
}

void ShadingProgram::SetMaterial(const MaterialColors& colors) const {
  glUniform1i(flat_, 0);
  glUniform4fv(diffuse_, 1, colors.diffuse);
  glUniform3fv(specular_, 1, colors.specular);
  glUniform1f(power_, colors.power);
  glUniform3fv(emissive_, 1, colors.emissive);
  glUniform1i(textured_, colors.textured ? 1 : 0);
}

void ShadingProgram::SetFlatColor(float r, float g, float b) const {
  glUniform1i(flat_, 1);
  glUniform4f(diffuse_, r, g, b, 1.0f);
}

}  // namespace preview
