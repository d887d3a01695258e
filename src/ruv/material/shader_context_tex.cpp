#include "ruv/material/shader_context_tex.h"

ShaderContextTex::ShaderContextTex() {
  mode = 0;
  doMaps = TRUE;
  filterMaps = FALSE;
  shadow = FALSE;
  backFace = FALSE;
  mtlNum = 0;
  nLights = 0;
  rayLevel = 0;
  ResetOutput();
}
