// `.x` files read by our own reader into the neutral model: the host's axes, every mesh channel,
// materials and effect instances, skins, animation sets at their rates, and what is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/sim/import/xfile_reader.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "import_test_support.h"

namespace {

using sim::import::ImportedModel;
using test::fs::path;

const char kHeader[] = "xof 0303txt 0032\n";

ImportedModel ReadText(const test::TempFolder& folder, const std::string& body,
                       sim::import::ImportSettings settings = {}) {
  path file = folder.Write("model.x", kHeader + body);
  return sim::import::ReadXFileModel(file, file.string(), settings);
}

bool Has(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

void ExpectPoint(const Point3& p, float x, float y, float z) {
  EXPECT_FLOAT_EQ(p.x, x);
  EXPECT_FLOAT_EQ(p.y, y);
  EXPECT_FLOAT_EQ(p.z, z);
}

// A quad and a triangle: normals per face (so the shared vertices split), texture coordinates
// of host channel 2, colours with alpha, two materials, one shared at the top level.
const char kQuadAndTriangle[] = R"(
Material Red { 1.0;0.0;0.0;0.5;; 25.0; 0.2;0.3;0.4;; 0.0;0.0;0.0;; TextureFilename { "red.png"; } }
Frame Box {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,2,3,1;; }
  Mesh BoxMesh {
    5; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 0;0;1;;
    2; 4;0,1,2,3;, 3;0,3,4;;
    MeshNormals { 2; 0;0;-1;, -1;0;0;; 2; 4;0,0,0,0;, 3;1,1,1;; }
    MeshTextureCoords c2 { 5; 0;0;, 1;0;, 1;1;, 0;1;, 0.5;0.25;; }
    MeshVertexColors { 5; 0;1;0;0;1;;, 1;0;1;0;1;;, 2;0;0;1;0.5;;, 3;1;1;1;1;;, 4;1;1;1;1;;; }
    MeshMaterialList { 2; 2; 1, 0;; { Red } Material Blue { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }
  }
}
)";

TEST(XFileImport, MeshChannelsComeInTheHostsAxesWithTheirVerticesSplitAsTheExporterSplitsThem) {
  test::TempFolder folder("x-mesh");
  folder.Write("red.png", "png");
  ImportedModel model = ReadText(folder, kQuadAndTriangle);
  ASSERT_EQ(model.nodes.size(), 1u);
  EXPECT_EQ(model.nodes[0].name, L"Box");
  EXPECT_EQ(model.nodes[0].meshName, L"BoxMesh");
  EXPECT_FALSE(model.yUp) << "the axes are swapped by the reader itself";
  ExpectPoint(model.nodes[0].local.GetTrans(), 1, 3, 2);
  ASSERT_EQ(model.parts.size(), 1u);
  const auto& part = model.parts[0];
  // Vertices 0 and 3 are shared by faces of different normals and materials: each splits.
  ASSERT_EQ(part.positions.size(), 7u);
  ASSERT_EQ(part.triangles.size(), 3u);
  // The quad's fan, corners in the other order: file (0 1 2), (0 2 3) -> host (0 2 1), (0 3 2).
  EXPECT_EQ(part.triangles[0], (std::array<DWORD, 3>{0, 2, 1}));
  EXPECT_EQ(part.triangles[1], (std::array<DWORD, 3>{0, 3, 2}));
  ExpectPoint(part.positions[2], 1, 0, 1);  // file (1, 1, 0)
  ASSERT_EQ(part.normals.size(), 7u);
  ExpectPoint(part.normals[0], 0, -1, 0);
  ExpectPoint(part.normals[part.triangles[2][0]], -1, 0, 0);
  ExpectPoint(part.positions[part.triangles[2][0]], 0, 0, 0);
  ASSERT_EQ(part.uvSets.size(), 2u) << "c2 is channel 2, set 1; set 0 is filled";
  ExpectPoint(part.uvSets[1][2], 1, 0, 0);  // v = 1 - 1
  ExpectPoint(part.uvSets[0][2], 0, 0, 0);
  ASSERT_EQ(part.alpha.size(), 7u);
  EXPECT_FLOAT_EQ(part.alpha[2], 0.5f);
  ExpectPoint(part.colors[1], 0, 1, 0);
  EXPECT_EQ(part.slotMaterials, (std::vector<int>{0, 1}));
  EXPECT_EQ(part.triangleSlots, (std::vector<std::uint16_t>{1, 1, 0}));

  ASSERT_EQ(model.materials.size(), 2u);
  const auto& red = model.materials[0];
  EXPECT_EQ(red.name, L"Red");
  EXPECT_FLOAT_EQ(1.0f - red.colors.transparency, 0.5f);
  EXPECT_FLOAT_EQ(red.colors.shininess * 100.0f, 25.0f);
  EXPECT_EQ(red.colors.specular.g * red.colors.shininessStrength * 0.1f, 0.3f)
      << "the exporter's product gives the file's value back exactly";
  ASSERT_TRUE(red.maps[sim::kDiffuseSlot]);
  EXPECT_NE(red.maps[sim::kDiffuseSlot]->hostPath.find(L"red.png"), std::wstring::npos);
}

// Files as the exporter writes them (normals indexed as the vertices, each vertex of one material)
// keep every vertex in place; a vertex that two materials share still splits.
TEST(XFileImport, VerticesInTheirOwnOrderStayAndAVertexOfTwoMaterialsSplits) {
  test::TempFolder folder("x-weld");
  auto mesh = [](const std::string& slots, const std::string& faces) {
    std::size_t count = static_cast<std::size_t>(std::count(slots.begin(), slots.end(), ',')) + 1;
    return R"(
Mesh M {
  7; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 2;2;0;, 3;3;0;, 4;4;0;;
  )" + faces +
           R"(
  MeshNormals { 7; 0;0;-1;, 0;0;-1;, 0;0;-1;, 0;0;-1;, 0;0;-1;, 0;0;-1;, 0;0;-1;; )" +
           faces + R"( }
  MeshMaterialList { 2; )" +
           std::to_string(count) + "; " + slots +
           R"(;; Material A { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }
                           Material B { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } }
}
)";
  };
  ImportedModel kept = ReadText(folder, mesh("0, 0, 1", "3; 3;0,1,2;, 3;0,2,3;, 3;4,5,6;;"));
  ASSERT_EQ(kept.parts.size(), 1u);
  EXPECT_EQ(kept.parts[0].positions.size(), 7u);
  EXPECT_EQ(kept.parts[0].triangles[1], (std::array<DWORD, 3>{0, 3, 2}));
  ASSERT_EQ(kept.parts[0].normals.size(), 7u);
  ExpectPoint(kept.parts[0].positions[4], 2, 0, 2);
  ExpectPoint(kept.parts[0].normals[4], 0, -1, 0);

  // Vertices 1 and 2 are corners of faces of both materials: each is split once.
  ImportedModel split =
      ReadText(folder, mesh("0, 0, 1, 1", "4; 3;0,1,2;, 3;0,2,3;, 3;4,5,6;, 3;2,1,4;;"));
  const auto& part = split.parts[0];
  ASSERT_EQ(part.positions.size(), 9u);
  EXPECT_EQ(part.triangles[3], (std::array<DWORD, 3>{7, 4, 8}));
  EXPECT_EQ(part.triangleSlots, (std::vector<std::uint16_t>{0, 0, 1, 1}));
  for (std::size_t t = 0; t < part.triangles.size(); ++t) {
    for (DWORD v : part.triangles[t]) ExpectPoint(part.normals[v], 0, -1, 0);
  }
  ExpectPoint(part.positions[7], 1, 0, 1);  // file vertex 2
  ExpectPoint(part.positions[8], 1, 0, 0);  // file vertex 1

  // A file that names its vertices first out of order keeps them in the order they come.
  ImportedModel moved = ReadText(folder, mesh("0, 0, 0", "3; 3;1,0,2;, 3;0,2,3;, 3;4,5,6;;"));
  ASSERT_EQ(moved.parts[0].positions.size(), 7u);
  ExpectPoint(moved.parts[0].positions[0], 1, 0, 0);
  EXPECT_EQ(moved.parts[0].triangles[0], (std::array<DWORD, 3>{0, 2, 1}));
}

TEST(XFileImport, VertexDeclarationsGiveTheirChannelsAndTangentsAreLeftToTheExporter) {
  test::TempFolder folder("x-decl");
  // Per vertex: normal (float3), texture coordinates 0 (float2), tangent (float3), colour.
  std::string data;
  const char* vertex[3] = {
      "0,0,1065353216, 1056964608,1048576000, 0,0,0, "
      "2164195328",
      "0,0,1065353216, 1065353216,0, 0,0,0, "
      "4278255360",
      "0,0,1065353216, 0,1065353216, 0,0,0, "
      "4278190335"};
  for (int v = 0; v < 3; ++v) data += std::string(v ? ", " : "") + vertex[v];
  std::string body = R"(
Mesh Tri { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
  DeclData { 4; 2;0;3;0;, 1;0;5;0;, 2;0;6;0;, 4;0;10;0;; 27; )" +
                     data + R"(; }
}
)";
  ImportedModel model = ReadText(folder, body);
  ASSERT_EQ(model.nodes.size(), 1u) << "a mesh outside every frame stands in a node";
  EXPECT_EQ(model.nodes[0].name, L"Tri");
  const auto& part = model.parts[0];
  ASSERT_EQ(part.normals.size(), 3u);
  ExpectPoint(part.normals[0], 0, 1, 0);
  ASSERT_EQ(part.uvSets.size(), 1u);
  ExpectPoint(part.uvSets[0][0], 0.5f, 0.75f, 0);
  ASSERT_EQ(part.colors.size(), 3u);
  ExpectPoint(part.colors[0], 1, 0, 0);
  EXPECT_NEAR(part.alpha[0], 128.0f / 255.0f, 1e-6);
  ExpectPoint(part.colors[2], 0, 0, 1);
  EXPECT_TRUE(Has(model.warnings, "tangents and binormals are dropped"));
}

TEST(XFileImport, EffectInstancesBecomeDirectXShaderMaterialsWithTheirParameters) {
  test::TempFolder folder("x-effect");
  folder.Write("glow.fx", "// effect");
  folder.Write("glow.dds", "dds");
  ImportedModel model = ReadText(folder, R"(
Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
  MeshMaterialList { 1; 1; 0;;
    Material Glow { 1;1;1;1;; 0; 0;0;0;; 0;0;0;;
      EffectInstance { "glow.fx";
        EffectParamDWord { "Lit"; 7; }
        EffectParamString { "GlowMap"; "glow.dds"; }
        EffectParamString { "Technique"; "Bright"; }
        EffectParamFloats { "Strength"; 1; 0.5; }
        EffectParamFloats { "Tint"; 4; 1;0.5;0.25;1; }
        EffectParamFloats { "Offset"; 2; 1;2; }
      }
    }
  }
}
)");
  ASSERT_EQ(model.materials.size(), 1u);
  const auto& effect = model.materials[0].effect;
  ASSERT_TRUE(effect);
  EXPECT_NE(effect->hostPath.find(L"glow.fx"), std::wstring::npos);
  ASSERT_EQ(effect->params.size(), 5u) << "two floats have no host parameter";
  EXPECT_EQ(effect->params[0].type, TYPE_BOOL);
  EXPECT_EQ(std::get<int>(effect->params[0].value), 7);
  EXPECT_EQ(effect->params[1].type, TYPE_BITMAP);
  EXPECT_NE(std::get<std::wstring>(effect->params[1].value).find(L"glow.dds"), std::wstring::npos);
  EXPECT_EQ(effect->params[2].type, TYPE_STRING);
  EXPECT_EQ(std::get<std::wstring>(effect->params[2].value), L"Bright");
  EXPECT_EQ(effect->params[3].type, TYPE_FLOAT);
  EXPECT_EQ(effect->params[4].type, TYPE_FRGBA);
  EXPECT_FLOAT_EQ(std::get<AColor>(effect->params[4].value).b, 0.25f);
  EXPECT_TRUE(Has(model.warnings, "Offset of 2 floats is dropped"));
}

// Two sets: the first at the top-level rate of 30 ticks a second, keys given out of order; the
// second at its own rate of 60, with matrix keys and animation options.
const char kAnimated[] = R"(
Frame Root { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  Frame Arm { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
}
AnimTicksPerSecond { 30; }
AnimationSet Wave {
  Animation { { Arm }
    AnimationKey { 2; 2; 30;3;1,2,3;;, 0;3;0,0,0;;; }
    AnimationKey { 0; 2; 0;4;1,0,0,0;;, 30;4;0.70710678,0,0.70710678,0;;; }
  }
  Animation { { Nowhere } AnimationKey { 1; 1; 0;3;1,1,1;;; } }
}
AnimationSet Lift {
  AnimTicksPerSecond { 60; }
  Animation { { Root }
    AnimationOptions { 1; 0; }
    AnimationKey { 4; 2; 0;16;1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;,
                         120;16;2,0,0,0,0,2,0,0,0,0,2,0,4,5,6,1;;; }
  }
}
)";

TEST(XFileImport, AnimationSetsKeepTheirRatesAndMatrixKeysComeApart) {
  test::TempFolder folder("x-animation");
  ImportedModel model = ReadText(folder, kAnimated);
  ASSERT_EQ(model.animations.size(), 2u);
  const auto& wave = model.animations[0];
  EXPECT_EQ(wave.name, L"Wave");
  ASSERT_EQ(wave.channels.size(), 2u) << "the frame the file does not hold is dropped";
  const auto& move = wave.channels[0];
  EXPECT_EQ(move.path, sim::import::ImportedPath::kTranslation);
  EXPECT_EQ(move.node, 1);
  EXPECT_EQ(move.times, (std::vector<float>{0.0f, 1.0f})) << "in time order, at 30 a second";
  EXPECT_EQ(move.values, (std::vector<float>{0, 0, 0, 1, 3, 2}));
  // A half turn about the file's Y is one about the host's Z; the classic quaternion is the
  // conjugate of the key's.
  const auto& turn = wave.channels[1];
  ASSERT_EQ(turn.values.size(), 8u);
  EXPECT_FLOAT_EQ(turn.values[4], 0.0f);
  EXPECT_FLOAT_EQ(turn.values[5], 0.0f);
  EXPECT_FLOAT_EQ(turn.values[6], 0.70710678f);
  EXPECT_FLOAT_EQ(turn.values[7], 0.70710678f);
  EXPECT_TRUE(Has(model.warnings, "out of time order"));
  EXPECT_TRUE(Has(model.warnings, "Nowhere"));

  const auto& lift = model.animations[1];
  ASSERT_EQ(lift.channels.size(), 3u) << "a matrix key gives position, rotation and scale";
  for (const auto& channel : lift.channels) {
    EXPECT_EQ(channel.times, (std::vector<float>{0.0f, 2.0f})) << "at the set's own 60 a second";
  }
  EXPECT_EQ(std::vector<float>(lift.channels[0].values.begin() + 3, lift.channels[0].values.end()),
            (std::vector<float>{4, 6, 5}));
  EXPECT_EQ(std::vector<float>(lift.channels[2].values.begin() + 3, lift.channels[2].values.end()),
            (std::vector<float>{2, 2, 2}));
  EXPECT_TRUE(Has(model.warnings, "AnimationOptions are dropped"));
}

TEST(XFileImport, SkinBonesAreTheFramesOfTheirNamesAndAnUnknownBoneLosesItsWeights) {
  test::TempFolder folder("x-skin");
  ImportedModel model = ReadText(folder, R"(
Frame Body {
  Frame Bone { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,1,0,1;; } }
  Mesh Skin { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
    SkinWeights { "Bone"; 2; 0,2; 1.0,0.25; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-1,0,1;; }
    SkinWeights { "Ghost"; 1; 2; 0.75; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  }
}
)");
  ASSERT_EQ(model.skins.size(), 1u);
  ASSERT_EQ(model.skins[0].joints, (std::vector<int>{1}));
  ExpectPoint(model.skins[0].inverseBindMatrices[0].GetTrans(), 0, 0, -1);
  EXPECT_EQ(model.nodes[0].skin, 0);
  const auto& part = model.parts[0];
  ASSERT_EQ(part.influenceStarts.size(), 4u);
  EXPECT_EQ(part.influenceStarts, (std::vector<std::uint32_t>{0, 1, 1, 2}));
  EXPECT_FLOAT_EQ(part.influences[1].weight, 0.25f);
  EXPECT_TRUE(Has(model.warnings, "bone \"Ghost\" names no node of the scene"));
}

TEST(XFileImport, BrokenFilesAreRefusedNamingTheProblemAndRuvxWritesNothing) {
  test::TempFolder folder("x-bad");
  auto refusal = [&](const std::string& body) {
    try {
      ReadText(folder, body);
    } catch (const sim::SceneFileError& error) {
      return std::string(error.what());
    }
    return std::string("accepted");
  };
  EXPECT_NE(refusal("Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,9;; }")
                .find("mesh M: face 0 names vertex 9 of 3"),
            std::string::npos);
  EXPECT_NE(refusal("Frame F { FrameTransformMatrix { 1,0,0,0, 0,1,0,0;; } }").find("byte"),
            std::string::npos)
      << "the reader's message with its place";
  EXPECT_NE(
      refusal("Frame F {} AnimationSet S { Animation { { F } AnimationKey { 0; 1; 0;3;1,0,0;;; "
              "} } }")
          .find("holds 3 values, not 4"),
      std::string::npos);
  EXPECT_NE(refusal("Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 1; "
                    "3;0,0,4;; } }")
                .find("names normal 4 of 1"),
            std::string::npos);

  EXPECT_NE(refusal("Frame B {} Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; SkinWeights { "
                    "\"B\"; 1; 0; 1.0; 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,1;; } }")
                .find("bone B: the offset matrix cannot be inverted"),
            std::string::npos);

  path input = folder.Write("bad.x", std::string(kHeader) + "Mesh M { 3; 0;0;0;; }");
  path output = folder.Path() / "out.x";
  test::RuvxResult run = test::Ruvx("export " + input.string() + " " + output.string() +
                                    " --config-dir " + folder.Path().string());
  EXPECT_EQ(run.status, 3) << run.output;
  EXPECT_NE(run.output.find("bad.x"), std::string::npos) << run.output;
  EXPECT_FALSE(test::fs::exists(output));
}

TEST(XFileImport, AZUpFileIsMirroredThroughYInstead) {
  test::TempFolder folder("x-zup");
  sim::import::ImportSettings settings;
  settings.up = sim::import::UpAxis::kZ;
  ImportedModel model =
      ReadText(folder, "Frame F { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,2,3,1;; } }",
               settings);
  ExpectPoint(model.nodes[0].local.GetTrans(), 1, -2, 3);
}

}  // namespace
