// Which files a batch takes and where each one's .x file goes.
#include "batch_inputs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

class BatchInputsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("ruvx-batch-inputs-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path Make(const std::string& relative, const std::string& text = "x") {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
    return path;
  }
  std::vector<std::string> Outputs(const ruvx::BatchInputs& inputs) {
    std::vector<std::string> outputs;
    for (const auto& model : inputs.models) outputs.push_back(model.relativeOutput.string());
    return outputs;
  }
  const std::vector<std::string> kExtensions{".fbx", ".gltf", ".obj"};
  fs::path root_;
};

TEST_F(BatchInputsTest, FoldersAreSearchedForModelsAndSceneFilesKeepingTheirLayout) {
  Make("pack/b/chair.OBJ");
  Make("pack/a/table.gltf");
  Make("pack/a/table.bin");  // a model's own data, not a model
  Make("pack/notes.txt");
  Make("pack/level.json", R"({ "format": "ruv-scene", "version": 4, "nodes": [] })");
  Make("pack/package.json", R"({ "name": "assets" })");
  ASSERT_EQ(::mkfifo((root_ / "pack/a/pipe.obj").c_str(), 0600), 0);
  fs::create_directory_symlink(root_ / "pack", root_ / "pack/b/loop");

  ruvx::BatchInputs inputs = ruvx::FindBatchInputs({(root_ / "pack").string()}, kExtensions, {});
  EXPECT_TRUE(inputs.problems.empty());
  // Byte order of the paths; the pipe is taken without being opened (its export refuses it), the
  // link back up is not followed, and the JSON file that is no scene is named as left out.
  EXPECT_EQ(Outputs(inputs),
            (std::vector<std::string>{"a/pipe.x", "a/table.x", "b/chair.x", "level.x"}));
  ASSERT_EQ(inputs.skipped.size(), 1u);
  EXPECT_EQ(inputs.skipped[0].filename(), "package.json");
}

TEST_F(BatchInputsTest, TheBatchsOwnOutputInsideAnInputFolderIsNotTakenAgain) {
  Make("pack/chair.obj");
  Make("pack/out/chair.x");
  Make("pack/out/old.obj");
  Make("pack/report/x.obj");
  ruvx::BatchInputs inputs = ruvx::FindBatchInputs({(root_ / "pack").string()}, {".obj", ".x"},
                                                   {root_ / "pack/out", root_ / "pack/./report/"});
  EXPECT_EQ(Outputs(inputs), (std::vector<std::string>{"chair.x"}));

  // Written beside their sources: the folder is searched all the same.
  inputs = ruvx::FindBatchInputs({(root_ / "pack").string()}, {".obj"}, {root_ / "pack"});
  EXPECT_EQ(Outputs(inputs), (std::vector<std::string>{"chair.x", "out/old.x", "report/x.x"}));
}

TEST_F(BatchInputsTest, ModelsThatWouldShareAnOutputKeepTheirExtensionOrAreRefused) {
  Make("pack/chair.obj");
  Make("pack/chair.fbx");
  Make("pack/lamp.obj");
  Make("other/lamp.obj");
  // One folder: the two chairs keep apart by their extensions.
  ruvx::BatchInputs inputs = ruvx::FindBatchInputs({(root_ / "pack").string()}, kExtensions, {});
  EXPECT_EQ(Outputs(inputs), (std::vector<std::string>{"chair.fbx.x", "chair.obj.x", "lamp.x"}));

  // Two files named by themselves with one name: nothing tells them apart, so the batch does not
  // start rather than write one over the other.
  inputs = ruvx::FindBatchInputs(
      {(root_ / "pack/lamp.obj").string(), (root_ / "other/lamp.obj").string()}, kExtensions, {});
  ASSERT_EQ(inputs.problems.size(), 1u);
  EXPECT_NE(inputs.problems[0].find("would both be written to lamp.obj.x"), std::string::npos)
      << inputs.problems[0];

  inputs = ruvx::FindBatchInputs({(root_ / "missing").string()}, kExtensions, {});
  ASSERT_EQ(inputs.problems.size(), 1u);
  EXPECT_NE(inputs.problems[0].find("does not exist"), std::string::npos);
}

TEST_F(BatchInputsTest, FilesNamedThemselvesCountWhateverTheirExtension) {
  fs::path notes = Make("notes.txt");
  ruvx::BatchInputs inputs = ruvx::FindBatchInputs({notes.string()}, kExtensions, {});
  EXPECT_EQ(Outputs(inputs), (std::vector<std::string>{"notes.x"}));
}

}  // namespace
