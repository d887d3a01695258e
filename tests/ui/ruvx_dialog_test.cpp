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
  int Ruvx(const std::string& environment, const std::string& arguments,
           const fs::path& program = fs::path(RUV_BIN_DIR) / "ruvx") {
    const std::string command = "env " + environment + " " + program.string() + " " + arguments +
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

// As without a display: status 2 before anything is read or written, whichever platform is asked
// for (one chosen alone would otherwise end the process).
TEST_F(RuvxDialog, ADisplayThatCannotBeOpenedIsAUsageError) {
  const std::string before = Read(Config());
  for (const char* environment : {"-u QT_QPA_PLATFORM DISPLAY=:97",
                                  "QT_QPA_PLATFORM=xcb DISPLAY=:97 RUV_DIALOG_SCRIPT=1035"}) {
    for (const std::string& command : {"demo " + Output().string(), std::string("options")}) {
      EXPECT_EQ(Ruvx(environment, command + " --dialog"), 2) << environment << " " << command;
      EXPECT_NE(Read(folder_ / "log").find("cannot open the display \":97\""), std::string::npos)
          << Read(folder_ / "log");
    }
  }
  EXPECT_FALSE(fs::exists(Output()));
  EXPECT_EQ(Read(Config()), before);
}

// The export is written; the options the user chose are not, and the status says so.
TEST_F(RuvxDialog, OptionsThatCannotBeSavedAfterTheExportAreReported) {
  const std::string before = Read(Config());
  fs::permissions(Config(), fs::perms::owner_read | fs::perms::group_read);
  const std::string scene = (fs::path(RUV_SOURCE_DIR) / "examples" / "animation.json").string();
  for (const std::string& command :
       {"demo " + Output().string(), "export " + scene + " " + Output().string()}) {
    fs::remove(Output());
    EXPECT_EQ(Ruvx("QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=1004,1035", command + " --dialog"),
              7)
        << command << "\n"
        << Read(folder_ / "log");
    EXPECT_TRUE(fs::exists(Output())) << command;
    const std::string log = Read(folder_ / "log");
    EXPECT_NE(log.find("not saved"), std::string::npos) << log;
    EXPECT_NE(log.find("read-only"), std::string::npos) << log;
  }
  EXPECT_EQ(Read(Config()), before);
}

// A script types into the number boxes through their filters, as a person would.
TEST_F(RuvxDialog, ScriptedNumbersMeetTheBoxFilters) {
  const std::string before = Read(Config());
  EXPECT_EQ(
      Ruvx("QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=1168=-77abc,1035", "options --dialog"), 1);
  EXPECT_NE(Read(folder_ / "log").find("control 1168 refuses \"-77abc\""), std::string::npos)
      << Read(folder_ / "log");
  EXPECT_EQ(Read(Config()), before);
  EXPECT_EQ(Ruvx("QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=1168=0.25,1182=-45,1035",
                 "options --dialog"),
            0)
      << Read(folder_ / "log");
  const std::string saved = Read(Config());
  EXPECT_NE(saved.find("SpaceScale=0.25"), std::string::npos) << saved;
  EXPECT_NE(saved.find("XRot=-45"), std::string::npos) << saved;
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

// The dialog's module is loaded from beside whoever asks for the dialog: ruvx for its own check,
// ruv.dle for the export's prompt. Without it there, each says which file it could not load.
TEST_F(RuvxDialog, ADialogModuleThatCannotBeLoadedIsNamed) {
  const fs::path bin = folder_ / "bin";
  fs::create_directories(bin);
  for (const char* file : {"ruvx", "ruv.dle"})
    fs::copy_file(fs::path(RUV_BIN_DIR) / file, bin / file);
  const std::string before = Read(Config());
  const std::string script = "QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=1004,1035";
  const std::string missing = (bin / "ruv_dialog.so").string() + ": ";

  for (const std::string& command : {"demo " + Output().string(), std::string("options")}) {
    EXPECT_EQ(Ruvx(script, command + " --dialog", bin / "ruvx"), 4) << command;
    const std::string log = Read(folder_ / "log");
    EXPECT_NE(log.find("cannot load " + missing + "cannot open shared object file"),
              std::string::npos)
        << log;
  }
  // This ruvx can show the dialog; the module it loads cannot, so the export ends as cancelled.
  EXPECT_EQ(Ruvx(script,
                 "demo " + Output().string() + " --dialog --module " + (bin / "ruv.dle").string()),
            1);
  const std::string log = Read(folder_ / "log");
  EXPECT_NE(
      log.find("The options dialog cannot be shown: the options dialog cannot load " + missing),
      std::string::npos)
      << log;
  EXPECT_FALSE(fs::exists(Output()));
  EXPECT_EQ(Read(Config()), before);
}

}  // namespace
