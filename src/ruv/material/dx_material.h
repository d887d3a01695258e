// DirectX shader materials: their effect file, effect bitmaps and effect parameters, as they are.
#pragma once

#include <memory>

#include "ruv/core/xmaterial.h"

class IParamBlock2;
class Mtl;

// The record of a DirectX shader material; a white "_ErrorDxMaterial" record, after telling the
// user, when the material names no effect file.
std::unique_ptr<XMaterial> ExtractDxMaterial(Mtl* material);

// Appends the block's parameters to the effect material's parameter lists, by type.
void CaptureEffectParams(XEffectMaterial& record, IParamBlock2* block);
