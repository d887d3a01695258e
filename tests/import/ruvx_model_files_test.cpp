// `ruvx export` of models that name files they may not bring in: a pipe never hangs the import, a
// file outside the model's folder is never read or copied, and a texture that is missing, empty or
// procedural costs the texture, not the model. Every run is bounded, so a hang fails the test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "import_test_support.h"

namespace {

namespace fs = std::filesystem;

// A textured triangle whose image is `uri` (and whose buffer is `buffer`, the triangle's own
// bytes by default).
std::string TexturedTriangle(const std::string& uri, const std::string& buffer = "") {
  const std::string bytes =
      "data:application/octet-stream;base64,"
      "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAAAAAAAAAAAAIA/AAAAAAAAAAAAAIA/";
  return R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}],
    "nodes": [{"name": "Tri", "mesh": 0}],
    "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}, "material": 0}]}],
    "materials": [{"name": "Painted", "pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
    "textures": [{"source": 0}], "images": [{"uri": ")" +
         uri + R"("}],
    "buffers": [{"uri": ")" +
         (buffer.empty() ? bytes : buffer) + R"(", "byteLength": 60}],
    "bufferViews": [{"buffer": 0, "byteLength": 36}, {"buffer": 0, "byteOffset": 36, "byteLength": 24}],
    "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3",
                   "min": [0, 0, 0], "max": [1, 1, 0]},
                  {"bufferView": 1, "componentType": 5126, "count": 3, "type": "VEC2"}]})";
}

// A textured OBJ triangle of material `material`, after `libraries` ("mtllib ..." lines).
std::string TriangleObj(const std::string& libraries, const std::string& material = "A") {
  return libraries + "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nusemtl " + material +
         "\nf 1/1 2/2 3/3\n";
}

class RuvxModelFiles : public testing::Test {
 protected:
  RuvxModelFiles() {
    fs::create_directories(model_);
    fs::create_directories(outside_);
    fs::create_directories(out_);
    folder_.Write("outside/secret.png", "not the model's");
    folder_.Write("outside/data.bin", std::string(60, '\0'));
  }
  // Runs the export with a time limit: a run that waits on a pipe ends with status 124.
  test::RuvxResult Export(const std::string& model, const std::string& extra = "") const {
    return test::Ruvx("export " + (model_ / model).string() + " " + (out_ / "out.x").string() +
                          " --config-dir " + (folder_.Path() / "config").string() + extra,
                      "timeout 20 ");
  }
  void Pipe(const std::string& name) const {
    ASSERT_EQ(::mkfifo((model_ / name).c_str(), 0600), 0) << name;
  }
  bool OutputHas(const std::string& name) const { return fs::exists(out_ / name); }

  test::TempFolder folder_{"model-files-run"};
  fs::path model_ = folder_.Path() / "model";
  fs::path outside_ = folder_.Path() / "outside";
  fs::path out_ = folder_.Path() / "out";
};

TEST_F(RuvxModelFiles, PipesAreRefusedWithoutWaiting) {
  Pipe("pipe.bin");
  folder_.Write("model/buffer.gltf", TexturedTriangle("x.png", "pipe.bin"));
  test::RuvxResult buffer = Export("buffer.gltf");
  EXPECT_EQ(buffer.status, 3) << buffer.output;
  EXPECT_NE(buffer.output.find("pipe.bin : it is not a regular file"), std::string::npos)
      << buffer.output;

  // An OBJ's material library that is a pipe costs the materials, not the model.
  Pipe("pipe.mtl");
  folder_.Write("model/library.obj", TriangleObj("mtllib pipe.mtl\n"));
  test::RuvxResult library = Export("library.obj");
  EXPECT_EQ(library.status, 0) << library.output;
  EXPECT_NE(library.output.find("pipe.mtl is not read: it is not a regular file"),
            std::string::npos)
      << library.output;

  for (const char* name : {"model.gltf", "model.obj"}) {
    Pipe(name);
    test::RuvxResult model = Export(name);
    EXPECT_EQ(model.status, 3) << model.output;
    EXPECT_NE(model.output.find("cannot be read: it is not a regular file"), std::string::npos)
        << model.output;
  }
}

TEST_F(RuvxModelFiles, FilesOutsideTheModelsFolderAreNeitherReadNorCopied) {
  // The image is dropped with a warning; the triangle and its material are exported.
  for (const char* uri : {"../outside/secret.png", "../../../../../../../../../../etc/passwd"}) {
    folder_.Write("model/image.gltf", TexturedTriangle(uri));
    test::RuvxResult image = Export("image.gltf", " --format text");
    EXPECT_EQ(image.status, 0) << image.output;
    EXPECT_NE(image.output.find("leads outside the model's folder: the file is not read"),
              std::string::npos)
        << image.output;
    EXPECT_FALSE(OutputHas("secret.png") || OutputHas("passwd")) << uri;
  }
  std::ifstream written(out_ / "out.x");
  std::string text((std::istreambuf_iterator<char>(written)), {});
  EXPECT_NE(text.find("Material Painted"), std::string::npos) << text;

  // A buffer outside is needed to build the model: the model is refused.
  folder_.Write("model/buffer.gltf", TexturedTriangle("x.png", "../outside/data.bin"));
  test::RuvxResult buffer = Export("buffer.gltf");
  EXPECT_EQ(buffer.status, 3) << buffer.output;
  EXPECT_NE(buffer.output.find("lies outside the model's folder and is not read"),
            std::string::npos)
      << buffer.output;

  // An OBJ's absolute texture path and a material library outside: both warned of and dropped.
  folder_.Write("outside/shared.mtl", "newmtl A\nmap_Kd secret.png\n");
  folder_.Write("model/inner.mtl", "newmtl A\nmap_Kd " + (outside_ / "secret.png").string() + "\n");
  folder_.Write("model/library.obj", TriangleObj("mtllib ../outside/shared.mtl\n"));
  test::RuvxResult library = Export("library.obj");
  EXPECT_EQ(library.status, 0) << library.output;
  EXPECT_NE(library.output.find("shared.mtl lies outside the model's folder: it is not read"),
            std::string::npos)
      << library.output;
  folder_.Write("model/texture.obj", TriangleObj("mtllib inner.mtl\n"));
  test::RuvxResult texture = Export("texture.obj");
  EXPECT_EQ(texture.status, 0) << texture.output;
  EXPECT_NE(texture.output.find("secret.png\" leads outside the model's folder"), std::string::npos)
      << texture.output;
  EXPECT_FALSE(OutputHas("secret.png"));
}

TEST_F(RuvxModelFiles, TexturesAreFoundWhateverTheLetterCaseOfTheirNames) {
  // A sample whose model names TEST.PNG beside its test.png.
  fs::path cube = test::kAssimpModels / "3DS/cube_with_diffuse_texture.3DS";
  REQUIRE_ASSIMP_MODEL(cube);
  test::RuvxResult sample =
      test::Ruvx("export " + cube.string() + " " + (out_ / "cube.x").string() + " --config-dir " +
                     (folder_.Path() / "config").string(),
                 "timeout 20 ");
  EXPECT_EQ(sample.status, 0) << sample.output;
  EXPECT_TRUE(OutputHas("test.png"));
}

TEST_F(RuvxModelFiles, AMissingTextureIsReportedAndTheModelExportedWithoutIt) {
  folder_.Write("model/gone.mtl", "newmtl Stone\nmap_Kd textures/gone.png\n");
  folder_.Write("model/gone.obj", TriangleObj("mtllib gone.mtl\n", "Stone"));
  test::RuvxResult obj = Export("gone.obj", " --format text");
  EXPECT_EQ(obj.status, 6) << obj.output;
  EXPECT_NE(obj.output.find("texture file \"gone.png\" of material Stone"), std::string::npos)
      << obj.output;
  std::ifstream written(out_ / "out.x");
  std::string text((std::istreambuf_iterator<char>(written)), {});
  EXPECT_NE(text.find("Material Stone"), std::string::npos);

  folder_.Write("model/gone.gltf", TexturedTriangle("gone.png"));
  test::RuvxResult gltf = Export("gone.gltf");
  EXPECT_EQ(gltf.status, 6) << gltf.output;
  EXPECT_NE(gltf.output.find("texture file \"gone.png\" of material Painted"), std::string::npos)
      << gltf.output;
}

TEST_F(RuvxModelFiles, EmptyAndProceduralTexturePathsCostOnlyTheTexture) {
  fs::path cube = test::kAssimpModels / "MD5/SimpleCube.md5mesh";
  fs::path noisy = test::kAssimpModels / "BLEND/NoisyTexturedCube_VoronoiGlob_248.blend";
  REQUIRE_ASSIMP_MODEL(cube);
  REQUIRE_ASSIMP_MODEL(noisy);
  std::string flags =
      " " + (out_ / "out.x").string() + " --config-dir " + (folder_.Path() / "config").string();
  test::RuvxResult empty = test::Ruvx("export " + cube.string() + flags, "timeout 20 ");
  EXPECT_EQ(empty.status, 0) << empty.output;
  EXPECT_NE(empty.output.find("the texture path \"\" is empty; the texture is dropped"),
            std::string::npos)
      << empty.output;
  test::RuvxResult procedural = test::Ruvx("export " + noisy.string() + flags, "timeout 20 ");
  EXPECT_EQ(procedural.status, 0) << procedural.output;
  EXPECT_NE(procedural.output.find("procedural textures are dropped (material \"Material\")"),
            std::string::npos)
      << procedural.output;
}

}  // namespace
