// Y-up glTF arms whose root joint is bound at the identity, exported by `ruvx export` in every
// encoding and posed by Irrlicht, against the source as Assimp poses it: at rest
// and through the clip. The root joint is bound where the arm is, under the model's turn: an
// identity offset, which Irrlicht would take for none given and tear the arm at rest, were it not
// for the skin frame the skin names instead (src/ruv/xfile/skin_frames.h).
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <cstdio>
#include <limits>

#include "assimp_poser.h"
#include "import_test_support.h"
#include "irrlicht_poser.h"

namespace {

namespace fs = std::filesystem;
using e2e::Position;

// Our files' AnimTicksPerSecond; Irrlicht's frames are the file's ticks.
constexpr double kTicksPerSecond = 4800.0;
// The times compared, in seconds: rest, between keys, on a key, the clip's end.
constexpr double kSeconds[] = {0.0, 0.25, 0.5, 0.8, 1.0};

struct Model {
  const char* name;
  fs::path path;
};

// Both bind the root joint at the identity; the second also turns and moves the root and turns the
// elbow about axes that a mirrored reader would turn the other way, on an arm whose cross-section
// has no mirror symmetry.
const Model kModels[] = {
    {"TwoBoneArm", test::kModels / "two-bone-arm.gltf"},
    {"TurningArm", fs::path(RUV_SOURCE_DIR) / "tests/e2e/irrlicht/turning-arm.gltf"},
};
const char* const kFormats[] = {"text", "binary", "compressed"};

// glTF is right-handed and the file left-handed, both Y-up: the export leaves x and y and turns z
// around, and Irrlicht takes the file's coordinates as they are (as DirectX does). So the source's
// z is turned around to compare (Assimp, reading a .x file, would turn it back itself).
Position Mirrored(const aiVector3D& v) { return {v.x, v.y, -v.z}; }

double Distance(const Position& a, const Position& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

// The source's vertices at `seconds` of its animation, or with every node at its own transform.
std::vector<Position> SourcePose(const aiScene& scene, double seconds, bool rest) {
  double ticksPerSecond = scene.mAnimations[0]->mTicksPerSecond;
  e2e::Pose pose(scene, rest ? -1 : 0, seconds * ticksPerSecond);
  std::vector<Position> out;
  for (const aiVector3D& v : pose.Vertices()) out.push_back(Mirrored(v));
  return out;
}

double Diagonal(const std::vector<Position>& points) {
  Position low, high;
  low.fill(std::numeric_limits<double>::max());
  high.fill(std::numeric_limits<double>::lowest());
  for (const Position& p : points) {
    for (int i = 0; i < 3; ++i) {
      low[i] = std::min(low[i], p[i]);
      high[i] = std::max(high[i], p[i]);
    }
  }
  return Distance(low, high);
}

// For each vertex, the source vertex nearest to it in bind pose; the readers split vertices
// differently, so order says nothing. Every source vertex must be someone's nearest, each at
// (nearly) the same place.
std::vector<std::size_t> Match(const std::vector<Position>& bind,
                               const std::vector<Position>& sourceBind, double diagonal) {
  std::vector<std::size_t> nearest;
  std::vector<bool> matched(sourceBind.size(), false);
  for (const Position& p : bind) {
    std::size_t best = 0;
    for (std::size_t s = 1; s < sourceBind.size(); ++s) {
      if (Distance(p, sourceBind[s]) < Distance(p, sourceBind[best])) best = s;
    }
    EXPECT_LT(Distance(p, sourceBind[best]), 1e-4 * diagonal)
        << "bind pose vertex " << nearest.size() << " has no source vertex";
    matched[best] = true;
    nearest.push_back(best);
  }
  EXPECT_EQ(std::count(matched.begin(), matched.end(), false), 0) << "source vertices unmatched";
  return nearest;
}

// The largest distance between matched vertices, as a fraction of the diagonal.
double WorstDeviation(const std::vector<Position>& posed, const std::vector<Position>& source,
                      const std::vector<std::size_t>& match, double diagonal) {
  double worst = 0.0;
  EXPECT_EQ(posed.size(), match.size());
  for (std::size_t i = 0; i < std::min(posed.size(), match.size()); ++i)
    worst = std::max(worst, Distance(posed[i], source[match[i]]) / diagonal);
  return worst;
}

// The worst deviation at each time goes to the test's properties (--gtest_output=xml).
std::string Key(const char* reader, double seconds) {
  return std::string(reader) + "_" + std::to_string(static_cast<int>(seconds * kTicksPerSecond));
}
std::string Formatted(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

class IrrlichtPoseTest : public testing::TestWithParam<std::tuple<int, int>> {
 protected:
  void SetUp() override {
    const Model& model = kModels[std::get<0>(GetParam())];
    source_ = importer_.ReadFile(model.path.string(), 0);
    ASSERT_NE(source_, nullptr) << importer_.GetErrorString();
    ASSERT_EQ(source_->mNumAnimations, 1u);
    fs::create_directories(folder_.Path() / "config");
    output_ = folder_.Path() / (std::string(model.name) + ".x");
    test::RuvxResult run = test::Ruvx("export " + model.path.string() + " " + output_.string() +
                                      " --format " + kFormats[std::get<1>(GetParam())] +
                                      " --config-dir " + (folder_.Path() / "config").string());
    ASSERT_EQ(run.status, 0) << run.output;
  }

  Assimp::Importer importer_;
  const aiScene* source_ = nullptr;
  test::TempFolder folder_{"irrlicht"};
  fs::path output_;
};

TEST_P(IrrlichtPoseTest, IrrlichtPosesTheFileAsTheSourceIsPosed) {
  e2e::IrrlichtPoser irrlicht(output_);
  ASSERT_TRUE(irrlicht.Loaded());
  EXPECT_EQ(irrlicht.LastFrame(), kTicksPerSecond) << "one clip of one second, in ticks";

  std::vector<Position> sourceBind = SourcePose(*source_, 0.0, true);
  double diagonal = Diagonal(sourceBind);
  std::vector<std::size_t> match = Match(irrlicht.Unposed("Arm"), sourceBind, diagonal);
  for (double seconds : kSeconds) {
    double worst = WorstDeviation(irrlicht.Posed(seconds * kTicksPerSecond),
                                  SourcePose(*source_, seconds, false), match, diagonal);
    EXPECT_LT(worst, 0.005) << seconds << " s";
    RecordProperty(Key("irrlicht", seconds), Formatted(worst));
  }
}

INSTANTIATE_TEST_SUITE_P(ModelsAndEncodings, IrrlichtPoseTest,
                         testing::Combine(testing::Range(0, 2), testing::Range(0, 3)),
                         [](const testing::TestParamInfo<std::tuple<int, int>>& info) {
                           std::string format = kFormats[std::get<1>(info.param)];
                           format[0] = static_cast<char>(std::toupper(format[0]));
                           return kModels[std::get<0>(info.param)].name + format;
                         });

}  // namespace
