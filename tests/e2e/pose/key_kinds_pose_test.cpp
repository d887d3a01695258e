// Scale, rotation and position keys pose a node as matrix keys of the same export do, as Assimp
// reads both: the animated examples and the demo scene, in every encoding, sampled and at the
// controllers' key times. A rotation key turning the wrong way, a scale or position in the wrong
// place, or a key at the wrong time shows here, whichever reader we compare with.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "assimp_poser.h"
#include "demo_scene.h"
#include "host/sim/scene_file/scene_loader.h"
#include "module_export.h"
#include "preview/scene_pose.h"
#include "preview/scene_reader.h"
#include "xof/file_reader.h"

namespace {

namespace fs = std::filesystem;

struct SceneCase {
  const char* name;
  std::function<std::unique_ptr<sim::SimScene>()> load;
  // The clips, as lines of the options file; the first starts at frame 0.
  const char* clips;
};

const SceneCase kScenes[] = {
    {"Animation",
     [] { return sim::LoadSceneFile(fs::path(RUV_SOURCE_DIR) / "examples/animation.json"); },
     "AnimationCount=2\r\nAnimation0_Name=Walk\r\nAnimation0_StartKey=0\r\n"
     "Animation0_EndKey=30\r\nAnimation1_Name=Run\r\nAnimation1_StartKey=30\r\n"
     "Animation1_EndKey=60\r\n"},
    {"SkinnedAnimated",
     [] { return sim::LoadSceneFile(fs::path(RUV_SOURCE_DIR) / "examples/skinned-animated.json"); },
     "AnimationCount=2\r\nAnimation0_Name=Wave\r\nAnimation0_StartKey=0\r\n"
     "Animation0_EndKey=30\r\nAnimation1_Name=Look\r\nAnimation1_StartKey=30\r\n"
     "Animation1_EndKey=60\r\n"},
    {"Demo", [] { return sim::LoadSceneText(ruvx::DemoSceneText(), "demo"); },
     "AnimationCount=2\r\nAnimation0_Name=Spin\r\nAnimation0_StartKey=0\r\n"
     "Animation0_EndKey=50\r\nAnimation1_Name=Bob\r\nAnimation1_StartKey=50\r\n"
     "Animation1_EndKey=100\r\n"},
};

const char* const kEncodings[] = {"Text", "Binary", "Compressed"};

// One file as Assimp reads it, kept with its importer.
struct Read {
  std::unique_ptr<Assimp::Importer> importer = std::make_unique<Assimp::Importer>();
  const aiScene* scene = nullptr;
  fs::path path;
};

// The two files of one export setting: scale, rotation and position keys, and matrix keys.
struct KeyKinds {
  Read separate, matrices;
};

// Every scene in every encoding, sampled (KeyFrames=0) and at the controllers' key times
// (KeyFrames=1), each with both key kinds: exported once for all tests.
class KeyKindsTest : public testing::TestWithParam<std::tuple<int, int>> {
 protected:
  static void SetUpTestSuite() { exporter_ = std::make_unique<ModuleExport>("keykinds", ""); }
  static void TearDownTestSuite() {
    files_.clear();
    exporter_.reset();
  }

  const SceneCase& Scene() const { return kScenes[std::get<0>(GetParam())]; }

  const KeyKinds& Files(int keyFrames) {
    auto [scene, encoding] = GetParam();
    KeyKinds& kinds = files_[{scene, encoding, keyFrames}];
    if (!kinds.separate.scene) {
      kinds.separate = Export(1, keyFrames);
      kinds.matrices = Export(0, keyFrames);
    }
    return kinds;
  }

 private:
  Read Export(int keyType, int keyFrames) {
    auto [scene, encoding] = GetParam();
    // Key reduction off but for exact repeats: the default level merges a slow drift of up to
    // 1e-4 per component, differently in quaternions than in matrices, which would blur the
    // comparison with what reduction costs rather than what the keys mean.
    std::ofstream(exporter_->Folder() / "ruv_max_config.ini")
        << "[Option]\r\nXFileType=" << encoding << "\r\nKeyType=" << keyType
        << "\r\nKeyFrames=" << keyFrames << "\r\nKeyOptimizeLevel=1\r\n"
        << Scene().clips;
    auto host = Scene().load();
    std::string name = std::string(Scene().name) + std::to_string(encoding) + "k" +
                       std::to_string(keyType) + "f" + std::to_string(keyFrames) + ".x";
    fs::path output = exporter_->Export(*host, name);
    Read read;
    read.path = output;
    read.scene = read.importer->ReadFile(output.string(), 0);
    EXPECT_NE(read.scene, nullptr) << name << ": " << read.importer->GetErrorString();
    return read;
  }

  static inline std::unique_ptr<ModuleExport> exporter_;
  static inline std::map<std::tuple<int, int, int>, KeyKinds> files_;
};

const aiAnimation* AnimationNamed(const aiScene& scene, const aiString& name) {
  for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
    if (scene.mAnimations[a]->mName == name) return scene.mAnimations[a];
  }
  return nullptr;
}

const aiNodeAnim* ChannelNamed(const aiAnimation& animation, const aiString& name) {
  for (unsigned c = 0; c < animation.mNumChannels; ++c) {
    if (animation.mChannels[c]->mNodeName == name) return animation.mChannels[c];
  }
  return nullptr;
}

// Every key time of the channel's three parts.
std::set<double> KeyTimes(const aiNodeAnim& channel) {
  std::set<double> times;
  for (unsigned k = 0; k < channel.mNumPositionKeys; ++k)
    times.insert(channel.mPositionKeys[k].mTime);
  for (unsigned k = 0; k < channel.mNumRotationKeys; ++k)
    times.insert(channel.mRotationKeys[k].mTime);
  for (unsigned k = 0; k < channel.mNumScalingKeys; ++k)
    times.insert(channel.mScalingKeys[k].mTime);
  return times;
}

// Both channels' key times, and a third and a half of the way between each two of them (a tick
// between two sampled frames, a fraction of a frame between two controller keys).
std::vector<double> SampleTimes(const aiNodeAnim& a, const aiNodeAnim& b) {
  std::set<double> keys = KeyTimes(a);
  keys.merge(KeyTimes(b));
  std::vector<double> times(keys.begin(), keys.end());
  for (auto k = keys.begin(); k != keys.end() && std::next(k) != keys.end(); ++k) {
    double span = *std::next(k) - *k;
    times.push_back(*k + span / 3);
    times.push_back(*k + span / 2);
  }
  return times;
}

// The largest difference between the two transforms, in two parts: the 3x3 block as a fraction of
// its largest axis (at least 1), the translation as a fraction of the larger translation (at
// least 1 unit).
struct Difference {
  double axes = 0.0, translation = 0.0;
};

Difference Compare(const aiMatrix4x4& a, const aiMatrix4x4& b) {
  double axisScale = 1.0, translationScale = 1.0;
  for (const aiMatrix4x4* m : {&a, &b}) {
    for (int c = 0; c < 3; ++c) {
      aiVector3D axis((*m)[0][c], (*m)[1][c], (*m)[2][c]);
      axisScale = std::max<double>(axisScale, axis.Length());
    }
    translationScale =
        std::max<double>(translationScale, aiVector3D((*m)[0][3], (*m)[1][3], (*m)[2][3]).Length());
  }
  Difference d;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) d.axes = std::max<double>(d.axes, std::fabs(a[r][c] - b[r][c]));
    d.translation = std::max<double>(d.translation, std::fabs(a[r][3] - b[r][3]));
  }
  d.axes /= axisScale;
  d.translation /= translationScale;
  return d;
}

// Both channels carry one sampled host transform: the first as our decomposition into float scale,
// rotation and position, the second as 16 floats that Assimp decomposes itself. Text keeps six
// decimals and a float decomposition is good to a few parts in 10^7, so the two agree to about
// 1e-6 of the node's size; 1e-4 leaves a hundredfold margin, while a turn of one degree the wrong
// way already differs by 3e-2 and a misplaced key by what the node moves in a tick.
constexpr double kTolerance = 1e-4;

std::string Describe(const aiMatrix4x4& m) {
  std::string text;
  for (int r = 0; r < 3; ++r) {
    text += "[";
    for (int c = 0; c < 4; ++c) text += " " + std::to_string(m[r][c]);
    text += " ]";
  }
  return text;
}

TEST_P(KeyKindsTest, SeparateKeysPoseEveryNodeAsMatrixKeysDo) {
  for (int keyFrames : {0, 1}) {
    SCOPED_TRACE(keyFrames ? "at the controllers' key times" : "sampled");
    const KeyKinds& files = Files(keyFrames);
    ASSERT_NE(files.separate.scene, nullptr);
    ASSERT_NE(files.matrices.scene, nullptr);
    const aiScene& separate = *files.separate.scene;
    const aiScene& matrices = *files.matrices.scene;
    ASSERT_EQ(separate.mNumAnimations, 2u);
    ASSERT_EQ(matrices.mNumAnimations, 2u);
    std::size_t compared = 0, turned = 0;
    for (unsigned a = 0; a < separate.mNumAnimations; ++a) {
      const aiAnimation& s = *separate.mAnimations[a];
      SCOPED_TRACE(s.mName.C_Str());
      const aiAnimation* m = AnimationNamed(matrices, s.mName);
      ASSERT_NE(m, nullptr);
      ASSERT_EQ(s.mNumChannels, m->mNumChannels);
      for (unsigned c = 0; c < s.mNumChannels; ++c) {
        const aiNodeAnim& sc = *s.mChannels[c];
        SCOPED_TRACE(sc.mNodeName.C_Str());
        const aiNodeAnim* mc = ChannelNamed(*m, sc.mNodeName);
        ASSERT_NE(mc, nullptr);
        const aiNode* sn = separate.mRootNode->FindNode(sc.mNodeName);
        const aiNode* mn = matrices.mRootNode->FindNode(sc.mNodeName);
        ASSERT_TRUE(sn && mn);
        for (double t : SampleTimes(sc, *mc)) {
          aiMatrix4x4 fromSeparate = e2e::ChannelTransform(sc, t, sn->mTransformation);
          aiMatrix4x4 fromMatrix = e2e::ChannelTransform(*mc, t, mn->mTransformation);
          Difference d = Compare(fromSeparate, fromMatrix);
          EXPECT_LE(d.axes, kTolerance) << "at tick " << t << "\nS/R/T  " << Describe(fromSeparate)
                                        << "\nmatrix " << Describe(fromMatrix);
          EXPECT_LE(d.translation, kTolerance)
              << "at tick " << t << "\nS/R/T  " << Describe(fromSeparate) << "\nmatrix "
              << Describe(fromMatrix);
          ++compared;
          // How far the node has turned from its frame's own transform: the comparison must meet
          // real rotations, not only holds.
          if (Compare(fromSeparate, sn->mTransformation).axes > 0.1) ++turned;
        }
      }
    }
    EXPECT_GT(compared, 100u);
    EXPECT_GT(turned, 10u);
  }
}

// At tick 0 of the clip that starts the scene's range, each node stands where its frame's own
// transform puts it: the frames are written at that time, and this scene is at rest there.
TEST_P(KeyKindsTest, FirstKeysOfTheFirstClipAreTheFrameTransforms) {
  for (int keyFrames : {0, 1}) {
    SCOPED_TRACE(keyFrames ? "at the controllers' key times" : "sampled");
    const KeyKinds& files = Files(keyFrames);
    for (const Read* read : {&files.separate, &files.matrices}) {
      ASSERT_NE(read->scene, nullptr);
      const aiScene& scene = *read->scene;
      ASSERT_GE(scene.mNumAnimations, 1u);
      const aiAnimation& first = *scene.mAnimations[0];
      ASSERT_GT(first.mNumChannels, 0u);
      for (unsigned c = 0; c < first.mNumChannels; ++c) {
        const aiNodeAnim& channel = *first.mChannels[c];
        SCOPED_TRACE(channel.mNodeName.C_Str());
        const aiNode* node = scene.mRootNode->FindNode(channel.mNodeName);
        ASSERT_NE(node, nullptr);
        // With no part left to the frame's transform, the channel alone must give it.
        ASSERT_GT(channel.mNumPositionKeys * channel.mNumRotationKeys * channel.mNumScalingKeys,
                  0u);
        aiMatrix4x4 atStart = e2e::ChannelTransform(channel, 0.0, aiMatrix4x4());
        Difference d = Compare(atStart, node->mTransformation);
        EXPECT_LE(d.axes, kTolerance)
            << Describe(atStart) << "\nframe " << Describe(node->mTransformation);
        EXPECT_LE(d.translation, kTolerance)
            << Describe(atStart) << "\nframe " << Describe(node->mTransformation);
      }
    }
  }
}

// Our preview poses the first animation set of both files as Assimp does: every frame's world
// matrix, at the clip's ends, between its keys and between its frames. The preview's matrices are
// row vectors in the file's left-handed space; Assimp's are column vectors with Z mirrored.
TEST_P(KeyKindsTest, PreviewPosesEveryFrameAsAssimpDoes) {
  const KeyKinds& files = Files(0);
  for (const Read* read : {&files.separate, &files.matrices}) {
    ASSERT_NE(read->scene, nullptr);
    SCOPED_TRACE(read->path.filename().string());
    xof::ReadResult ours = xof::ReadXFileAt(read->path);
    ASSERT_TRUE(ours.ok()) << ours.Describe();
    preview::PreviewScene scene = preview::ReadPreviewScene(*ours.document, {});
    const aiAnimation& first = *read->scene->mAnimations[0];
    ASSERT_EQ(scene.animationName, first.mName.C_Str());
    std::size_t turned = 0;
    for (double fraction : {0.0, 0.2, 0.5, 0.77, 1.0}) {
      double ticks = std::floor(first.mDuration * fraction) + (fraction < 1.0 ? 0.5 : 0.0);
      SCOPED_TRACE(ticks);
      preview::PosedScene posed = preview::PoseScene(scene, ticks);
      preview::PosedScene rest = preview::PoseScene(scene, std::nullopt);
      e2e::Pose theirs(*read->scene, 0, ticks);
      for (std::size_t f = 0; f < scene.frames.size(); ++f) {
        const aiNode* node = read->scene->mRootNode->FindNode(scene.frames[f].name.c_str());
        ASSERT_NE(node, nullptr) << scene.frames[f].name;
        const preview::Mat4& p = posed.frameWorld[f];
        aiMatrix4x4 mirrored;
        for (int r = 0; r < 4; ++r) {
          for (int c = 0; c < 4; ++c)
            mirrored[r][c] = p(c, r) * ((r == 2) != (c == 2) ? -1.0f : 1.0f);
        }
        Difference d = Compare(mirrored, theirs.Global(node));
        EXPECT_LE(d.axes, kTolerance) << scene.frames[f].name << "\npreview " << Describe(mirrored)
                                      << "\nAssimp  " << Describe(theirs.Global(node));
        EXPECT_LE(d.translation, kTolerance) << scene.frames[f].name;
        float moved = 0;
        for (int i = 0; i < 12; ++i)
          moved = std::max(moved, std::fabs(p.m[i] - rest.frameWorld[f].m[i]));
        turned += moved > 0.1f;
      }
    }
    EXPECT_GE(turned, 2u) << "frames and times that the clip moves";
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, KeyKindsTest,
                         testing::Combine(testing::Range(0, 3), testing::Range(0, 3)),
                         [](const testing::TestParamInfo<std::tuple<int, int>>& info) {
                           return std::string(kScenes[std::get<0>(info.param)].name) +
                                  kEncodings[std::get<1>(info.param)];
                         });

}  // namespace
