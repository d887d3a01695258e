// Procedural maps rendered into bitmap files, so the output folder holds every texture as a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Texmap;

// Renders `map` at width x height pixels into a 32-bit .bmp with alpha at `targetPath` (a host
// path). False when nothing could be rendered or written.
bool RenderProceduralMap(Texmap* map, const std::wstring& targetPath, int width, int height);

// The same pixels as 8-bit RGBA, top row first, for a texture converted to another format. Empty
// when there is no map.
std::vector<std::uint8_t> RenderProceduralPixels(Texmap* map, int width, int height);
