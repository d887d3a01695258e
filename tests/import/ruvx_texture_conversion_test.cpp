// `ruvx export` of a textured glTF asked to convert its textures to DDS, and `ruvx preview` of the
// result drawing them.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "import_test_support.h"
#include "platform/file_system.h"
#include "texture/image_codec.h"

namespace {

namespace fs = std::filesystem;

template <class T>
void Append(std::string& out, std::initializer_list<T> values) {
  for (T value : values) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
  }
}

std::string BluePng() {
  texture::Image blue(16, 16);
  for (std::size_t i = 0; i < blue.rgba.size(); i += 4) {
    blue.rgba[i + 2] = blue.rgba[i + 3] = 255;
  }
  return texture::EncodeImage(blue, texture::Format::kPng);
}

// A unit quad facing +Z whose material's base colour is an image held in the model's buffer (a
// blue PNG unless given).
void WriteBlueQuad(const test::TempFolder& folder, const std::string& png = BluePng(),
                   const std::string& mimeType = "image/png") {
  std::string buffer;
  Append<float>(buffer, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
  Append<float>(buffer, {0, 1, 1, 1, 1, 0, 0, 0});
  Append<std::uint16_t>(buffer, {0, 1, 2, 0, 2, 3});
  const std::size_t imageAt = buffer.size();
  buffer += png;
  folder.Write("quad.bin", buffer);
  folder.Write("quad.gltf", R"({"asset": {"version": "2.0"}, "scene": 0,
    "scenes": [{"nodes": [0]}], "nodes": [{"name": "Quad", "mesh": 0}],
    "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}, "indices": 2,
                                "material": 0}]}],
    "materials": [{"name": "Painted", "pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
    "textures": [{"source": 0}],
    "images": [{"name": "paint", "bufferView": 3, "mimeType": ")" +
                                mimeType + R"("}],
    "buffers": [{"uri": "quad.bin", "byteLength": )" +
                                std::to_string(buffer.size()) + R"(}],
    "bufferViews": [{"buffer": 0, "byteLength": 48}, {"buffer": 0, "byteOffset": 48, "byteLength": 32},
                    {"buffer": 0, "byteOffset": 80, "byteLength": 12},
                    {"buffer": 0, "byteOffset": )" +
                                std::to_string(imageAt) + R"(, "byteLength": )" +
                                std::to_string(png.size()) + R"(}],
    "accessors": [{"bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3",
                   "min": [0, 0, 0], "max": [1, 1, 0]},
                  {"bufferView": 1, "componentType": 5126, "count": 4, "type": "VEC2"},
                  {"bufferView": 2, "componentType": 5123, "count": 6, "type": "SCALAR"}]})");
}

TEST(RuvxTextureConversion, AGltfExportedToDdsPreviewsTextured) {
  test::TempFolder folder("dds");
  WriteBlueQuad(folder);
  fs::create_directories(folder.Path() / "out");
  const std::string config = " --config-dir " + (folder.Path() / "config").string();
  test::RuvxResult exported =
      test::Ruvx("export " + (folder.Path() / "quad.gltf").string() + " " +
                 (folder.Path() / "out" / "quad.x").string() + config +
                 " --set XFileType=0 --set TextureConvert=1 --set TextureFormat=0");
  ASSERT_EQ(exported.status, 0) << exported.output;

  // Only the converted texture lies beside the file, and the file names it.
  std::vector<std::string> beside;
  for (const auto& entry : fs::directory_iterator(folder.Path() / "out"))
    beside.push_back(entry.path().filename().string());
  std::sort(beside.begin(), beside.end());
  EXPECT_EQ(beside, (std::vector<std::string>{"paint.dds", "quad.x"}));
  std::string text = platform::ReadWholeFile(folder.Path() / "out" / "quad.x").value_or("");
  EXPECT_NE(text.find("\"paint.dds\""), std::string::npos) << text;
  EXPECT_EQ(platform::ReadWholeFile(folder.Path() / "out" / "paint.dds").value_or("").substr(0, 4),
            "DDS ");

  const fs::path picture = folder.Path() / "picture.png";
  test::RuvxResult previewed =
      test::Ruvx("preview " + (folder.Path() / "out" / "quad.x").string() + " -o " +
                 picture.string() + " --size 64x64 --no-grid --view front");
  ASSERT_EQ(previewed.status, 0) << previewed.output;
  EXPECT_EQ(previewed.output.find("texture"), std::string::npos) << previewed.output;
  std::optional<texture::Image> image =
      texture::DecodeImage(platform::ReadWholeFile(picture).value_or(""));
  ASSERT_TRUE(image);
  // The quad is drawn in the texture's blue, not the material's white.
  int blue = 0;
  for (std::size_t i = 0; i < image->rgba.size(); i += 4) {
    const int r = image->rgba[i], g = image->rgba[i + 1], b = image->rgba[i + 2];
    blue += b > 60 && b > 2 * r && b > 2 * g ? 1 : 0;
  }
  EXPECT_GT(blue, 64 * 64 / 10);
}

TEST(RuvxTextureConversion, AnEmbeddedImageThatCannotBeDecodedIsCopiedAndReported) {
  test::TempFolder folder("undecodable");
  WriteBlueQuad(folder, "RIFF WEBPVP8, not really a picture", "image/webp");
  fs::create_directories(folder.Path() / "out");
  test::RuvxResult exported =
      test::Ruvx("export " + (folder.Path() / "quad.gltf").string() + " " +
                 (folder.Path() / "out" / "quad.x").string() + " --config-dir " +
                 (folder.Path() / "config").string() + " --set XFileType=0 --set TextureConvert=1");
  EXPECT_EQ(exported.status, 6) << exported.output;
  EXPECT_NE(exported.output.find("paint.webp"), std::string::npos) << exported.output;
  EXPECT_NE(exported.output.find("not converted"), std::string::npos) << exported.output;
  EXPECT_TRUE(fs::exists(folder.Path() / "out" / "paint.webp"));
  std::string text = platform::ReadWholeFile(folder.Path() / "out" / "quad.x").value_or("");
  EXPECT_NE(text.find("\"paint.webp\""), std::string::npos) << text;
}

}  // namespace
