#include "ruv/effect/effect_fragments.h"

#include <charconv>

#include "platform/text_encoding.h"
#include "ruv/options/export_options.h"

namespace {

// The name of the company that ships the exporter, shown by effect tools that read SAS annotations.
constexpr const char* kEffectCompany = "Kavo";

std::string Ansi(const std::wstring& text) { return platform::WideToAnsi(text); }

std::string SamplerName(const XEffectTexture& texture) { return Ansi(texture.name) + "Sampler"; }

const char* AddressMode(std::uint32_t mode) {
  if (mode == 1) return "Wrap";
  if (mode == 2) return "Mirror";
  return "Clamp";
}

// "{ r, g, b, a }" with every number followed by the float suffix f.
std::string Float4(float a, float b, float c, float d) {
  return "{ " + FormatEffectNumber(a) + "f, " + FormatEffectNumber(b) + "f, " +
         FormatEffectNumber(c) + "f, " + FormatEffectNumber(d) + "f }";
}

// One TexCoord member per coordinate set, shared by both vertex structures.
std::string TexCoordMembers(const XEffectDesc& desc) {
  std::string members;
  for (std::int32_t set : desc.coordSets) {
    const std::string n = std::to_string(set);
    members += "   float2 TexCoord" + n + " : TEXCOORD" + n + ";\n";
  }
  return members;
}

}  // namespace

EffectChoices ChooseEffectFragments(const XEffectDesc& desc) {
  EffectChoices choices;
  for (const XEffectTexture& texture : desc.textures) {
    if (texture.role == 1 && !choices.diffuse) choices.diffuse = &texture;
    if (texture.role == 2 && !choices.normalMap && gExportOptions.NormalMapCode) {
      choices.normalMap = &texture;
    }
  }
  choices.rightHand = gExportOptions.RightHand != 0;
  return choices;
}

std::string FormatEffectNumber(float value) {
  // A float's largest finite value has 39 integer digits; "%f" never switches to an exponent.
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                              std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return "0.000000";
  return std::string(buffer, result.ptr);
}

std::string EffectHeader() {
  return std::string("//TODO: Modify the folowing code: \n") +
         "\nint GlobalParameter : SasGlobal \n< \n   int3 SasVersion = {1, 1, 0}; \n"
         "   string SasEffectDescription = \"This is a sample effect\"; \n"
         "   string SasEffectCompany = \"" +
         kEffectCompany + "\"; \n>; \n" +
         "\nfloat4x4 World      : WORLD <string SasBindAddress = "
         "\"Sas.Skeleton.MeshToJointToWorld[0]\";>; \n"
         "float4x4 View       : VIEW <string SasBindAddress = \"Sas.Camera.WorldToView\";>; \n"
         "float4x4 Projection : PROJECTION <string SasBindAddress = "
         "\"Sas.Camera.Projection\";>; \n";
}

std::string EffectParameters(const XEffectDesc& desc, const EffectChoices& choices) {
  const auto& e = desc.emissiveColor;
  const auto& s = desc.specularColor;
  const auto& f = desc.faceColor;
  const bool emissive = e[0] != 0.0f || e[1] != 0.0f || e[2] != 0.0f;
  std::string text =
      emissive ? "\nbool bEmissiveColor = true; \n" : "\nbool bEmissiveColor = false; \n";
  text += "bool bLight = true; \n";
  text += std::string("float3 lightDirection = ") +
          (choices.rightHand ? "{ 0, 0, 1 }" : "{ 0, 0, -1 }") + "; \n\n";
  text += "float4 DiffuseColor  = " + Float4(f[0], f[1], f[2], f[3]) + "; \n";
  text += "float  SpecularPower = " + FormatEffectNumber(desc.power) + "f; \n";
  text += "float4 SpecularColor = " + Float4(s[0], s[1], s[2], f[3]) + "; \n";
  text += "float4 EmissiveColor = " + Float4(e[0], e[1], e[2], f[3]) + "; \n\n";
  return text;
}

std::string EffectSamplers(const XEffectDesc& desc) {
  std::string text;
  for (const XEffectTexture& texture : desc.textures)
    text += "texture " + Ansi(texture.name) + "; \n";
  for (const XEffectTexture& texture : desc.textures) {
    text += "\nsampler2D " + SamplerName(texture) + " = sampler_state  // TexCoord" +
            std::to_string(texture.coordSet) + " \n{ \n   Texture = <" + Ansi(texture.name) +
            ">; \n   MinFilter = Linear; \n   MagFilter = Linear; \n   MipFilter = Linear; \n"
            "   AddressU  = " +
            AddressMode(texture.addressU) +
            ";     \n"
            "   AddressV  = " +
            AddressMode(texture.addressV) + ";     \n}; \n";
  }
  return text;
}

std::string VertexInput(const XEffectDesc& desc, const EffectChoices& choices) {
  // The vertex shader always reads N (for the light or the tangent frame) and reads T and B for a
  // normal map; a member it reads must be declared whatever the vertex options say, or the effect
  // does not compile.
  const bool tangentFrame = choices.normalMap != nullptr;
  std::string members = TexCoordMembers(desc);
  members += "   float3 N         : NORMAL;\n";
  if (desc.tangent || tangentFrame) members += "   float3 T         : TANGENT;\n";
  if (desc.binormal || tangentFrame) members += "   float3 B         : BINORMAL;\n";
  if (desc.vertexColor) members += "   float4 VertexColor : COLOR0;\n";
  return "\nstruct VS_INPUT \n{ \n   float4 Position  : POSITION; \n" + members + "}; \n";
}

std::string VertexOutput(const XEffectDesc& desc, const EffectChoices& choices) {
  std::string members = TexCoordMembers(desc);
  if (desc.vertexColor) members += "   float4 VertexColor : COLOR0;\n";
  members += choices.normalMap ? "   float3 LightTangentSpace : COLOR1;\n"
                               : "   float LightStrength     : COLOR1;\n";
  return "\nstruct VS_OUTPUT \n{ \n   float4 Position  : POSITION; \n" + members + "}; \n";
}

std::string VertexShader(const XEffectDesc& desc, const EffectChoices& choices) {
  std::string body;
  if (desc.vertexColor) body += "   OUT.VertexColor = IN.VertexColor; \n";
  for (std::int32_t set : desc.coordSets) {
    const std::string n = std::to_string(set);
    body += "   OUT.TexCoord" + n + ".xy = IN.TexCoord" + n + ".xy; \n";
  }
  if (choices.normalMap) {
    body += "   float3x3 TBN = { IN.T, IN.B, IN.N };\n";
    body += "   OUT.LightTangentSpace = mul( mul( TBN, (float3x3)World ), lightDirection );\n";
  } else {
    body += "   float3 WorldNormal = normalize( mul( IN.N, (float3x3)World ) );\n";
    body += "   OUT.LightStrength =  max(0, dot( WorldNormal, lightDirection ));\n";
  }
  body += "   return OUT;\n";
  return "\nVS_OUTPUT VS( VS_INPUT IN ) \n{ \n   //TODO: Modify the folowing code: \n"
         "   VS_OUTPUT OUT;\t \n   float4 oPos = mul( mul( IN.Position, World ), View ); \n"
         "   OUT.Position = mul( oPos, Projection ); \n" +
         body + "}; \n";
}

std::string PixelShader(const XEffectDesc& desc, const EffectChoices& choices) {
  const XEffectTexture* diffuse = choices.diffuse;
  const XEffectTexture* bump = choices.normalMap;
  std::string body;
  if (diffuse) {
    body += "   float4 color = tex2D( " + SamplerName(*diffuse) + ", vout.TexCoord" +
            std::to_string(diffuse->coordSet) + " ); \n";
    if (!bump) body += "   color.rgb = color.rgb * vout.LightStrength; \n";
    if (desc.diffuseMapColor) body += "   color = color * DiffuseColor; \n";
  } else {
    body += "   float4 color = DiffuseColor; \n";
    if (!bump) body += "   color.rgb = DiffuseColor.rgb * vout.LightStrength; \n";
  }
  if (bump) {
    body += "   if(bLight) \n   { \n     float3 bumpNormal =  2 * tex2D( " + SamplerName(*bump) +
            ", vout.TexCoord" + std::to_string(bump->coordSet) + " ) - 1 ;\n";
    if (choices.rightHand) body += "     bumpNormal.y = -bumpNormal.y;\n";
    body +=
        "     float3 LightVector1 = normalize(vout.LightTangentSpace);\n"
        "     float bump = max(0, dot( bumpNormal, LightVector1 ));\n"
        "     color.rgb = color.rgb * bump;\n   } \n";
  }
  body += "   if(bEmissiveColor)\n     color.rgb += EmissiveColor.rgb;\n";
  if (desc.vertexColor) {
    body +=
        "   color.rgb = vout.VertexColor.rgb * vout.VertexColor.a + color.rgb * ( 1.0f - "
        "vout.VertexColor.a );\n";
  }
  body += "   return  color; \n";
  return "\nfloat4  PS( VS_OUTPUT vout ) : COLOR \n{ \n   //TODO: Modify the folowing code: \n" +
         body + "}; \n";
}

std::string EffectTechnique() {
  return "\ntechnique DefaultTechnique \n{ \n   pass p0 \n   { \n"
         "      VertexShader = compile vs_3_0  VS(); \n"
         "      PixelShader  = compile ps_3_0  PS(); \n   } \n} \n";
}
