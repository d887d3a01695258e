// ruvx export --dialog end to end: the module shows the dialog, a script answers it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class RuvxDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("ruv-dialog-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "config");
    std::ofstream(Config()) << "[Option]\r\nXFileType=0\r\nMtl=1\r\n";
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path Config() const { return folder_ / "config" / "ruv_max_config.ini"; }
  fs::path Output() const { return folder_ / "demo.x"; }

  // Runs ruvx with the environment given first ("A=1 B=2"); returns its exit status.
  int Ruvx(const std::string& environment, const std::string& arguments) {
    const std::string command = "env " + environment + " " +
                                (fs::path(RUV_BIN_DIR) / "ruvx").string() + " " + arguments +
                                " --config-dir " + (folder_ / "config").string() + " >" +
                                (folder_ / "log").string() + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Read(const fs::path& path) const {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }

  fs::path folder_;
};

TEST_F(RuvxDialog, ScriptedOkExportsAndSavesTheOptions) {
  const int status = Ruvx("QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=1004,1011=60,1035",
                          "demo " + Output().string() + " --dialog");
  EXPECT_EQ(status, 0) << Read(folder_ / "log");
  EXPECT_TRUE(fs::exists(Output()));
  const std::string saved = Read(Config());
  EXPECT_NE(saved.find("Mtl=0"), std::string::npos) << saved;
  EXPECT_NE(saved.find("SampleRate=60"), std::string::npos) << saved;
}

TEST_F(RuvxDialog, CancelWritesNothingAndSavesNothing) {
  const std::string before = Read(Config());
  const int status = Ruvx("QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=1004,2",
                          "demo " + Output().string() + " --dialog");
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(fs::exists(Output()));
  EXPECT_EQ(Read(Config()), before);
  EXPECT_NE(Read(folder_ / "log").find("cancelled"), std::string::npos);
}

TEST_F(RuvxDialog, WithoutADisplayOrAScriptItSaysSoAndStops) {
  EXPECT_EQ(Ruvx("-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM",
                 "demo " + Output().string() + " --dialog"),
            2);
  EXPECT_NE(Read(folder_ / "log").find("no display"), std::string::npos);
  EXPECT_EQ(Ruvx("-u RUV_DIALOG_SCRIPT QT_QPA_PLATFORM=offscreen", "options --dialog"), 2);
  EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(RuvxDialog, ADisplayThatCannotBeOpenedEndsTheExportAsCancelled) {
  const std::string before = Read(Config());
  EXPECT_EQ(Ruvx("-u QT_QPA_PLATFORM DISPLAY=:97", "demo " + Output().string() + " --dialog"), 1);
  EXPECT_NE(Read(folder_ / "log").find("cannot open the display \":97\""), std::string::npos)
      << Read(folder_ / "log");
  EXPECT_FALSE(fs::exists(Output()));
  EXPECT_EQ(Read(Config()), before);
}

TEST_F(RuvxDialog, OptionsDialogEditsTheFileWithoutExporting) {
  EXPECT_EQ(Ruvx("QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=1009=2,cell:0:0=Run,1035",
                 "options --dialog"),
            0)
      << Read(folder_ / "log");
  const std::string saved = Read(Config());
  EXPECT_NE(saved.find("XFileType=2"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Animation0_Name=Run"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Animation0_EndKey=999999"), std::string::npos) << "no scene clamps it";
}

}  // namespace
