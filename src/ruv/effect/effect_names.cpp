#include "ruv/effect/effect_names.h"

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <string_view>

namespace {

// The effect language's words that a map could be named (keywords, types, intrinsics, sampler
// states), and every name the generated effect declares or uses. Compared without letter case:
// state names are case-insensitive in effect files.
constexpr std::wstring_view kReserved[] = {
    // names of the generated effect
    L"GlobalParameter", L"World", L"View", L"Projection", L"bEmissiveColor", L"bLight",
    L"lightDirection", L"DiffuseColor", L"SpecularPower", L"SpecularColor", L"EmissiveColor",
    L"VS_INPUT", L"VS_OUTPUT", L"VS", L"PS", L"DefaultTechnique", L"p0", L"IN", L"OUT", L"vout",
    L"oPos", L"TBN", L"LightTangentSpace", L"LightVector1", L"LightStrength", L"WorldNormal",
    L"bumpNormal", L"color", L"bump", L"Position", L"N", L"T", L"B", L"VertexColor", L"Sas",
    L"SasGlobal", L"SasVersion", L"SasEffectDescription", L"SasEffectCompany", L"SasBindAddress",
    // sampler states and their values
    L"Texture", L"AddressU", L"AddressV", L"AddressW", L"MinFilter", L"MagFilter", L"MipFilter",
    L"Linear", L"Point", L"None", L"Wrap", L"Clamp", L"Mirror", L"Border", L"PixelShader",
    L"VertexShader",
    // keywords, types and intrinsics
    L"bool", L"int", L"uint", L"half", L"float", L"double", L"float2", L"float3", L"float4",
    L"float3x3", L"float4x4", L"int3", L"string", L"struct", L"texture", L"sampler", L"sampler2D",
    L"sampler_state", L"technique", L"pass", L"return", L"if", L"else", L"for", L"while", L"do",
    L"true", L"false", L"const", L"static", L"uniform", L"extern", L"compile", L"register", L"in",
    L"out", L"inout", L"void", L"vector", L"matrix", L"dot", L"max", L"min", L"mul", L"normalize",
    L"tex2D", L"ps_3_0"};

std::wstring Folded(std::wstring_view name) {
  std::wstring out(name);
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

bool StartsWithFolded(std::wstring_view name, std::wstring_view prefix) {
  return name.size() > prefix.size() && Folded(name.substr(0, prefix.size())) == Folded(prefix);
}

// Numbered names: the vertex members TexCoordN, the semantics TEXCOORDN and COLORN, vs_N_N shaders.
bool IsNumberedReserved(std::wstring_view name) {
  for (std::wstring_view prefix : {std::wstring_view(L"TexCoord"), std::wstring_view(L"Color")}) {
    if (StartsWithFolded(name, prefix) &&
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                    [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
      return true;
    }
  }
  return StartsWithFolded(name, L"vs_") || StartsWithFolded(name, L"ps_");
}

bool IsReserved(const std::wstring& name) {
  if (IsNumberedReserved(name)) return true;
  std::wstring folded = Folded(name);
  return std::any_of(std::begin(kReserved), std::end(kReserved),
                     [&](std::wstring_view word) { return Folded(word) == folded; });
}

}  // namespace

std::wstring EffectVariableNames::Take(const std::wstring& mapName) {
  std::wstring name = mapName.empty() ? L"_" : mapName;
  std::replace(name.begin(), name.end(), L'-', L'_');
  auto free = [this](const std::wstring& candidate) {
    std::wstring sampler = candidate + L"Sampler";
    return !IsReserved(candidate) && !IsReserved(sampler) && !taken_.count(Folded(candidate)) &&
           !taken_.count(Folded(sampler));
  };
  while (!free(name)) name.push_back(L'_');
  taken_.insert(Folded(name));
  taken_.insert(Folded(name + L"Sampler"));
  return name;
}
