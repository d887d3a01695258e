// Skin frames through the whole build, processing pass and file writer, read back with our
// reader: a bone bound where its mesh is, away from the origin, gets a frame half a turn from its
// own that the skin names, with an offset that undoes the turn exactly; nothing else changes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "host/sim/mesh_builder.h"
#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/options/export_options.h"
#include "ruv/processing/processing.h"
#include "ruv/scene/node_tree.h"
#include "ruv/xfile/x_file_writer.h"
#include "xof/file_reader.h"
#include "xof/template_model.h"

namespace {

using Matrix16 = std::vector<float>;

const Matrix16 kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const Matrix16 kHalfTurn{-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};

std::vector<float> Floats(const xof::DataBlock& data, std::size_t from, std::size_t count) {
  std::vector<float> values(count);
  std::memcpy(values.data(), data.data() + from, count * sizeof(float));
  return values;
}

// What the file says: each frame's matrix and parent, each SkinWeights' offset by the frame named.
struct Written {
  std::map<std::string, Matrix16> frames;
  std::map<std::string, std::string> parents;
  std::map<std::string, Matrix16> offsets;
};

void Collect(const xof::DataObject& object, const std::string& parent, Written& out) {
  if (object.type->name == "Frame") {
    out.parents[object.name] = parent;
  } else if (object.type->name == "FrameTransformMatrix") {
    out.frames[parent] = Floats(object.data, 0, 16);
  } else if (object.type->name == "SkinWeights") {
    std::string frame(reinterpret_cast<const char*>(object.data.data()));
    std::uint32_t count = 0;
    std::memcpy(&count, object.data.data() + frame.size() + 1, 4);
    out.offsets[frame] = Floats(object.data, frame.size() + 1 + 4 + 8 * count, 16);
  }
  std::string name = object.type->name == "Frame" ? object.name : parent;
  for (const auto& child : object.children) {
    if (child.object) Collect(*child.object, name, out);
  }
}

class SkinFrameTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    gExportOptions = ExportOptions{};
    gExportOptions.Meshs = gExportOptions.Bones = gExportOptions.Skin = 1;
    gExportOptions.XFileType = 0;
    SetupConversion(1.0f, 0, 0.0f, 0.0f);
    path_ = std::filesystem::temp_directory_path() /
            ("ruv-skin-frames-" + std::to_string(::getpid()) + ".x");
  }
  void TearDown() override {
    gExportOptions = saved_;
    std::filesystem::remove(path_);
  }

  // A body bound at `at` with a hip bone bound there too and a knee below it; beside them, a
  // mesh named `otherNode`.
  Written Export(Point3 at, const wchar_t* otherNode = nullptr) {
    sim::SceneBuilder builder;
    auto& hip = builder.Root().AddChild(L"Hip").Bone().Translate(at);
    auto& knee = hip.AddChild(L"Knee").Bone().Translate({0, 0, -10});
    if (otherNode) {
      builder.Root().AddChild(otherNode).TriMesh(
          sim::MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}));
    }
    sim::SkinDescription skin;
    skin.bones = {{&hip, {}}, {&knee, {}}};
    skin.points = {{{0, 1}}, {{0, 0.5f}, {1, 0.5f}}, {{1, 1}}};
    builder.Root()
        .AddChild(L"Body")
        .TriMesh(sim::MakeMesh({{0, 0, 0}, {0, 0, -5}, {0, 0, -10}}, {{0, 1, 2}}))
        .Translate(at)
        .Skin(skin);
    auto scene = builder.Build();
    ExportContext context;
    context.host = &scene->Host();
    context.animRange = scene->Host().GetAnimRange();
    context.progressNextAt = 1e30f;
    BuildNodeTree(&context, &scene->Root());
    ProcessNodeTree(&context);
    WriteXFile(&context, platform::ToHostPath(path_));
    xof::ReadResult result = xof::ReadXFileAt(path_);
    EXPECT_TRUE(result.ok()) << result.Describe();
    Written written;
    if (result.ok()) {
      for (const auto& object : result.document->objects) Collect(*object, "", written);
    }
    return written;
  }

  ExportOptions saved_;
  std::filesystem::path path_;
};

}  // namespace

TEST_F(SkinFrameTest, ABoneBoundWhereItsMeshIsAwayFromTheOriginGetsOne) {
  Written file = Export({3, 4, 5});
  ASSERT_TRUE(file.parents.count("Hip_Skin"));
  EXPECT_EQ(file.parents["Hip_Skin"], "Hip");
  EXPECT_EQ(file.frames["Hip_Skin"], kHalfTurn);
  // The offset is the identity in meaning: turned back, it undoes the frame's half turn.
  EXPECT_EQ(file.offsets.count("Hip"), 0u);
  EXPECT_EQ(file.offsets["Hip_Skin"], kHalfTurn);
  // The knee's offset is no identity: it stays the knee's, as it was.
  ASSERT_TRUE(file.offsets.count("Knee"));
  EXPECT_EQ(file.offsets["Knee"][13], 10.0f);
  EXPECT_EQ(file.parents.size(), 4u) << "Hip, Knee, Body and the skin frame";
}

// At the origin the identity offset is right for every reader, Irrlicht's inverse of the rest
// included: the file stays as it was.
TEST_F(SkinFrameTest, AtTheOriginNoneIsNeeded) {
  Written file = Export({0, 0, 0});
  EXPECT_EQ(file.parents.count("Hip_Skin"), 0u);
  EXPECT_EQ(file.offsets["Hip"], kIdentity);
  EXPECT_EQ(file.parents.size(), 3u);
}

TEST_F(SkinFrameTest, ItsNameIsOneNoNodeHas) {
  Written file = Export({3, 4, 5}, L"Hip_Skin");
  EXPECT_EQ(file.parents["Hip_Skin"], "") << "the scene's own node";
  EXPECT_EQ(file.parents["Hip_Skin_"], "Hip");
  EXPECT_EQ(file.offsets.count("Hip_Skin_"), 1u);
}
