#include "ruv/material/procedural_render.h"

// Procedural maps reach the exporter with material export; until then there is nothing to render.
bool RenderProceduralMap(Texmap*, const std::wstring&, int, int) { return false; }
