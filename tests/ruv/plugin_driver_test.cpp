#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/core/export_context.h"
#include "ruv/core/names.h"
#include "ruv/core/progress.h"
#include "ruv/options/export_options.h"
#include "ruv/plugin/export_driver.h"
#include "ruv/plugin/options_prompt.h"
#include "ruv/plugin/sampling_step.h"

namespace {

const wchar_t* const kDummyHint =
    L"No node will be export, you can check the Dummy or Helper option and try again.";
const wchar_t* const kHiddenWarning =
    L"No node will be export. To export hidden nodes please unhide them and make sure the "
    L"Renderable option of the object properties is checked.";

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A scene whose configuration folder is a fresh temporary folder, and a prompt that answers as
// told.
class DriverTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("ruv-driver-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    builder_.Folder(9, platform::ToHostPath(folder_));
  }
  void TearDown() override {
    SetOptionsPrompt(nullptr);
    std::filesystem::remove_all(folder_);
  }

  std::filesystem::path ConfigFile() const { return folder_ / "ruv_max_config.ini"; }

  void WriteConfig(const std::string& text) {
    std::ofstream(ConfigFile(), std::ios::binary) << text;
  }

  int Export(sim::SimScene& scene, bool suppressPrompts) {
    std::wstring output = platform::ToHostPath(folder_ / "out.x");
    return XDoExport(output.c_str(), nullptr, &scene.Host(), suppressPrompts, 0);
  }

  std::filesystem::path folder_;
  sim::SceneBuilder builder_;
};

}  // namespace

TEST_F(DriverTest, EmptySceneSaysNoNodeAndTouchesNothing) {
  WriteConfig("[Option]\r\nMtl=0\r\n");
  int prompts = 0;
  SetOptionsPrompt([&prompts](ExportContext*) { return ++prompts, 1; });
  auto scene = builder_.Build();
  EXPECT_EQ(Export(*scene, false), 1);
  ASSERT_EQ(scene->MainWindow().MessageBoxes().size(), 1u);
  EXPECT_EQ(scene->MainWindow().MessageBoxes()[0].text, L"No node!");
  EXPECT_EQ(scene->MainWindow().MessageBoxes()[0].caption, L"");
  EXPECT_EQ(prompts, 0);
  EXPECT_TRUE(scene->Progress().Events().empty());
  EXPECT_EQ(ReadText(ConfigFile()), "[Option]\r\nMtl=0\r\n");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out.x"));
}

TEST_F(DriverTest, NothingProcessedGivesTheWarningAndSavesOnlyWithPrompts) {
  // A node without an object is of no kind the default options export.
  builder_.Root().AddChild(L"Box01");
  auto scene = builder_.Build();
  EXPECT_EQ(Export(*scene, true), 1);
  ASSERT_EQ(scene->MainWindow().MessageBoxes().size(), 1u);
  EXPECT_EQ(scene->MainWindow().MessageBoxes()[0].text, kHiddenWarning);
  EXPECT_EQ(scene->MainWindow().MessageBoxes()[0].caption, L"Warning");
  EXPECT_FALSE(std::filesystem::exists(ConfigFile())) << "prompts suppressed: nothing saved";
  EXPECT_FALSE(scene->Progress().Active());

  auto prompted = builder_.Build();
  EXPECT_EQ(Export(*prompted, false), 1);
  EXPECT_TRUE(std::filesystem::exists(ConfigFile())) << "the options are saved after the message";
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out.x"));
}

TEST_F(DriverTest, OtherOptionExportsPlainNodesAsFrames) {
  WriteConfig("[Option]\r\nOTHER=1\r\n");
  builder_.Root().AddChild(L"Box01");
  auto scene = builder_.Build();
  Export(*scene, true);
  EXPECT_TRUE(scene->MainWindow().MessageBoxes().empty());
  EXPECT_TRUE(std::filesystem::exists(folder_ / "out.x"));
  // The bar opened and closed; the last update is the phase's end.
  ASSERT_FALSE(scene->Progress().Events().empty());
  EXPECT_EQ(scene->Progress().Events().front().title, L"Kavo");
  EXPECT_EQ(scene->Progress().UpdatePercents().back(), 100);
  EXPECT_FALSE(scene->Progress().Active());
}

TEST_F(DriverTest, NoTopLevelNodeGivesTheDummyHintUnlessBothAreOn) {
  // A target is dropped with its subtree, so the tree has no top-level node at all.
  builder_.Root().AddChild(L"Camera.Target").Target().AddChild(L"Box").Box(1, 1, 1);
  auto scene = builder_.Build();
  Export(*scene, true);
  ASSERT_EQ(scene->MainWindow().MessageBoxes().size(), 1u);
  EXPECT_EQ(scene->MainWindow().MessageBoxes()[0].text, kDummyHint);
  EXPECT_FALSE(scene->Progress().Active());

  WriteConfig("[Option]\r\nDummy=1\r\nOTHER=1\r\n");
  auto silent = builder_.Build();
  Export(*silent, true);
  EXPECT_TRUE(silent->MainWindow().MessageBoxes().empty());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out.x"));
}

TEST_F(DriverTest, CancelledPromptEndsWithoutSavingOrProgress) {
  builder_.Root().AddChild(L"Box01");
  SetOptionsPrompt([](ExportContext*) { return 0; });
  auto scene = builder_.Build();
  EXPECT_EQ(Export(*scene, false), 1);
  EXPECT_TRUE(scene->MainWindow().MessageBoxes().empty());
  EXPECT_TRUE(scene->Progress().Events().empty());
  EXPECT_FALSE(std::filesystem::exists(ConfigFile()));
}

TEST_F(DriverTest, ImpossibleSampleRateIsCorrectedAndSaved) {
  WriteConfig("[Option]\r\nSampleRate=0\r\n");
  builder_.Root().AddChild(L"Box01");
  auto scene = builder_.Build();
  Export(*scene, false);
  EXPECT_NE(ReadText(ConfigFile()).find("SampleRate=30\r\n"), std::string::npos);
}

TEST(SamplingStep, TicksBetweenSamples) {
  auto scene = sim::SceneBuilder().FrameRate(30).TicksPerFrame(160).Build();
  ExportContext context;
  context.host = &scene->Host();
  context.ticksPerFrame = 160;
  ExportOptions saved = gExportOptions;
  gExportOptions.Timeline = 0;
  const std::pair<int, int> cases[] = {{60, 80}, {7, 685}, {30, 160}, {4800, 1}};
  for (auto [rate, ticks] : cases) {
    gExportOptions.SampleRate = rate;
    SetupSamplingStep(&context);
    EXPECT_EQ(context.ticksPerSample, ticks) << "rate " << rate;
  }
  for (int impossible : {0, -5, 4801}) {
    gExportOptions.SampleRate = impossible;
    SetupSamplingStep(&context);
    EXPECT_EQ(context.ticksPerSample, 160);
    EXPECT_EQ(gExportOptions.SampleRate, 30);
  }
  // The timeline samples every frame, whatever the sample rate says.
  gExportOptions.Timeline = 1;
  gExportOptions.SampleRate = 60;
  SetupSamplingStep(&context);
  EXPECT_EQ(context.ticksPerSample, 160);
  EXPECT_EQ(gExportOptions.SampleRate, 60);
  gExportOptions = saved;
}

TEST(Progress, ProcessingPhaseMovesInAtMost95Steps) {
  auto scene = sim::SceneBuilder().Build();
  ExportContext context;
  context.host = &scene->Host();
  context.workTotal = 3;
  BeginProcessingProgress(&context);
  for (int i = 0; i < 3; ++i) ProgressStep(&context);
  EXPECT_EQ(scene->Progress().UpdatePercents(), (std::vector<int>{31, 63, 95}));

  scene->Progress().ClearEvents();
  context.workTotal = 190;
  BeginProcessingProgress(&context);
  for (int i = 0; i < 190; ++i) ProgressStep(&context);
  std::vector<int> expected;
  for (int percent = 1; percent <= 95; ++percent) expected.push_back(percent);
  EXPECT_EQ(scene->Progress().UpdatePercents(), expected) << "1 % every 2 steps";
  EXPECT_EQ(context.writeWorkCount, 2u);
}

TEST(Progress, WritingPhaseStopsAtItsEnd) {
  auto scene = sim::SceneBuilder().Build();
  ExportContext context;
  context.host = &scene->Host();
  context.progressCount = 40;
  context.writeWorkCount = 2;
  BeginWritingProgress(&context);
  // More steps than announced never push the bar past 100 %.
  for (int i = 0; i < 6; ++i) ProgressStep(&context);
  EXPECT_EQ(scene->Progress().UpdatePercents(), (std::vector<int>{97, 100}));
}

TEST(RootNodeName, BlanksGoAndUncleanNamesBecomeSceneRoot) {
  EXPECT_EQ(PrepareRootNodeName(L"Scene Root"), L"SceneRoot");
  EXPECT_EQ(PrepareRootNodeName(L"My World"), L"MyWorld");
  EXPECT_EQ(PrepareRootNodeName(L"1World"), L"SceneRoot");
  EXPECT_EQ(PrepareRootNodeName(L"a.b"), L"SceneRoot");
  EXPECT_EQ(PrepareRootNodeName(L""), L"");
}

TEST_F(DriverTest, ReadOnlyOutputAndUnreadableOptionsAreReported) {
  WriteConfig("[Option]\r\nOTHER=1\r\n");
  std::ofstream(folder_ / "out.x") << "the user's file";
  std::filesystem::permissions(folder_ / "out.x", std::filesystem::perms::owner_read);
  builder_.Root().AddChild(L"Box01");
  auto scene = builder_.Build();
  Export(*scene, true);
  ASSERT_EQ(scene->MainWindow().MessageBoxes().size(), 1u);
  EXPECT_NE(scene->MainWindow().MessageBoxes()[0].text.find(L"out.x: the file is read-only"),
            std::wstring::npos);
  std::ifstream kept(folder_ / "out.x");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the user's file");

  // An options file that cannot be read (here: a folder of that name) is named before the export
  // runs on the defaults.
  std::filesystem::remove(ConfigFile());
  std::filesystem::create_directory(ConfigFile());
  std::filesystem::remove(folder_ / "out.x");
  auto again = builder_.Build();
  Export(*again, true);
  ASSERT_FALSE(again->MainWindow().MessageBoxes().empty());
  EXPECT_NE(again->MainWindow().MessageBoxes()[0].text.find(L"cannot read the options file"),
            std::wstring::npos);
}
