// The effect text's pieces that the golden files leave open: the pixel shaders of a diffuse-only
// and of a normal-mapped material, a normal map without normal-map code, nameless textures, the
// emissive switch, and the "%f" number format.
#include "ruv/effect/effect_fragments.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "ruv/options/export_options.h"

namespace {

class EffectFragments : public ::testing::Test {
 protected:
  void SetUp() override { gExportOptions = ExportOptions{}; }
  void TearDown() override { gExportOptions = ExportOptions{}; }
};

constexpr const char* kPixelShaderStart =
    "\nfloat4  PS( VS_OUTPUT vout ) : COLOR \n{ \n   //TODO: Modify the folowing code: \n";
constexpr const char* kPixelShaderEnd =
    "   if(bEmissiveColor)\n     color.rgb += EmissiveColor.rgb;\n   return  color; \n}; \n";

TEST_F(EffectFragments, DiffuseOnlyMaterialTintedByItsColour) {
  XEffectDesc desc;
  desc.diffuseMapColor = true;
  AddEffectTexture(desc, L"Wood", 1, 3, 1, 1);
  EXPECT_EQ(PixelShader(desc, ChooseEffectFragments(desc)),
            std::string(kPixelShaderStart) +
                "   float4 color = tex2D( WoodSampler, vout.TexCoord3 ); \n"
                "   color.rgb = color.rgb * vout.LightStrength; \n"
                "   color = color * DiffuseColor; \n" +
                kPixelShaderEnd);
}

TEST_F(EffectFragments, NormalMappedMaterialSamplesTheFirstNormalMap) {
  gExportOptions.NormalMapCode = 1;
  XEffectDesc desc;
  AddEffectTexture(desc, L"Bump", 2, 1, 1, 1);
  AddEffectTexture(desc, L"Diffuse", 1, 0, 1, 1);
  AddEffectTexture(desc, L"Bump2", 2, 0, 1, 1);
  EXPECT_EQ(PixelShader(desc, ChooseEffectFragments(desc)),
            std::string(kPixelShaderStart) +
                "   float4 color = tex2D( DiffuseSampler, vout.TexCoord0 ); \n"
                "   if(bLight) \n   { \n"
                "     float3 bumpNormal =  2 * tex2D( BumpSampler, vout.TexCoord1 ) - 1 ;\n"
                "     float3 LightVector1 = normalize(vout.LightTangentSpace);\n"
                "     float bump = max(0, dot( bumpNormal, LightVector1 ));\n"
                "     color.rgb = color.rgb * bump;\n   } \n" +
                kPixelShaderEnd);
}

TEST_F(EffectFragments, NormalMapWithoutNormalMapCodeIsOnlyDeclared) {
  XEffectDesc desc;
  AddEffectTexture(desc, L"Bump", 2, 0, 1, 1);
  const EffectChoices choices = ChooseEffectFragments(desc);
  EXPECT_NE(EffectSamplers(desc).find("sampler2D BumpSampler"), std::string::npos);
  EXPECT_EQ(PixelShader(desc, choices),
            std::string(kPixelShaderStart) + "   float4 color = DiffuseColor; \n" +
                "   color.rgb = DiffuseColor.rgb * vout.LightStrength; \n" + kPixelShaderEnd);
  // The per-vertex light reads N, which is declared although the Normal option is off.
  EXPECT_EQ(VertexInput(desc, choices),
            "\nstruct VS_INPUT \n{ \n   float4 Position  : POSITION; \n"
            "   float2 TexCoord0 : TEXCOORD0;\n   float3 N         : NORMAL;\n}; \n");
}

TEST_F(EffectFragments, TexturesWithoutANameAreIgnored) {
  XEffectDesc desc;
  AddEffectTexture(desc, L"", 1, 3, 1, 1);
  EXPECT_TRUE(desc.textures.empty());
  EXPECT_TRUE(desc.coordSets.empty());
}

TEST_F(EffectFragments, AnyNonZeroEmissiveComponentSwitchesEmissiveOn) {
  XEffectDesc desc;
  desc.emissiveColor = {-0.0f, 0, 0};  // negative zero is still exactly zero
  EXPECT_EQ(EffectParameters(desc, {}).rfind("\nbool bEmissiveColor = false; \n", 0), 0u);
  for (int i = 0; i < 3; ++i) {
    desc.emissiveColor = {0, 0, 0};
    desc.emissiveColor[i] = 1e-30f;
    EXPECT_EQ(EffectParameters(desc, {}).rfind("\nbool bEmissiveColor = true; \n", 0), 0u) << i;
  }
}

TEST_F(EffectFragments, NumbersMatchTheCFormatInEveryCase) {
  const float values[] = {0.0f,     -0.0f,        1.0f,     0.1f,          -1e-7f,      0.0000005f,
                          2.5e-6f,  1.0000005f,   -0.125f,  1.23456789e8f, 16777217.0f, FLT_MAX,
                          -FLT_MAX, FLT_TRUE_MIN, INFINITY, -INFINITY,     NAN};
  for (float value : values) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%f", static_cast<double>(value));
    EXPECT_EQ(FormatEffectNumber(value), expected) << expected;
  }
}

}  // namespace
