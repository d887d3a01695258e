// What a model may bring in: files of its own folder and below, found without regard to letter
// case; what lies outside, or leads outside through a link, is never handed on.
#include "host/sim/import/model_files.h"

#include <gtest/gtest.h>

#include "import_test_support.h"
#include "platform/host_path.h"

namespace {

namespace fs = std::filesystem;
using sim::import::LocateTexture;
using sim::import::ModelFolder;
using Kind = sim::import::TextureLocation::Kind;

class ModelFiles : public testing::Test {
 protected:
  ModelFiles() {
    fs::create_directories(model_ / "Maps");
    fs::create_directories(outside_);
    folder_.Write("model/model.obj", "");
    folder_.Write("model/TEST.PNG", "upper");
    folder_.Write("model/Maps/Wood.Jpg", "wood");
    folder_.Write("outside/secret.png", "secret");
  }
  std::wstring Host(const fs::path& path) const { return platform::ToHostPath(path); }

  test::TempFolder folder_{"model-files"};
  fs::path model_ = folder_.Path() / "model";
  fs::path outside_ = folder_.Path() / "outside";
  ModelFolder modelFolder_ = ModelFolder::Of(model_ / "model.obj");
};

TEST_F(ModelFiles, TexturesAreFoundWhateverTheLetterCaseOfEachPart) {
  // Windows separators, stale folders and another machine's paths find the file beside the model.
  for (const char* written :
       {"TEST.PNG", "test.png", "Test.Png", "old/textures/test.png", "C:\\work\\test.png"}) {
    auto found = LocateTexture(modelFolder_, written);
    EXPECT_EQ(found.kind, Kind::kFound) << written;
    EXPECT_EQ(found.hostPath, Host(model_ / "TEST.PNG")) << written;
  }
  EXPECT_EQ(LocateTexture(modelFolder_, "MAPS\\WOOD.JPG").hostPath,
            Host(model_ / "Maps" / "Wood.Jpg"));
  // Not there: named by file name for the exporter, which reports it.
  auto missing = LocateTexture(modelFolder_, "textures/gone.png");
  EXPECT_EQ(missing.kind, Kind::kMissing);
  EXPECT_EQ(missing.hostPath, L"gone.png");
}

TEST_F(ModelFiles, EmptyPathsAndPathsLeadingOutsideAreRefused) {
  for (const char* written : {"", "  ", "maps/", "..", "../outside/secret.png",
                              "../../../../../../../../etc/passwd", "/etc/passwd"}) {
    auto refused = LocateTexture(modelFolder_, written);
    EXPECT_EQ(refused.kind, Kind::kRefused) << written;
    EXPECT_TRUE(refused.hostPath.empty()) << written;
    EXPECT_FALSE(refused.reason.empty()) << written;
  }
  // An absolute path into the model's own folder is fine.
  EXPECT_EQ(LocateTexture(modelFolder_, (model_ / "TEST.PNG").string()).kind, Kind::kFound);
}

TEST_F(ModelFiles, LinksLeadingOutsideCountAsOutside) {
  fs::create_symlink(outside_ / "secret.png", model_ / "link.png");
  fs::create_directory_symlink(outside_, model_ / "shared");
  EXPECT_FALSE(modelFolder_.Holds(model_ / "link.png"));
  EXPECT_FALSE(modelFolder_.Holds(model_ / "shared" / "secret.png"));
  EXPECT_TRUE(modelFolder_.Holds(model_ / "not-yet-there.bin"));
  EXPECT_NE(LocateTexture(modelFolder_, "shared/secret.png").kind, Kind::kFound);
  EXPECT_NE(LocateTexture(modelFolder_, "link.png").kind, Kind::kFound);

  // The model file itself may be a link to elsewhere; its folder is where the link is.
  fs::create_symlink(outside_ / "secret.png", model_ / "linked.gltf");
  EXPECT_TRUE(ModelFolder::Of(model_ / "linked.gltf").Holds(model_ / "linked.gltf"));
}

}  // namespace
