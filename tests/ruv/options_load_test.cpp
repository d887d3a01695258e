// Loading the options file: defaults, dependent switches, float and text rules, clip clamping.
#include "options_test_folder.h"
#include "ruv/options/clip_keys.h"
#include "ruv/options/config_file.h"

namespace {

using OptionsLoad = OptionsFileTest;

TEST_F(OptionsLoad, NoFileGivesTheDocumentedDefaultsAndOneClipOverTheRange) {
  EXPECT_EQ(LoadOptions(configPath_, 25, Interval(1600, 16000), 160), 1);
  const ExportOptions& o = gExportOptions;
  EXPECT_EQ(o.SampleRate, 25);  // the host's frame rate
  // The golden save file pins every other default.
  EXPECT_EQ(o.ProcMapX, 256);
  EXPECT_FLOAT_EQ(o.SpaceScale, 1.0f);
  ASSERT_EQ(gAnimationClips.size(), 1u);
  EXPECT_EQ(gAnimationClips[0].name, L"Anim1");
  EXPECT_EQ(gAnimationClips[0].startKey, 10);  // 1600 / 160
  EXPECT_EQ(gAnimationClips[0].endKey, 100);
}

TEST_F(OptionsLoad, MaterialsAndBonesOffTurnTheirDependentsOff) {
  WriteOptionLines(
      "Mtl=0\nDxFx=1\nPowerOf2=1\nOverwriteFX=1\nTextureFiles=1\nEffectParam=1\n"
      "InlineMtl=1\nFX=1\nBones=0\nBoneMesh=1");
  LoadOptions(configPath_, 30, Interval(0, 100), 1);
  const ExportOptions& o = gExportOptions;
  EXPECT_EQ(o.DxFx + o.PowerOf2 + o.OverwriteFX + o.TextureFiles + o.EffectParam + o.InlineMtl, 0);
  EXPECT_EQ(o.FX, 1);  // not among the dependents
  EXPECT_EQ(o.BoneMesh, 0);

  SaveOptions(configPath_);
  std::string saved = FileBytes();
  EXPECT_NE(saved.find("\r\nDxFx=0\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nInlineMtl=0\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nBoneMesh=0\r\n"), std::string::npos);

  WriteOptionLines("Mtl=7\nDxFx=1\nBones=-1\nBoneMesh=1");  // any non-zero value is on
  LoadOptions(configPath_, 30, Interval(0, 100), 1);
  EXPECT_EQ(gExportOptions.DxFx, 1);
  EXPECT_EQ(gExportOptions.BoneMesh, 1);
}

TEST_F(OptionsLoad, FloatsAndTextFollowTheRuntimeConversion) {
  WriteOptionLines("XRot=45\nXRotEnable=0\nZRot= 2.5xyz\nSpaceScale=abc\nSceneRootName=\"" +
                   std::string(300, 'r') + "\"");
  LoadOptions(configPath_, 30, Interval(0, 100), 1);
  EXPECT_FLOAT_EQ(gExportOptions.XRot, 45.0f);  // kept, though not applied
  EXPECT_FLOAT_EQ(gExportOptions.ZRot, 2.5f);
  EXPECT_FLOAT_EQ(gExportOptions.SpaceScale, 0.0f);
  // The quotes go, then the 300 characters between them are cut to what the buffer holds.
  EXPECT_EQ(gExportOptions.SceneRootName, std::wstring(259, L'r'));
}

TEST_F(OptionsLoad, ClipsAreClampedIntoTheRangeAndEmptyNamesSkipped) {
  WriteOptionLines(
      "AnimationCount=5\n"
      "Animation0_Name=Back\nAnimation0_StartKey=50\nAnimation0_EndKey=10\n"
      "Animation1_Name=Long\nAnimation1_StartKey=-5\n"
      "Animation2_Name=\nAnimation2_StartKey=1\nAnimation2_EndKey=2\n"
      "Animation3_Name=Late\nAnimation3_StartKey=500\nAnimation3_EndKey=600");
  LoadOptions(configPath_, 30, Interval(0, 100 * 160), 160);
  ASSERT_EQ(gAnimationClips.size(), 4u);
  EXPECT_EQ(gAnimationClips[0].name, L"Back");
  EXPECT_EQ(gAnimationClips[0].startKey, 10);  // start after end: both at the end
  EXPECT_EQ(gAnimationClips[0].endKey, 10);
  EXPECT_EQ(gAnimationClips[1].startKey, 0);
  EXPECT_EQ(gAnimationClips[1].endKey, 100);  // default 999999, clamped
  EXPECT_EQ(gAnimationClips[2].name, L"Late");
  EXPECT_EQ(gAnimationClips[2].startKey, 100);
  EXPECT_EQ(gAnimationClips[3].name, L"Anim1");  // entry 4 is absent: the defaults
}

TEST_F(OptionsLoad, ClipCountsOfZeroNegativeOrAbsurdStayBounded) {
  WriteOptionLines("AnimationCount=0");
  LoadOptions(configPath_, 30, Interval(0, 100), 1);
  EXPECT_TRUE(gAnimationClips.empty());
  WriteOptionLines("AnimationCount=-3");
  LoadOptions(configPath_, 30, Interval(0, 100), 1);
  EXPECT_TRUE(gAnimationClips.empty());
  WriteOptionLines("AnimationCount=2147483647");
  LoadOptions(configPath_, 30, Interval(0, 100), 1);
  EXPECT_EQ(gAnimationClips.size(), static_cast<std::size_t>(kMaxAnimationClips));
}

TEST_F(OptionsLoad, DegenerateTimingDoesNotFault) {
  LoadOptions(configPath_, 30, Interval(INT32_MIN, 100),
              -1);  // INT32_MIN / -1 overflows in 32 bits
  ASSERT_EQ(gAnimationClips.size(), 1u);
  EXPECT_EQ(gAnimationClips[0].startKey, -100);
  LoadOptions(configPath_, 30, Interval(50, 10), 0);  // start after end, no ticks per frame
  EXPECT_EQ(gAnimationClips[0].startKey, 10);
  EXPECT_EQ(gAnimationClips[0].endKey, 10);
  LoadOptions(L"", 30, Interval(0, 10), 1);
  EXPECT_EQ(gExportOptions.Meshs, 1);
}

}  // namespace

TEST_F(OptionsLoad, NonFiniteFloatsFallBackToTheirDefaults) {
  WriteOptionLines("SpaceScale=1e39\nXRot=nan\nZRot=-inf\n");
  LoadOptions(configPath_, 30, Interval(0, 100), 1);
  EXPECT_FLOAT_EQ(gExportOptions.SpaceScale, 1.0f);
  EXPECT_FLOAT_EQ(gExportOptions.XRot, 0.0f);
  EXPECT_FLOAT_EQ(gExportOptions.ZRot, 0.0f);
}
