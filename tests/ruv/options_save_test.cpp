// Saving the options file: the exact text, the key order, the clip keys, and the whole-file
// rewrite.
#include <sys/resource.h>

#include <csignal>
#include <vector>

#include "options_test_folder.h"
#include "platform/profile.h"
#include "platform/text_encoding.h"
#include "ruv/options/config_file.h"
#include "ruv/options/option_table.h"
#include "ruv/options/option_text.h"

namespace {

using OptionsSave = OptionsFileTest;

// The keys of the file's lines, in file order.
std::vector<std::string> KeysOf(const std::string& text) {
  std::vector<std::string> keys;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.find('=') != std::string::npos) keys.push_back(line.substr(0, line.find('=')));
    start = end + 2;
  }
  return keys;
}

TEST_F(OptionsSave, DefaultsSaveAsTheGoldenFileWithCrLfLines) {
  LoadOptions(configPath_, 30, Interval(0, 100 * 160), 160);
  SaveOptions(configPath_);
  std::string saved = FileBytes();
  for (std::size_t at = saved.find('\n'); at != std::string::npos; at = saved.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && saved[at - 1] == '\r') << "bare LF at byte " << at;
  }
  std::string lf;
  for (char c : saved)
    if (c != '\r') lf += c;
  auto golden = platform::ReadWholeFile(RUV_SOURCE_DIR "/tests/ruv/data/options_defaults.ini");
  ASSERT_TRUE(golden);
  EXPECT_EQ(lf, *golden);
}

TEST_F(OptionsSave, EveryKeyRoundTripsInTheSaveOrder) {
  // A distinct value per option, so a key saved from or loaded into the wrong member shows.
  std::int32_t next = 100;
  for (const OptionKey& option : OptionTable()) {
    if (option.Type() == OptionType::Integer) {
      gExportOptions.*std::get<std::int32_t ExportOptions::*>(option.member) = next++;
    }
  }
  gExportOptions.SpaceScale = 0.5f;
  gExportOptions.XRot = 90.0f;
  gExportOptions.ZRot = -12.25f;
  gExportOptions.SceneRootName = L"Root \u00E9";
  gAnimationClips = {{L"Walk", 3, 40}, {L"Run", -2, 7}};
  const std::vector<OptionText> before = ListOptions(gExportOptions, gAnimationClips);
  SaveOptions(configPath_);

  std::vector<std::string> expectedKeys;
  for (const OptionText& entry : before) expectedKeys.push_back(platform::WideToUtf8(entry.key));
  EXPECT_EQ(KeysOf(FileBytes()), expectedKeys);
  EXPECT_NE(FileBytes().find("\r\nSpaceScale=0.5\r\nZRot=-12.25\r\nXRot=90\r\n"),
            std::string::npos);

  gExportOptions = ExportOptions{};
  gAnimationClips.clear();
  LoadOptions(configPath_, 30, Interval(-1000, 1000), 1);
  const std::vector<OptionText> after = ListOptions(gExportOptions, gAnimationClips);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(after[i].value, before[i].value) << platform::WideToUtf8(before[i].key);
  }
}

TEST_F(OptionsSave, TheRewriteDropsClipsBeyondTheCountAndEverythingElse) {
  WriteOptionLines(
      "AnimationCount=3\nAnimation0_Name=A\nAnimation1_Name=B\nAnimation2_Name=C\n"
      "Unknown=1\n[Other]\nKey=value");
  LoadOptions(configPath_, 30, Interval(0, 100), 1);
  ASSERT_EQ(gAnimationClips.size(), 3u);
  gAnimationClips.resize(1);
  SaveOptions(configPath_);
  std::vector<std::string> keys = KeysOf(FileBytes());
  EXPECT_EQ(std::vector<std::string>(keys.end() - 4, keys.end()),
            (std::vector<std::string>{"AnimationCount", "Animation0_Name", "Animation0_StartKey",
                                      "Animation0_EndKey"}));
  EXPECT_EQ(FileBytes().find("Unknown"), std::string::npos);
  EXPECT_EQ(FileBytes().find("[Other]"), std::string::npos);

  gAnimationClips.clear();
  gExportOptions.SceneRootName = L"";
  SaveOptions(configPath_);
  keys = KeysOf(FileBytes());
  EXPECT_EQ(keys.back(), "AnimationCount");
  EXPECT_NE(FileBytes().find("\r\nXRot=0\r\nAnimationCount=0\r\n"), std::string::npos);
  EXPECT_EQ(FileBytes().find("SceneRootName"), std::string::npos);  // written only when set
}

TEST_F(OptionsSave, AFailedSaveLeavesTheOldFileWhole) {
  WriteOptionLines("Mtl=0");
  const std::string old = FileBytes();
  // A file-size limit stops the write part-way, as a full disk would; permissions would not stop
  // a superuser.
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 64;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  bool written = TrySaveOptions(configPath_);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(written);
  EXPECT_EQ(FileBytes(), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                          std::filesystem::directory_iterator()),
            1);  // no temporary left
}

TEST_F(OptionsSave, UnwritablePlacesFailWithoutCreatingAnything) {
  std::filesystem::create_directory(folder_ / "ruv_max_config.ini");
  EXPECT_FALSE(TrySaveOptions(configPath_));
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "ruv_max_config.ini"));
  EXPECT_FALSE(TrySaveOptions(L""));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(OptionsSave, AFileThatExistsButCannotBeReadIsNeverSavedOver) {
  // Larger than any options file is allowed to be (sparse: no disk is used). Permissions would
  // not keep a superuser from reading it.
  WriteOptionLines("Mtl=0");
  std::filesystem::resize_file(folder_ / "ruv_max_config.ini", (64u << 20) + 1);
  LoadOptions(configPath_, 30, Interval(0, 100 * 160), 160);
  EXPECT_NE(OptionsFileProblem().find("larger than 64 MiB"), std::string::npos)
      << OptionsFileProblem();
  EXPECT_NE(gExportOptions.Mtl, 0);  // the defaults, for this export only
  std::string error;
  EXPECT_FALSE(TrySaveOptions(configPath_, &error));
  EXPECT_NE(error.find("cannot read the options file"), std::string::npos) << error;
  SaveOptions(configPath_);
  EXPECT_EQ(std::filesystem::file_size(folder_ / "ruv_max_config.ini"), (64u << 20) + 1);
  EXPECT_EQ(WritePrivateProfileStringW(L"Option", L"Mtl", L"1", configPath_.c_str()), FALSE);

  // Once the file reads again, loading clears the problem and saves work.
  WriteOptionLines("Mtl=0");
  LoadOptions(configPath_, 30, Interval(0, 100 * 160), 160);
  EXPECT_EQ(OptionsFileProblem(), "");
  EXPECT_TRUE(TrySaveOptions(configPath_));
}

}  // namespace
