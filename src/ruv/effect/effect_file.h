// The HLSL effect file generated for an effect material: a ready-to-edit DirectX 9 effect with one
// technique, textured per pixel, optionally normal-mapped and blended with the vertex colour.
#pragma once

#include <string>

#include "ruv/effect/effect_desc.h"

// The whole effect text with "\n" line ends. Reads the NormalMapCode and RightHand options.
std::string GenerateEffectText(const XEffectDesc& desc);

// Writes the effect text to `desc.path` (a host path) with CR LF line ends, replacing any file
// there; whether one may be replaced is the caller's decision. The file is written whole or not at
// all. False, with nothing written and no message, when the path is empty or the file cannot be
// written.
bool WriteEffectFile(const XEffectDesc& desc);
