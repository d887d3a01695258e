// Map variables of generated effects: legal, and clear of the language and the effect's own names.
#include "ruv/effect/effect_names.h"

#include <gtest/gtest.h>

#include "ruv/effect/effect_desc.h"
#include "ruv/effect/effect_file.h"

TEST(EffectVariableNames, ClearOfKeywordsGlobalsSamplersAndEachOther) {
  EffectVariableNames names;
  EXPECT_EQ(names.Take(L"Wood"), L"Wood");
  EXPECT_EQ(names.Take(L"World"), L"World_");
  EXPECT_EQ(names.Take(L"float"), L"float_");
  EXPECT_EQ(names.Take(L"texture"), L"texture_");
  EXPECT_EQ(names.Take(L"WoodSampler"), L"WoodSampler_") << "Wood's sampler has that name";
  EXPECT_EQ(names.Take(L"Diffuse"), L"Diffuse");
  EXPECT_EQ(names.Take(L"DiffuseColor"), L"DiffuseColor_");
  EXPECT_EQ(names.Take(L"TexCoord1"), L"TexCoord1_");
  EXPECT_EQ(names.Take(L"my-map"), L"my_map");
  EXPECT_EQ(names.Take(L"Light"), L"Light");
}

TEST(EffectVariableNames, TheEffectDeclaresEachMapOnce) {
  EffectVariableNames names;
  XEffectDesc desc;
  for (const wchar_t* map : {L"World", L"Diffuse", L"DiffuseSampler", L"float"}) {
    AddEffectTexture(desc, names.Take(map), 0, 0, 0, 0);
  }
  std::string text = GenerateEffectText(desc);
  for (const char* declaration :
       {"texture World_;", "texture Diffuse;", "texture DiffuseSampler_;", "texture float_;"}) {
    EXPECT_NE(text.find(declaration), std::string::npos) << declaration;
  }
  EXPECT_EQ(text.find("texture World;"), std::string::npos);
}
