// The pieces of a generated effect file, in file order. Each returns its text with "\n" line ends
// exactly as it stands in the file before the line ends become CR LF. Trailing spaces and double
// spaces are part of the generated text and are kept.
#pragma once

#include <string>

#include "ruv/effect/effect_desc.h"

// What the options decide about an effect's text besides the description's own flags.
struct EffectChoices {
  const XEffectTexture* diffuse = nullptr;    // the first primary texture, sampled for the colour
  const XEffectTexture* normalMap = nullptr;  // the first normal map, only with NormalMapCode on
  bool rightHand = false;                     // the RightHand option
};

// Reads the NormalMapCode and RightHand options. The pointers point into `desc.textures` and live
// as long as it does.
EffectChoices ChooseEffectFragments(const XEffectDesc& desc);

// `value` as C's "%f" writes it (six decimals, '-' on negative zero), in any locale.
std::string FormatEffectNumber(float value);

// The TODO line, the global annotation block and the three matrices.
std::string EffectHeader();
// The emissive and light switches, the light direction and the four colour parameters.
std::string EffectParameters(const XEffectDesc& desc, const EffectChoices& choices);
// One texture declaration per texture, then one sampler per texture.
std::string EffectSamplers(const XEffectDesc& desc);
// VS_INPUT: the position, one TexCoord per coordinate set, and every vertex member that the vertex
// shader reads or the options ask for.
std::string VertexInput(const XEffectDesc& desc, const EffectChoices& choices);
// VS_OUTPUT: the position, the coordinate sets, the vertex colour and the lighting term.
std::string VertexOutput(const XEffectDesc& desc, const EffectChoices& choices);
// VS: transforms the position, copies colour and coordinates, and lights per vertex or moves the
// light into tangent space for the normal map.
std::string VertexShader(const XEffectDesc& desc, const EffectChoices& choices);
// PS: the diffuse colour or texture, the bump term, the emissive colour and the vertex colour.
std::string PixelShader(const XEffectDesc& desc, const EffectChoices& choices);
// One technique with one pass compiling both shaders for shader model 3.0.
std::string EffectTechnique();
