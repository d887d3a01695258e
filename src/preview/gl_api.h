// OpenGL with the entry points past 1.1; Mesa's OSMesa library exports them all directly.
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
