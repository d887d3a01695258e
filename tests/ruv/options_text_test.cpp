// Options as text: the number forms of the file, and setting one option or clip field by key.
#include <gtest/gtest.h>

#include <cmath>

#include "ruv/options/clip_keys.h"
#include "ruv/options/option_text.h"
#include "ruv/options/option_values.h"

namespace {

TEST(OptionValues, FloatsSaveAsPrintfGeneralFormat) {
  EXPECT_EQ(FormatFloatOption(1.0f), L"1");
  EXPECT_EQ(FormatFloatOption(0.5f), L"0.5");
  EXPECT_EQ(FormatFloatOption(90.0f), L"90");
  EXPECT_EQ(FormatFloatOption(-0.1f), L"-0.1");  // six digits hide the float's widening error
  EXPECT_EQ(FormatFloatOption(1234567.0f), L"1.23457e+06");
  EXPECT_EQ(FormatFloatOption(0.00001f), L"1e-05");
  EXPECT_EQ(FormatIntegerOption(-2147483647 - 1), L"-2147483648");
}

TEST(OptionValues, FileTextReadsLikeTheRuntimeTypedTextStrictly) {
  EXPECT_FLOAT_EQ(ReadFloatOption(L"\t 3.25e1junk"), 32.5f);
  EXPECT_FLOAT_EQ(ReadFloatOption(L"junk"), 0.0f);
  EXPECT_FLOAT_EQ(ReadFloatOption(L""), 0.0f);
  EXPECT_TRUE(std::isinf(ReadFloatOption(L"-1e50")));
  EXPECT_FLOAT_EQ(ReadFloatOption(L"0x10"), 16.0f);

  EXPECT_EQ(ParseFloatText(L"2.5"), 2.5f);
  EXPECT_EQ(ParseFloatText(L"+1"), 1.0f);
  for (const wchar_t* bad :
       {L"", L" 1", L"1x", L"nan", L"inf", L"1e39", L"+-1", L"0x10", L"\u0661"}) {
    EXPECT_FALSE(ParseFloatText(bad)) << bad;
  }
  EXPECT_EQ(ParseIntegerText(L"-2147483648"), -2147483647 - 1);
  for (const wchar_t* bad : {L"", L"2147483648", L"1.0", L"+", L"- 1", L"12 "}) {
    EXPECT_FALSE(ParseIntegerText(bad)) << bad;
  }
}

class SetOption : public ::testing::Test {
 protected:
  std::optional<std::wstring> Set(std::wstring_view key, std::wstring_view value) {
    return SetOptionFromText(options_, clips_, key, value);
  }
  ExportOptions options_;
  AnimationClips clips_{{L"Anim1", 0, 100}};
};

TEST_F(SetOption, SetsEachTypeByKeyCaseInsensitively) {
  EXPECT_FALSE(Set(L"XFileType", L"0"));
  EXPECT_FALSE(Set(L"multi-textures", L"1"));
  EXPECT_FALSE(Set(L"SpaceScale", L"2.5"));
  EXPECT_FALSE(Set(L"SceneRootName", L"My Root"));
  EXPECT_EQ(options_.MultiTextures, 1);
  EXPECT_FLOAT_EQ(options_.SpaceScale, 2.5f);
  EXPECT_EQ(options_.SceneRootName, L"My Root");
}

TEST_F(SetOption, RefusalsNameKeyAndValueAndChangeNothing) {
  options_.Mtl = 1;
  std::optional<std::wstring> problem = Set(L"Mtl", L"yes");
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find(L"Mtl"), std::wstring::npos);
  EXPECT_NE(problem->find(L"\"yes\""), std::wstring::npos);
  EXPECT_EQ(options_.Mtl, 1);

  problem = Set(L"Mtls", L"1");
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find(L"Mtls"), std::wstring::npos);
  // Text that a load would give back changed.
  EXPECT_TRUE(Set(L"SceneRootName", L" padded"));
  EXPECT_TRUE(Set(L"SceneRootName", L"'quoted'"));
  EXPECT_TRUE(Set(L"SceneRootName", L"two\nlines"));
  EXPECT_TRUE(Set(L"SceneRootName", std::wstring(260, L'x')));
  EXPECT_EQ(options_.SceneRootName, L"");
}

TEST_F(SetOption, ClipCountResizesAndClipKeysNeedTheirClip) {
  EXPECT_TRUE(Set(L"Animation1_Name", L"Run"));  // only clip 0 exists yet
  EXPECT_FALSE(Set(L"AnimationCount", L"2"));
  ASSERT_EQ(clips_.size(), 2u);
  EXPECT_EQ(clips_[1].name, L"Anim1");  // what a load gives a missing entry
  EXPECT_EQ(clips_[1].endKey, kDefaultClipEndKey);
  EXPECT_FALSE(Set(L"Animation1_Name", L"Run"));
  EXPECT_FALSE(Set(L"animation1_startkey", L"-4"));
  EXPECT_EQ(clips_[1].name, L"Run");
  EXPECT_EQ(clips_[1].startKey, -4);
  EXPECT_EQ(clips_[0].name, L"Anim1");

  EXPECT_TRUE(Set(L"Animation01_Name", L"X"));  // the file would never hold this key
  EXPECT_TRUE(Set(L"Animation1_Frames", L"1"));
  EXPECT_TRUE(Set(L"AnimationCount", L"-1"));
  EXPECT_FALSE(Set(L"AnimationCount", L"0"));
  EXPECT_TRUE(clips_.empty());
}

}  // namespace
