// The options dialog without a window: what it shows when it opens, every click rule, the
// read-back on OK, and the two number filters.
#include "ruv/options/options_dialog.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <utility>

#include "ruv/options/dialog_controls.h"
#include "ruv/options/dialog_numbers.h"

namespace {

ExportOptions DefaultOptions() {
  ExportOptions o;
  o.Meshs = o.Bones = o.Mtl = o.Normal = o.TexCoords = o.EffectParam = o.DxFx = 1;
  o.OverwriteFX = o.TextureFiles = o.OverwriteTexture = o.Animation = o.Skin = 1;
  o.ProcMapX = o.ProcMapY = 256;
  o.Precision = 10;
  o.SampleRate = 30;
  o.TimelineCustom = 1;
  o.KeyOptimizeLevel = 3;
  o.KeyType = 1;
  o.XFileType = 1;
  o.SpaceScale = 1.0f;
  return o;
}

class OptionsDialog : public ::testing::Test {
 protected:
  OptionsDialogModel& Open() {
    model_.emplace(options_, clips_, facts_);
    return *model_;
  }
  void ExpectChecked(std::initializer_list<int> ids, bool checked) {
    for (int id : ids) EXPECT_EQ(model_->Checked(id), checked) << "control " << id;
  }
  void ExpectEnabled(std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) EXPECT_EQ(model_->Enabled(id), enabled) << "control " << id;
  }
  // Clicks `id` until its check mark is `checked` (one click for a box in the other state).
  void SetBox(int id, bool checked) {
    if (model_->Checked(id) != checked) model_->Click(id);
    ASSERT_EQ(model_->Checked(id), checked) << "control " << id;
  }

  ExportOptions options_ = DefaultOptions();
  AnimationClips clips_{{L"Walk", 0, 50}};
  OptionsDialogFacts facts_{30, 160, 0, 100, L"Scene"};
  std::optional<OptionsDialogModel> model_;
};

TEST_F(OptionsDialog, OpensWithTheOptionsAndTheClips) {
  options_.SceneRootName = L"Top";
  options_.XFileType = 7;
  options_.TextureFormat = 3;
  options_.AnimationQuality = 1;
  options_.KeyType = 0;
  options_.Timeline = 1;
  Open();
  EXPECT_EQ(model_->Control(kIdSceneRootName).text, L"Top");
  EXPECT_EQ(model_->Control(kIdXFileFormat).selection, 0) << "an unknown encoding shows Text";
  EXPECT_EQ(model_->Control(kIdXFileFormat).items.size(), 3u);
  EXPECT_EQ(model_->Control(kIdTextureFormat).selection, 3);
  EXPECT_EQ(model_->Control(kIdOpenClose).selection, 0);
  EXPECT_EQ(model_->Control(kIdQuality).selection, 1);
  ExpectChecked({kIdMesh, kIdMaterial, kIdNormal, kIdTexCoords, kIdTimelineCustom, kIdMatrixKeys},
                true);
  ExpectChecked({kIdTangent, kIdTimelineHost, kIdSrtKeys, kIdSceneRoot}, false);
  ExpectEnabled({kIdFxOverwrite, kIdSkin, kIdPrecisionEdit, kIdProcMapX, kIdOnlyAnimationSet},
                true);
  ExpectEnabled({kIdTangent, kIdBitangent}, false);
  EXPECT_EQ(model_->Control(kIdSamplingRate).text, L"30");
  EXPECT_EQ(model_->Control(kIdProcMapY).text, L"256");
  EXPECT_DOUBLE_EQ(model_->Control(kIdPrecisionSpinner).value, 1.0);
  EXPECT_DOUBLE_EQ(model_->Control(kIdOptimizeSpinner).value, 3.0);
  ASSERT_EQ(model_->ClipList().RowCount(), 1);
  EXPECT_EQ(model_->ClipList().CellText(0, kClipEndColumn), L"50");
}

TEST_F(OptionsDialog, TheStatusLineSaysWhatOkDoes) {
  EXPECT_NE(Open().Control(kIdStatus).text.find(L"OK exports"), std::wstring::npos);
  facts_.exports = false;
  const std::wstring& text = Open().Control(kIdStatus).text;
  EXPECT_EQ(text.find(L"export"), std::wstring::npos) << "the dialog only edits the options file";
  EXPECT_NE(text.find(L"OK saves"), std::wstring::npos);
}

TEST_F(OptionsDialog, OpeningEnablesByTheSwitchesThatGovern) {
  options_.DxFx = options_.Meshs = options_.TextureFiles = options_.Animation = 0;
  options_.DeclData = 1;
  Open();
  ExpectEnabled({kIdFxOverwrite, kIdSkin, kIdWeightFix, kIdPrecisionEdit, kIdOnlyAnimationSet},
                false);
  for (int id : TextureGroupIds()) EXPECT_FALSE(model_->Enabled(id)) << id;
  ExpectEnabled({kIdTangent, kIdBitangent}, true);
}

TEST_F(OptionsDialog, NormalMapOpensWithItsBoxesButNotWithoutDeclData) {
  options_.NormalMapCode = 1;
  options_.DeclData = 1;
  Open();
  ExpectChecked({kIdNormalMap, kIdCreateShader, kIdTexCoords, kIdNormal, kIdTangent, kIdBitangent},
                true);

  options_.DeclData = 0;
  Open();
  ExpectChecked({kIdNormalMap, kIdCreateShader}, false);
  ExpectChecked({kIdTangent, kIdBitangent}, true);
}

TEST_F(OptionsDialog, OpeningHoldsPrecisionAtTenEvenWhenNegative) {
  options_.Precision = 25;
  Open();
  EXPECT_EQ(options_.Precision, 10) << "the hold survives Cancel";
  EXPECT_DOUBLE_EQ(model_->Control(kIdPrecisionSpinner).value, 1.0);
  options_.Precision = -3;
  Open();
  EXPECT_EQ(options_.Precision, 10);
  options_.Precision = 7;
  Open().Click(kIdOk);
  EXPECT_EQ(options_.Precision, 7) << "tenths read back exactly";
}

TEST_F(OptionsDialog, NumbersOpenWithoutExponents) {
  options_.SpaceScale = 0.25f;
  options_.ZRot = 0.000001f;
  options_.XRot = -45.5f;
  Open();
  EXPECT_EQ(model_->Control(kIdScale).text, L"0.25");
  EXPECT_EQ(model_->Control(kIdZRot).text, L"0");
  EXPECT_EQ(model_->Control(kIdXRot).text, L"-45.5");
  EXPECT_EQ(FormatScaleText(0.00001f), L"0.00001");
  EXPECT_EQ(FormatScaleText(0.5f), L"0.5");
  EXPECT_EQ(FormatScaleText(0.9999999f), L"1") << "rounds up rather than showing 0";
  EXPECT_EQ(FormatScaleText(2.0f), L"2");
  EXPECT_EQ(FormatScaleText(0.0f), L"0");
}

TEST_F(OptionsDialog, InlineEffectParametersVertexColorCheckWhatTheyNeed) {
  options_.Mtl = 0;
  Open();
  model_->Click(kIdInline);
  ExpectChecked({kIdMaterial}, true);
  SetBox(kIdMaterial, false);
  model_->Click(kIdEffectParameters);
  ExpectChecked({kIdMaterial}, true);
  SetBox(kIdMesh, false);
  model_->Click(kIdVertexColor);
  ExpectChecked({kIdMesh}, true);
}

TEST_F(OptionsDialog, UncheckingMaterialClearsItsBoxesAndRecheckingRestoresNothing) {
  options_.InlineMtl = options_.FX = options_.PowerOf2 = 1;
  Open();
  model_->Click(kIdMaterial);
  ExpectChecked({kIdFx, kIdEffectParameters, kIdInline, kIdCreateShader, kIdNormalMap, kIdTextures,
                 kIdPowerOf2},
                false);
  ExpectEnabled({kIdFxOverwrite}, false);
  for (int id : TextureGroupIds()) EXPECT_FALSE(model_->Enabled(id)) << id;
  model_->Click(kIdMaterial);
  ExpectChecked({kIdMaterial}, true);
  ExpectChecked({kIdFx, kIdTextures, kIdInline}, false);
  ExpectEnabled({kIdFxOverwrite}, false);
}

TEST_F(OptionsDialog, NormalTangentBitangentKeepNormalMapHonest) {
  options_.DeclData = options_.NormalMapCode = 1;
  Open();
  model_->Click(kIdNormal);  // off: the normal map goes
  ExpectChecked({kIdNormalMap}, false);

  SetBox(kIdNormalMap, true);
  SetBox(kIdMesh, false);
  model_->Click(kIdNormal);
  model_->Click(kIdNormal);  // back on: Mesh too, and all three are on, so the map stays off
  ExpectChecked({kIdMesh, kIdNormal}, true);

  SetBox(kIdNormalMap, true);
  model_->Click(kIdTangent);  // off
  ExpectChecked({kIdNormalMap}, false);
  SetBox(kIdMesh, false);
  model_->Click(kIdTangent);  // on
  ExpectChecked({kIdMesh, kIdTangent}, true);

  SetBox(kIdNormalMap, true);
  model_->Click(kIdBitangent);
  ExpectChecked({kIdNormalMap, kIdBitangent}, false);
  model_->Click(kIdBitangent);
  ExpectChecked({kIdBitangent}, true);
  EXPECT_FALSE(model_->Checked(kIdNormalMap)) << "checking one of three never checks the map";
}

TEST_F(OptionsDialog, AnimationBoneMeshAndConvertRules) {
  options_.BoneMesh = options_.TextureConvert = options_.PowerOf2 = 1;
  Open();
  model_->Click(kIdAnimation);
  ExpectEnabled({kIdOnlyAnimationSet}, false);
  model_->Click(kIdAnimation);
  ExpectEnabled({kIdOnlyAnimationSet}, true);
  model_->Click(kIdBone);
  ExpectChecked({kIdBoneMesh}, false);
  model_->Click(kIdConvertTo);
  ExpectChecked({kIdPowerOf2}, false);
  model_->Click(kIdMesh);
  ExpectEnabled({kIdSkin, kIdWeightFix, kIdPrecisionEdit}, false);
  model_->Click(kIdMesh);
  ExpectEnabled({kIdSkin, kIdWeightFix, kIdPrecisionEdit}, true);
}

TEST_F(OptionsDialog, CreateShaderAndNormalMapCheckTheirPrerequisites) {
  options_.Mtl = options_.Meshs = options_.TexCoords = options_.Normal = 0;
  Open();
  model_->Click(kIdCreateShader);
  ExpectChecked({kIdDeclData, kIdMesh, kIdTexCoords, kIdMaterial, kIdMultiTextures}, true);
  ExpectEnabled({kIdTangent, kIdBitangent}, true);
  ExpectChecked({kIdNormal, kIdTangent}, false);

  SetBox(kIdNormalMap, true);
  ExpectChecked({kIdCreateShader, kIdNormal, kIdTangent, kIdBitangent}, true);
  model_->Click(kIdCreateShader);  // off
  ExpectChecked({kIdNormalMap}, false);
}

TEST_F(OptionsDialog, TexCoordsDeclDataMultiTexturesGuardTheShader) {
  options_.DeclData = options_.FX = options_.NormalMapCode = options_.MultiTextures = 1;
  for (int id : {kIdTexCoords, kIdDeclData, kIdMultiTextures}) {
    Open();
    model_->Click(id);
    ExpectChecked({kIdCreateShader, kIdNormalMap}, false);
  }
  Open();
  model_->Click(kIdDeclData);
  ExpectEnabled({kIdTangent, kIdBitangent}, false);

  options_.Mtl = options_.Meshs = options_.TexCoords = options_.MultiTextures = 0;
  options_.NormalMapCode = 0;
  Open();
  model_->Click(kIdTexCoords);
  ExpectChecked({kIdMesh, kIdMaterial}, true);
  Open();  // a fresh dialog: unchecking Material would disable Multi-Textures
  model_->Click(kIdMultiTextures);
  ExpectChecked({kIdMaterial}, true);
}

TEST_F(OptionsDialog, TexturesAndFxEnableTheirGroupsAndNeedMaterial) {
  options_.Mtl = options_.TextureFiles = options_.DxFx = 0;
  Open();
  model_->Click(kIdTextures);
  ExpectChecked({kIdMaterial}, true);
  for (int id : TextureGroupIds()) EXPECT_TRUE(model_->Enabled(id)) << id;
  model_->Click(kIdTextures);
  for (int id : TextureGroupIds()) EXPECT_FALSE(model_->Enabled(id)) << id;

  SetBox(kIdMaterial, false);
  model_->Click(kIdFx);
  ExpectChecked({kIdMaterial}, true);
  ExpectEnabled({kIdFxOverwrite}, true);
  model_->Click(kIdFx);
  ExpectEnabled({kIdFxOverwrite}, false);
}

TEST_F(OptionsDialog, RadioPairsAndTheCustomTimeline) {
  Open();
  model_->SetText(kIdSamplingRate, L"60");
  model_->Click(kIdTimelineCustom);
  ExpectChecked({kIdTimelineCustom}, true);
  ExpectChecked({kIdTimelineHost}, false);
  EXPECT_EQ(model_->Control(kIdSamplingRate).text, L"30");
  model_->Click(kIdMatrixKeys);
  ExpectChecked({kIdSrtKeys}, false);
  model_->Click(kIdOk);
  EXPECT_EQ(options_.Timeline, 1);
  EXPECT_EQ(options_.KeyType, 0);
  EXPECT_EQ(options_.SampleRate, 30);
}

TEST_F(OptionsDialog, DisabledControlsIgnoreClicksAndNothingChangesBeforeOk) {
  options_.Meshs = 0;
  Open();
  EXPECT_EQ(model_->Click(kIdSkin), DialogCommand::None);
  ExpectChecked({kIdSkin}, true);
  model_->Click(kIdMaterial);
  model_->SetText(kIdProcMapX, L"64");
  EXPECT_EQ(options_.Mtl, 1);
  EXPECT_EQ(model_->Click(kIdCancel), DialogCommand::Cancel);
  EXPECT_EQ(options_.Mtl, 1);
  EXPECT_EQ(options_.ProcMapX, 256);
  EXPECT_EQ(model_->Click(kIdAddClip), DialogCommand::OpenClipDialog);
}

TEST_F(OptionsDialog, OkReadsEveryControlBack) {
  options_.AnimationOptions = 1;
  Open();
  model_->Click(kIdWorldSpace);
  model_->Click(kIdSkin);
  model_->SetSelection(kIdXFileFormat, 2);
  model_->SetSelection(kIdTextureFormat, 9);
  model_->SetSelection(kIdOpenClose, 1);
  model_->SetSpinnerValue(kIdPrecisionSpinner, 0.3);
  model_->SetSpinnerValue(kIdCustomUnitSpinner, 4800);
  model_->SetSpinnerValue(kIdOptimizeSpinner, 9);
  model_->SetText(kIdProcMapX, L"123456");
  model_->SetText(kIdProcMapY, L"-4");
  model_->ClipList().InsertClipRow();
  EXPECT_EQ(model_->Click(kIdOk), DialogCommand::Accept);
  EXPECT_EQ(options_.WorldSpace, 1);
  EXPECT_EQ(options_.Skin, 0);
  EXPECT_EQ(options_.XFileType, 2);
  EXPECT_EQ(options_.TextureFormat, 0) << "no selection reads as dds";
  EXPECT_EQ(options_.AnimationOpenClose, 1);
  EXPECT_EQ(options_.AnimationOptions, 0);
  EXPECT_EQ(options_.Precision, 3);
  EXPECT_EQ(options_.TimelineCustom, 4800);
  EXPECT_EQ(options_.KeyOptimizeLevel, 3) << "spinners hold their limits";
  EXPECT_EQ(options_.ProcMapX, 1234) << "four characters are read";
  EXPECT_EQ(options_.ProcMapY, 1);
  ASSERT_EQ(clips_.size(), 2u);
  EXPECT_EQ(clips_[0].name, L"Anims_1");
  EXPECT_EQ(clips_[1].name, L"Walk");
}

TEST_F(OptionsDialog, OkCorrectsRatesScalesAndRotations) {
  struct Case {
    const wchar_t* rate;
    const wchar_t* scale;
    const wchar_t* rotation;
    int sampleRate;
    float spaceScale;
    float zRot;
  };
  for (const Case& c : {Case{L"0", L"0", L"0.0000001", 30, 0.00001f, 0.0f},
                        Case{L"5000", L"-2", L"1e9", 500, 0.00001f, 999999.0f},
                        Case{L"60", L"1234567", L"-1e9", 60, 999999.0f, -999999.0f},
                        Case{L"abc", L"nan", L"nan", 30, 0.00001f, 0.0f},
                        Case{L"7", L"0.5", L"-45", 7, 0.5f, -45.0f}}) {
    Open();
    model_->SetText(kIdSamplingRate, c.rate);
    model_->SetText(kIdScale, c.scale);
    model_->SetText(kIdZRot, c.rotation);
    model_->Click(kIdOk);
    EXPECT_EQ(options_.SampleRate, c.sampleRate) << c.rate;
    EXPECT_FLOAT_EQ(options_.SpaceScale, c.spaceScale) << c.scale;
    EXPECT_FLOAT_EQ(options_.ZRot, c.zRot) << c.rotation;
  }
  // Three characters are read: "5000" is 500. A whole 5000 is beyond 30 x 160 ticks a second.
  facts_.ticksPerFrame = 1;
  Open();
  model_->SetText(kIdSamplingRate, L"500");
  model_->Click(kIdOk);
  EXPECT_EQ(options_.SampleRate, 30);
}

TEST_F(OptionsDialog, SceneRootNameLosesSpacesAndFallsBackWhenInvalid) {
  for (auto [typed, stored] :
       {std::pair{L"My Root", L"MyRoot"}, std::pair{L"3D", L"Scene"}, std::pair{L"a.b", L"Scene"},
        std::pair{L"", L""}, std::pair{L"  ", L""}, std::pair{L"ok-1_x", L"ok-1_x"}}) {
    Open();
    model_->SetText(kIdSceneRootName, typed);
    model_->Click(kIdOk);
    EXPECT_EQ(options_.SceneRootName, stored) << typed;
  }
}

TEST(NumberFilters, ScaleTakesDigitsAndOnePointUpToSixDigits) {
  auto accept = [](std::wstring_view text, wchar_t c, std::size_t s = 99, std::size_t e = 99) {
    s = s == 99 ? text.size() : s;
    e = e == 99 ? s : e;
    return AcceptPositiveNumberChar({text, s, e}, c);
  };
  EXPECT_TRUE(accept(L"12", L'3'));
  EXPECT_TRUE(accept(L"12", L'.'));
  EXPECT_FALSE(accept(L"1.2", L'.'));
  EXPECT_FALSE(accept(L"1", L'-'));
  EXPECT_FALSE(accept(L"1", L'e'));
  EXPECT_TRUE(accept(L"", kBackspace));
  EXPECT_FALSE(accept(L"123456", L'7'));
  EXPECT_FALSE(accept(L"123456", L'.'));
  EXPECT_TRUE(accept(L"123456", L'7', 0, 1)) << "replacing a digit";
  EXPECT_TRUE(accept(L"123456", L'.', 0, 2));
  EXPECT_FALSE(accept(L"123.456", L'7', 3, 4)) << "replacing only the point adds a digit";
  EXPECT_TRUE(accept(L"12345.", L'6'));
  EXPECT_FALSE(accept(L".12345", L'6')) << "five digits after a leading point";
  EXPECT_TRUE(accept(L".1234", L'5'));
  EXPECT_TRUE(accept(L"1.2", kBackspace));
}

TEST(NumberFilters, RotationsAlsoTakeALeadingMinus) {
  auto accept = [](std::wstring_view text, wchar_t c, std::size_t s, std::size_t e) {
    return AcceptSignedNumberChar({text, s, e}, c);
  };
  EXPECT_TRUE(accept(L"45", L'-', 0, 0));
  EXPECT_FALSE(accept(L"45", L'-', 1, 1));
  EXPECT_FALSE(accept(L"-45", L'-', 0, 0));
  EXPECT_TRUE(accept(L"-", L'4', 1, 1));
  EXPECT_FALSE(accept(L"-45", L'3', 0, 0)) << "nothing in front of the sign";
  EXPECT_TRUE(accept(L"-45", L'3', 0, 1)) << "replacing the sign";
  EXPECT_FALSE(accept(L"-12345", L'6', 6, 6)) << "the sign counts toward six";
  EXPECT_TRUE(accept(L"-1", L'.', 2, 2));
  EXPECT_FALSE(accept(L"-1", L'x', 2, 2));
  EXPECT_TRUE(accept(L"-1", kBackspace, 2, 2));
}

// Pasted text meets the filter character by character, as if typed over the selection.
TEST(NumberFilters, InsertedTextPassesWholeOrNotAtAll) {
  auto insert = [](std::wstring_view text, std::wstring_view inserted, bool signedNumber,
                   std::size_t s, std::size_t e) -> std::wstring {
    std::optional<EditResult> result = InsertNumberText({text, s, e}, inserted, signedNumber);
    return result ? result->text + L"|" + std::to_wstring(result->caret) : L"refused";
  };
  EXPECT_EQ(insert(L"1", L"-77abc", false, 0, 1), L"refused");
  EXPECT_EQ(insert(L"1", L"77abc", false, 0, 1), L"refused") << "no partial paste";
  EXPECT_EQ(insert(L"1", L" 2.5\r\n", false, 0, 1), L"2.5|3") << "blanks around are dropped";
  EXPECT_EQ(insert(L"1", L"2 5", false, 0, 1), L"refused") << "blanks inside are not";
  EXPECT_EQ(insert(L"1", L"  ", false, 0, 1), L"refused");
  EXPECT_EQ(insert(L"1", L"1\b", false, 1, 1), L"refused") << "a backspace is no character";
  EXPECT_EQ(insert(L"", L"1234567", false, 0, 0), L"refused") << "seven digits";
  EXPECT_EQ(insert(L"1234", L"99", false, 1, 3), L"1994|3") << "over the selection";
  EXPECT_EQ(insert(L"1.5", L".", false, 3, 3), L"refused");
  EXPECT_EQ(insert(L"45", L"-30", true, 0, 2), L"-30|3");
  EXPECT_EQ(insert(L"45", L"-30", true, 2, 2), L"refused") << "a sign only at the start";
  EXPECT_EQ(insert(L"45", L"-", false, 0, 0), L"refused") << "the scale takes no sign";
  EXPECT_EQ(insert(L"4", L"5", true, 7, 9), L"45|2") << "a stale selection is held in the text";
}

TEST(NumberText, LeadingIntegersReadLikeTheRuntimeAndSaturate) {
  EXPECT_EQ(ReadLeadingInt(L" 42abc"), 42);
  EXPECT_EQ(ReadLeadingInt(L"-7"), -7);
  EXPECT_EQ(ReadLeadingInt(L"x1"), 0);
  EXPECT_EQ(ReadLeadingInt(L"99999999999999999999"), 2147483647);
  EXPECT_EQ(ReadLeadingInt(L"-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(ReadLeadingInt(L"12345", 3), 123);
}

}  // namespace
