// Procedural maps rendered into bitmap files, so the output folder holds every texture as a file.
#pragma once

#include <string>

class Texmap;

// Renders `map` at width x height pixels into a 32-bit .bmp with alpha at `targetPath` (a host
// path). False when nothing could be rendered or written.
bool RenderProceduralMap(Texmap* map, const std::wstring& targetPath, int width, int height);
