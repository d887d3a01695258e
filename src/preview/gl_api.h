// OpenGL entry points taken from Mesa's off-screen library itself. A process may also load
// another OpenGL library (the Qt dialog brings the vendor-neutral dispatcher), whose functions of
// the same names draw nothing without a context of its own; so every call goes through pointers
// asked of OSMesa, declared here in namespace preview where they hide the global names.
#pragma once

// The prototypes give the pointers their types; this header must come before any other OpenGL
// header, so the off-screen library's own header is included from here too.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/osmesa.h>

// clang-format off
#define RUV_GL_FUNCTIONS(X) \
  X(glAttachShader) \
  X(glBindAttribLocation) \
  X(glBindBuffer) \
  X(glBindTexture) \
  X(glBufferData) \
  X(glClear) \
  X(glClearColor) \
  X(glCompileShader) \
  X(glCreateProgram) \
  X(glCreateShader) \
  X(glCullFace) \
  X(glDeleteBuffers) \
  X(glDeleteProgram) \
  X(glDeleteShader) \
  X(glDeleteTextures) \
  X(glDisable) \
  X(glDisableVertexAttribArray) \
  X(glDrawArrays) \
  X(glDrawElements) \
  X(glEnable) \
  X(glEnableVertexAttribArray) \
  X(glFinish) \
  X(glFrontFace) \
  X(glGenBuffers) \
  X(glGenTextures) \
  X(glGenerateMipmap) \
  X(glGetIntegerv) \
  X(glGetProgramInfoLog) \
  X(glGetProgramiv) \
  X(glGetShaderInfoLog) \
  X(glGetShaderiv) \
  X(glGetUniformLocation) \
  X(glLinkProgram) \
  X(glPixelStorei) \
  X(glPolygonMode) \
  X(glPolygonOffset) \
  X(glScissor) \
  X(glShaderSource) \
  X(glTexImage2D) \
  X(glTexParameteri) \
  X(glUniform1f) \
  X(glUniform1i) \
  X(glUniform3f) \
  X(glUniform3fv) \
  X(glUniform4f) \
  X(glUniform4fv) \
  X(glUniformMatrix3fv) \
  X(glUniformMatrix4fv) \
  X(glUseProgram) \
  X(glVertexAttrib2f) \
  X(glVertexAttrib3f) \
  X(glVertexAttrib4f) \
  X(glVertexAttribPointer) \
  X(glViewport)
// clang-format on

namespace preview {

#define RUV_GL_DECLARE(name) inline decltype(&::name) name = nullptr;
RUV_GL_FUNCTIONS(RUV_GL_DECLARE)
#undef RUV_GL_DECLARE

// Fills the pointers from the current OSMesa context; the name of the first one missing, or
// nullptr when all were found.
const char* LoadGlFunctions();

}  // namespace preview
