// An export that writes no `.x` file leaves the output folder as it found it: embedded images,
// copied textures, rendered maps and effect files are not written, or are taken back; and what the
// run says about the options file is true.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <set>

#include "import_test_support.h"

namespace {

namespace fs = std::filesystem;

using test::ReadAll;

class RuvxFailedExport : public testing::Test {
 protected:
  RuvxFailedExport() { fs::create_directories(out_); }
  std::string Config() const { return " --config-dir " + (folder_.Path() / "config").string(); }
  std::set<std::string> OutputFolder() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  test::TempFolder folder_{"failed-export"};
  fs::path out_ = folder_.Path() / "out";
  std::string box_ = (test::kModels / "textured-box.glb").string();
};

TEST_F(RuvxFailedExport, NothingGoesBesideAnOutputThatCannotBeWritten) {
  // The image the model holds is already there under its name, with other bytes: it stays.
  std::ofstream(out_ / "checker.png") << "the user's picture";
  fs::path readOnly = out_ / "locked.x";
  std::ofstream(readOnly) << "the user's file";
  fs::permissions(readOnly, fs::perms::owner_read);
  fs::create_directory(out_ / "folder.x");
  ASSERT_EQ(::mkfifo((out_ / "pipe.x").c_str(), 0600), 0);
  const std::set<std::string> before = OutputFolder();

  for (const char* name : {"locked.x", "folder.x", "pipe.x"}) {
    test::RuvxResult run =
        test::Ruvx("export " + box_ + " " + (out_ / name).string() + Config(), "timeout 20 ");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("could not be written"), std::string::npos) << run.output;
    EXPECT_EQ(OutputFolder(), before) << name;
  }
  EXPECT_EQ(ReadAll(out_ / "checker.png"), "the user's picture");
  EXPECT_EQ(ReadAll(readOnly), "the user's file");
}

TEST_F(RuvxFailedExport, ASaveThatFailsTakesBackTexturesMapsAndEffects) {
  // A file-size limit lets the small texture, map and effect files through and stops the `.x` file
  // (text, with every mesh) half-way; the signal it raises is ignored, so the write just fails.
  fs::path scene = fs::path(RUV_SOURCE_DIR) / "examples" / "materials.json";
  std::string arguments = "export " + scene.string() + " " + (out_ / "x.x").string() + Config();
  test::RuvxResult limited =
      test::Ruvx(arguments + " --format text", "trap '' XFSZ; ulimit -f 8; ");
  EXPECT_EQ(limited.status, 1) << limited.output;
  EXPECT_NE(limited.output.find("File too large"), std::string::npos) << limited.output;
  EXPECT_TRUE(OutputFolder().empty()) << limited.output;

  // Without the limit the same export writes them all.
  test::RuvxResult whole = test::Ruvx(arguments + " --format text");
  ASSERT_EQ(whole.status, 0) << whole.output;
  EXPECT_EQ(OutputFolder(), (std::set<std::string>{"Checker.bmp", "glow.fx", "wood.bmp", "x.x"}));
}

TEST_F(RuvxFailedExport, CancellingTheDialogTakesBackTheImagesAndSaysWhatWasSaved) {
  const std::string dialog = "QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=2 timeout 60 ";
  test::RuvxResult box = test::Ruvx(
      "export " + box_ + " " + (out_ / "box.x").string() + Config() + " --dialog", dialog);
  EXPECT_EQ(box.status, 1) << box.output;
  EXPECT_NE(box.output.find("cancelled: nothing written, nothing saved"), std::string::npos)
      << box.output;
  EXPECT_TRUE(OutputFolder().empty());

  // --save-clips stored the clips before the dialog opened: the run says the file keeps them.
  std::string arm = (test::kModels / "two-bone-arm.gltf").string();
  test::RuvxResult saved = test::Ruvx(
      "export " + arm + " " + (out_ / "arm.x").string() + Config() + " --save-clips --dialog",
      dialog);
  EXPECT_EQ(saved.status, 1) << saved.output;
  EXPECT_EQ(saved.output.find("nothing saved"), std::string::npos) << saved.output;
  EXPECT_NE(saved.output.find("the options file keeps the clips --save-clips stored"),
            std::string::npos)
      << saved.output;
  EXPECT_NE(ReadAll(folder_.Path() / "config" / "ruv_max_config.ini").find("Animation0_Name=Bend"),
            std::string::npos);
  EXPECT_TRUE(OutputFolder().empty());
}

}  // namespace
