// The animated example exported through the module: Assimp finds one animation per clip, a channel
// per animated node, and the key counts, times and values our reader sees, in every encoding.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "host/sim/scene_file/scene_loader.h"
#include "module_export.h"
#include "our_records.h"

#ifdef RUV_HAVE_ASSIMP
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#endif

namespace {

// Assimp parses the decimals of text files a little less exactly than a float holds them.
constexpr float kClose = 2e-6f;

#ifdef RUV_HAVE_ASSIMP
// Assimp's reading of a rotation key (w, x, y, z): it takes the key as the conjugate turn (it
// negates w) and mirrors Z into its right-handed space (negating x and y), so the turn it holds
// is that of (w, x, y, -z). Compared as rotation matrices, as q and -q are one turn; entries of
// products of four parsed values, hence a few times kClose.
void ExpectAssimpTurn(const aiQuaternion& theirs, const std::vector<float>& key) {
  aiMatrix3x3 expected = aiQuaternion(key[0], key[1], key[2], -key[3]).GetMatrix();
  aiMatrix3x3 actual = theirs.GetMatrix();
  for (unsigned r = 0; r < 3; ++r) {
    for (unsigned c = 0; c < 3; ++c)
      EXPECT_NEAR(actual[r][c], expected[r][c], 4 * kClose) << r << c;
  }
}
#endif

using e2e::OurAnimations;
using e2e::OurKeys;

// Two clips: "Walk cycle" over frames 0-30 and "run-2" over 30-60.
std::string ClipOptions(int fileType) {
  return "XFileType=" + std::to_string(fileType) +
         "\r\nAnimationCount=2\r\nAnimation0_Name=Walk cycle\r\nAnimation0_StartKey=0\r\n"
         "Animation0_EndKey=30\r\nAnimation1_Name=run-2\r\nAnimation1_StartKey=30\r\n"
         "Animation1_EndKey=60\r\n";
}

class AnimationExportTest : public testing::TestWithParam<int> {
 protected:
  ModuleExport export_{"anim" + std::to_string(GetParam()), ClipOptions(GetParam())};
};

}  // namespace

TEST_P(AnimationExportTest, ClipsOfTheExampleAsAssimpSeesThem) {
  auto scene =
      sim::LoadSceneFile(std::filesystem::path(RUV_SOURCE_DIR) / "examples" / "animation.json");
  std::filesystem::path output = export_.Export(*scene, "animation.x");
  OurAnimations ours = e2e::ReadAnimations(output);
  ASSERT_EQ(ours.size(), 2u);
  ASSERT_TRUE(ours.count("Walk_cycle"));
  ASSERT_TRUE(ours.count("run-2"));
  const auto& walk = ours["Walk_cycle"];
  EXPECT_EQ(walk.size(), 6u) << "every exported node";
  // A still node holds: its first and last sample. The arm turns at every sample of its clip.
  EXPECT_EQ(walk.at("Floor").at("R").times, (std::vector<std::uint32_t>{0, 4800}));
  EXPECT_EQ(walk.at("Arm").at("R").times.size(), 31u);
  EXPECT_EQ(walk.at("Arm").at("T").times.size(), 2u);
#ifdef RUV_HAVE_ASSIMP
  Assimp::Importer importer;
  const aiScene* imported = importer.ReadFile(output.string(), 0);
  ASSERT_NE(imported, nullptr) << importer.GetErrorString();
  ASSERT_EQ(imported->mNumAnimations, 2u);
  for (unsigned a = 0; a < imported->mNumAnimations; ++a) {
    const aiAnimation* animation = imported->mAnimations[a];
    std::string name = animation->mName.C_Str();
    SCOPED_TRACE(name);
    ASSERT_TRUE(ours.count(name));
    const auto& set = ours[name];
    EXPECT_EQ(animation->mTicksPerSecond, 4800.0);
    ASSERT_EQ(animation->mNumChannels, set.size());
    for (unsigned c = 0; c < animation->mNumChannels; ++c) {
      const aiNodeAnim* channel = animation->mChannels[c];
      std::string node = channel->mNodeName.C_Str();
      SCOPED_TRACE(node);
      ASSERT_TRUE(set.count(node));
      const OurKeys& s = set.at(node).at("S");
      const OurKeys& r = set.at(node).at("R");
      const OurKeys& t = set.at(node).at("T");
      ASSERT_EQ(channel->mNumScalingKeys, s.times.size());
      ASSERT_EQ(channel->mNumRotationKeys, r.times.size());
      ASSERT_EQ(channel->mNumPositionKeys, t.times.size());
      for (unsigned k = 0; k < channel->mNumScalingKeys; ++k) {
        EXPECT_EQ(channel->mScalingKeys[k].mTime, s.times[k]);
        EXPECT_NEAR(channel->mScalingKeys[k].mValue.x, s.values[k][0], kClose);
        EXPECT_NEAR(channel->mScalingKeys[k].mValue.y, s.values[k][1], kClose);
        EXPECT_NEAR(channel->mScalingKeys[k].mValue.z, s.values[k][2], kClose);
      }
      for (unsigned k = 0; k < channel->mNumRotationKeys; ++k) {
        EXPECT_EQ(channel->mRotationKeys[k].mTime, r.times[k]);
        ExpectAssimpTurn(channel->mRotationKeys[k].mValue, r.values[k]);
      }
      for (unsigned k = 0; k < channel->mNumPositionKeys; ++k) {
        EXPECT_EQ(channel->mPositionKeys[k].mTime, t.times[k]);
        EXPECT_NEAR(channel->mPositionKeys[k].mValue.x, t.values[k][0], kClose);
        EXPECT_NEAR(channel->mPositionKeys[k].mValue.y, t.values[k][1], kClose);
        EXPECT_NEAR(channel->mPositionKeys[k].mValue.z, -t.values[k][2], kClose) << "Z mirrored";
      }
    }
  }
#endif
}

TEST_P(AnimationExportTest, MatrixKeysAtTheControllersKeyTimes) {
  ModuleExport matrices("animkm" + std::to_string(GetParam()),
                        ClipOptions(GetParam()) + "KeyType=0\r\nKeyFrames=1\r\n");
  auto scene =
      sim::LoadSceneFile(std::filesystem::path(RUV_SOURCE_DIR) / "examples" / "animation.json");
  std::filesystem::path output = matrices.Export(*scene, "matrices.x");
  OurAnimations ours = e2e::ReadAnimations(output);
  ASSERT_EQ(ours.size(), 2u);
  // The arm's keys at frames 0 and 30 are the first clip's ends. The forearm has one key in it (at
  // frame 10; the next is at 50), so it is sampled: a hold to frame 10, then every frame.
  EXPECT_EQ(ours["Walk_cycle"].at("Arm").at("").times, (std::vector<std::uint32_t>{0, 4800}));
  const OurKeys& forearm = ours["Walk_cycle"].at("Forearm").at("");
  ASSERT_EQ(forearm.times.size(), 22u);
  EXPECT_EQ(forearm.times[1], 1600u);
  EXPECT_EQ(forearm.times[2], 1760u);
  EXPECT_EQ(forearm.values.at(0).size(), 16u);
#ifdef RUV_HAVE_ASSIMP
  Assimp::Importer importer;
  const aiScene* imported = importer.ReadFile(output.string(), 0);
  ASSERT_NE(imported, nullptr) << importer.GetErrorString();
  ASSERT_EQ(imported->mNumAnimations, 2u);
  for (unsigned a = 0; a < imported->mNumAnimations; ++a) {
    const aiAnimation* animation = imported->mAnimations[a];
    const auto& set = ours[animation->mName.C_Str()];
    ASSERT_EQ(animation->mNumChannels, set.size());
    for (unsigned c = 0; c < animation->mNumChannels; ++c) {
      const aiNodeAnim* channel = animation->mChannels[c];
      const OurKeys& keys = set.at(channel->mNodeName.C_Str()).at("");
      // Assimp splits every matrix key into a position, a rotation and a scale key.
      ASSERT_EQ(channel->mNumPositionKeys, keys.times.size());
      for (unsigned k = 0; k < channel->mNumPositionKeys; ++k) {
        EXPECT_EQ(channel->mPositionKeys[k].mTime, keys.times[k]);
        EXPECT_NEAR(channel->mPositionKeys[k].mValue.x, keys.values[k][12], kClose);
        EXPECT_NEAR(channel->mPositionKeys[k].mValue.y, keys.values[k][13], kClose);
        EXPECT_NEAR(channel->mPositionKeys[k].mValue.z, -keys.values[k][14], kClose);
      }
    }
  }
#endif
}

INSTANTIATE_TEST_SUITE_P(Encodings, AnimationExportTest, testing::Values(0, 1, 2),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == 0   ? "Text"
                                              : info.param == 1 ? "Binary"
                                                                : "Compressed");
                         });
