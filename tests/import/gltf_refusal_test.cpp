// Broken glTF files end in one clear error naming the file and the problem, never in a crash or a
// read out of bounds; features the host does not carry are named in warnings.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "import_test_support.h"

namespace {

using json = nlohmann::json;
using test::Import;

std::string Base64(const std::string& bytes) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    text += digits[n >> 18 & 63];
    text += digits[n >> 12 & 63];
    text += i + 1 < bytes.size() ? digits[n >> 6 & 63] : '=';
    text += i + 2 < bytes.size() ? digits[n & 63] : '=';
  }
  return text;
}

// One triangle (three positions, then three 32-bit indices) in a data-URI buffer.
json Triangle(std::vector<float> positions = {0, 0, 0, 1, 0, 0, 0, 1, 0},
              std::vector<std::uint32_t> indices = {0, 1, 2}) {
  std::string bytes(reinterpret_cast<const char*>(positions.data()), positions.size() * 4);
  bytes.append(reinterpret_cast<const char*>(indices.data()), indices.size() * 4);
  return {
      {"asset", {{"version", "2.0"}}},
      {"scene", 0},
      {"scenes", {{{"nodes", {0}}}}},
      {"nodes", {{{"name", "Tri"}, {"mesh", 0}}}},
      {"meshes", {{{"primitives", {{{"attributes", {{"POSITION", 0}}}, {"indices", 1}}}}}}},
      {"accessors",
       {{{"bufferView", 0},
         {"componentType", 5126},
         {"count", positions.size() / 3},
         {"type", "VEC3"}},
        {{"bufferView", 1},
         {"componentType", 5125},
         {"count", indices.size()},
         {"type", "SCALAR"}}}},
      {"bufferViews",
       {{{"buffer", 0}, {"byteOffset", 0}, {"byteLength", positions.size() * 4}},
        {{"buffer", 0}, {"byteOffset", positions.size() * 4}, {"byteLength", indices.size() * 4}}}},
      {"buffers",
       {{{"byteLength", bytes.size()},
         {"uri", "data:application/octet-stream;base64," + Base64(bytes)}}}}};
}

class GltfRefusal : public testing::Test {
 protected:
  // Imports `text` as model.gltf and expects the refusal to name the file and contain `problem`.
  void ExpectRefused(const std::string& text, const std::string& problem,
                     const std::string& name = "model.gltf") {
    std::filesystem::path file = folder_.Write(name, text);
    try {
      Import(file, folder_.Path());
      ADD_FAILURE() << "accepted: " << problem;
    } catch (const sim::SceneFileError& error) {
      std::string message = error.what();
      EXPECT_NE(message.find(file.string()), std::string::npos) << message;
      EXPECT_NE(message.find(problem), std::string::npos) << message;
    }
  }

  std::vector<std::string> Warnings(const json& document) {
    return Import(folder_.Write("model.gltf", document.dump()), folder_.Path()).warnings;
  }

  test::TempFolder folder_{"refusal"};
};

TEST_F(GltfRefusal, TheTriangleItselfIsFine) {
  auto imported = Import(folder_.Write("model.gltf", Triangle().dump()));
  EXPECT_EQ(test::MeshOf(imported.scene->FindNode(L"Tri")).getNumFaces(), 1);
}

TEST_F(GltfRefusal, BrokenGeometry) {
  ExpectRefused(Triangle({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 5}).dump(),
                "index 2 is 5, past the primitive's 3 vertices");
  float nan = std::numeric_limits<float>::quiet_NaN();
  ExpectRefused(Triangle({0, 0, 0, nan, 0, 0, 0, 1, 0}).dump(),
                "/accessors/0: element 1 holds a value that is not a finite float");
  json document = Triangle();
  document["accessors"][0]["count"] = 10;
  ExpectRefused(document.dump(), "lie outside buffer view 0 of 36 bytes");
  document = Triangle();
  document["bufferViews"][1]["byteLength"] = 4000;
  ExpectRefused(document.dump(), "lie outside buffer 0 of 48 bytes");
  document = Triangle();
  document["meshes"][0]["primitives"][0]["attributes"]["POSITION"] = 7;
  ExpectRefused(document.dump(), "accessor 7 does not exist: the file has 2 accessors");
  document = Triangle();
  document["accessors"][1]["componentType"] = 5126;
  ExpectRefused(document.dump(), "cannot hold indices");
  document = Triangle();
  document["nodes"][0]["mesh"] = 3;
  ExpectRefused(document.dump(), "mesh 3 does not exist");
}

TEST_F(GltfRefusal, HierarchiesThatLoop) {
  json document = Triangle();
  document["nodes"] = {{{"name", "A"}, {"children", {1}}}, {{"name", "B"}, {"children", {0}}}};
  ExpectRefused(document.dump(), "the hierarchy loops");
  document["nodes"] = {{{"name", "A"}, {"children", {0}}}};
  ExpectRefused(document.dump(), "the hierarchy loops");
  document["nodes"] = {
      {{"name", "A"}, {"children", {2}}}, {{"name", "B"}, {"children", {2}}}, {{"name", "C"}}};
  ExpectRefused(document.dump(), "has two parents");
}

TEST_F(GltfRefusal, MissingFilesAndBrokenContainers) {
  json document = Triangle();
  document["buffers"][0]["uri"] = "nothere.bin";
  ExpectRefused(document.dump(), "nothere.bin");
  ExpectRefused("{ \"asset\": ", "");
  ExpectRefused("not json at all", "");
  ExpectRefused(std::string(80, '[') + std::string(80, ']'), "");
  document = Triangle();
  document["extensionsRequired"] = {"KHR_draco_mesh_compression"};
  ExpectRefused(document.dump(), "requires the extension KHR_draco_mesh_compression");

  std::ifstream glb(test::kModels / "textured-box.glb", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(glb)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 100u);
  // Every cut of the container fails cleanly or reads what is left.
  for (std::size_t length : {std::size_t{0}, std::size_t{11}, std::size_t{24}, std::size_t{100},
                             bytes.size() - 40, bytes.size() - 1}) {
    std::filesystem::path file = folder_.Write("cut.glb", bytes.substr(0, length));
    EXPECT_THROW(Import(file, folder_.Path()), sim::SceneFileError) << length;
  }
  EXPECT_THROW(Import(folder_.Path() / "absent.glb"), sim::SceneFileError);
}

TEST_F(GltfRefusal, WhatTheHostDoesNotCarryIsNamed) {
  json document = Triangle();
  document["meshes"][0]["primitives"].push_back({{"attributes", {{"POSITION", 0}}}, {"mode", 1}});
  document["meshes"][0]["primitives"][0]["targets"] = {{{"POSITION", 0}}};
  document["cameras"] = {
      {{"type", "perspective"}, {"perspective", {{"yfov", 1.0}, {"znear", 0.1}}}}};
  document["extensionsUsed"] = {"EXT_unknown_thing"};
  std::vector<std::string> warnings = Warnings(document);
  std::ostringstream all;
  for (const std::string& line : warnings) all << line << "\n";
  for (const char* expected :
       {"points and lines are skipped (/meshes/0/primitives/1)", "morph targets are dropped",
        "1 cameras are dropped", "extension EXT_unknown_thing is ignored"}) {
    EXPECT_NE(all.str().find(expected), std::string::npos) << all.str();
  }
}

TEST_F(GltfRefusal, StripsAndFansBecomeTrianglesFacingTheSameWay) {
  json document = Triangle({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {0, 1, 2, 3});
  document["meshes"][0]["primitives"][0]["mode"] = 5;
  Mesh strip =
      test::MeshOf(Import(folder_.Write("strip.gltf", document.dump())).scene->FindNode(L"Tri"));
  ASSERT_EQ(strip.getNumFaces(), 2);
  // The second triangle of a strip swaps its first two corners to keep the winding.
  EXPECT_EQ(strip.faces[1].v[0], 2u);
  EXPECT_EQ(strip.faces[1].v[1], 1u);
  EXPECT_EQ(strip.faces[1].v[2], 3u);
  document["meshes"][0]["primitives"][0]["mode"] = 6;
  Mesh fan =
      test::MeshOf(Import(folder_.Write("fan.gltf", document.dump())).scene->FindNode(L"Tri"));
  ASSERT_EQ(fan.getNumFaces(), 2);
  EXPECT_EQ(fan.faces[1].v[0], 0u);
  EXPECT_EQ(fan.faces[1].v[1], 2u);
  EXPECT_EQ(fan.faces[1].v[2], 3u);
}

TEST(AssimpSampleRefusal, TheBrokenSampleModelsAreRefused) {
  const std::filesystem::path glTF2 = test::kAssimpModels / "glTF2";
  REQUIRE_ASSIMP_MODEL(glTF2);
  for (const char* file : {"IndexOutOfRange/IndexOutOfRange.gltf", "MissingBin/BoxTextured.gltf",
                           "RecursiveNodes/RecursiveNodes.gltf",
                           "BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb"}) {
    EXPECT_THROW(Import(glTF2 / file), sim::SceneFileError) << file;
  }
  test::TempFolder folder("assimp-broken");
  EXPECT_THROW(Import(folder.Write("broken.fbx", "Kaydara FBX Binary  \0\x1a\0garbage")),
               sim::SceneFileError);
  EXPECT_THROW(Import(folder.Write("broken.dae", "<COLLADA><library_geometries>")),
               sim::SceneFileError);
}

}  // namespace
