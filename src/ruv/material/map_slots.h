// Texture slots filled from the host's maps.
#pragma once

#include <string>

#include "ruv/core/xmaterial.h"

class Texmap;

// The map's name made a clean identifier, with '_' appended until no slot of the record has it.
std::wstring MakeMapName(const XMaterial& record, const wchar_t* mapName);

// The file name part of a path: after its last '\', else after its last '/', else all of it.
std::wstring FileNameOf(const wchar_t* path);

// Normal Bump maps hold the real map as their sub-map 0; `normalMap` tells the caller it was one.
Texmap* UnwrapNormalBump(Texmap* map, bool& normalMap);

// Fills slot `index` of `record` from a bitmap map.
void FillBitmapSlot(XMaterial& record, int index, Texmap* bitmap);

// Fills slot `index` of `record` from a procedural map that is rendered to a file; false (slot left
// empty) when the map has no channel or is a Vertex Color map while vertex colours are exported.
bool FillProceduralSlot(XMaterial& record, int index, Texmap* map);
