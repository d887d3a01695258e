// `ruvx batch` over good, broken, pipe and endless models: statuses, report, exit status, the
// same outputs whatever the number of jobs, and records of jobs run elsewhere merged.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>

#include "model_record.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kRuvx = fs::path(RUV_BIN_DIR) / "ruvx";
const fs::path kModels = fs::path(RUV_SOURCE_DIR) / "examples/models";

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string Box(const std::string& size) {
  return R"({ "format": "ruv-scene", "version": 4, "nodes": [
    { "name": "Box", "object": { "type": "box", "length": )" +
         size + ", \"width\": " + size + ", \"height\": " + size + R"( } } ] })";
}

// A scene that takes the exporter seconds and close to a gigabyte: spheres of 65 000 faces, up to
// the scene loader's limit of vertices.
std::string Spheres(int count) {
  std::string scene = R"({ "format": "ruv-scene", "version": 4, "nodes": [)";
  for (int i = 0; i < count; ++i) {
    scene += std::string(i ? "," : "") + R"({ "name": "S)" + std::to_string(i) +
             R"(", "object": { "type": "sphere", "radius": 1, "segments": 256 } })";
  }
  return scene + "] }";
}

class BatchCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("ruvx-batch-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "config");
    // Text files, so that outputs compare as text too; SpaceScale 10 takes a box of 3e38 past
    // the float range, which the exporter writes incomplete.
    std::ofstream(root_ / "config/ruv_max_config.ini")
        << "[Option]\r\nSpaceScaleEnable=1\r\nSpaceScale=10\r\nXFileType=0\r\n";
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs ruvx with `arguments`; its standard output and error are kept in out_ and err_.
  int Ruvx(const std::string& arguments, const std::string& shellPrefix = "") {
    std::string command = shellPrefix + kRuvx.string() + " " + arguments + " --config-dir " +
                          (root_ / "config").string() + " >" + (root_ / "stdout").string() + " 2>" +
                          (root_ / "stderr").string();
    int status = std::system(command.c_str());
    out_ = Read(root_ / "stdout");
    err_ = Read(root_ / "stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void MakeMixedFolder() {
    fs::path in = root_ / "in";
    fs::create_directories(in / "props");
    for (const char* file : {"textured-box.gltf", "textured-box.bin", "checker.png"}) {
      fs::copy_file(kModels / file, in / "props" / file);
    }
    fs::copy_file(kModels / "two-bone-arm.gltf", in / "arm.gltf");
    std::ofstream(in / "box.json") << Box("1");
    std::ofstream(in / "huge.json") << Box("3e38");
    std::ofstream(in / "props/broken.gltf") << "{ \"asset\": ";
    ASSERT_EQ(::mkfifo((in / "pipe.obj").c_str(), 0600), 0);
  }

  std::map<std::string, json> RecordsByName(const fs::path& report) {
    json all = json::parse(Read(report / "report.json"));
    std::map<std::string, json> byName;
    for (const json& record : all["records"]) {
      byName[fs::path(record["input"].get<std::string>()).filename().string()] = record;
    }
    return byName;
  }

  fs::path root_;
  std::string out_, err_;
};

TEST_F(BatchCommandTest, AMixedFolderEndsWithEachModelsStatusInTheReport) {
  MakeMixedFolder();
  fs::path in = root_ / "in", out = root_ / "out", report = root_ / "report";
  int status =
      Ruvx("batch " + in.string() + " -o " + out.string() + " -j 2 --report " + report.string());
  EXPECT_EQ(status, 8) << err_;

  std::map<std::string, json> records = RecordsByName(report);
  ASSERT_EQ(records.size(), 6u) << out_;
  EXPECT_EQ(records["textured-box.gltf"]["status"], "exported");
  EXPECT_EQ(records["box.json"]["status"], "exported");
  EXPECT_EQ(records["huge.json"]["status"], "incomplete");
  EXPECT_EQ(records["broken.gltf"]["status"], "refused");
  EXPECT_EQ(records["pipe.obj"]["status"], "refused");
  EXPECT_NE(records["pipe.obj"]["reason"].get<std::string>().find("not a regular file"),
            std::string::npos)
      << records["pipe.obj"];

  // What the written files hold, read back from them.
  const json& arm = records["arm.gltf"];
  EXPECT_EQ(arm["status"], "exported");
  EXPECT_EQ(arm["counts"]["bones"], 2);
  EXPECT_GE(arm["counts"]["animationSets"], 1);
  EXPECT_EQ(records["textured-box.gltf"]["counts"]["meshes"], 1);
  EXPECT_EQ(records["textured-box.gltf"]["counts"]["faces"], 12);
  EXPECT_EQ(records["textured-box.gltf"]["counts"]["texturesWritten"], 1);
  EXPECT_TRUE(records["broken.gltf"]["counts"].is_null());
  EXPECT_GT(records["box.json"]["peakKilobytes"], 0);

  // The layout of the sources, and a picture of every written file.
  EXPECT_TRUE(fs::exists(out / "props/textured-box.x"));
  EXPECT_TRUE(fs::exists(out / "props/checker.png"));
  for (const char* name : {"arm.gltf", "box.json", "huge.json", "textured-box.gltf"}) {
    std::string preview = records[name]["preview"];
    EXPECT_TRUE(fs::is_regular_file(report / preview)) << name;
  }
  EXPECT_EQ(records["broken.gltf"]["preview"], "");

  std::string page = Read(report / "index.html");
  EXPECT_NE(page.find("textured-box.gltf"), std::string::npos);
  EXPECT_EQ(page.find("http"), std::string::npos) << "the page needs no network";
  // The summary counts each status and names the slowest models.
  EXPECT_NE(out_.find("exported                 3"), std::string::npos) << out_;
  EXPECT_NE(out_.find("written incomplete       1"), std::string::npos) << out_;
  EXPECT_NE(out_.find("refused                  2"), std::string::npos) << out_;
  EXPECT_NE(out_.find("failed                   0"), std::string::npos) << out_;
  EXPECT_NE(out_.find("slowest"), std::string::npos);
  EXPECT_NE(err_.find("refused: " + (in / "pipe.obj").string()), std::string::npos) << err_;
}

TEST_F(BatchCommandTest, AnExportPastItsTimeLimitIsEndedAndTheBatchGoesOn) {
  fs::create_directories(root_ / "in");
  std::ofstream(root_ / "in/slow.json") << Spheres(60);
  fs::path report = root_ / "report";
  EXPECT_EQ(Ruvx("batch " + (root_ / "in").string() + " -o " + (root_ / "out").string() +
                 " --time-limit 0.5 --report " + report.string()),
            8)
      << err_;
  std::map<std::string, json> records = RecordsByName(report);
  EXPECT_EQ(records["slow.json"]["status"], "failed");
  EXPECT_NE(records["slow.json"]["reason"].get<std::string>().find("time limit of 0.5 s"),
            std::string::npos)
      << records["slow.json"];
  EXPECT_LT(records["slow.json"]["seconds"], 5.0);
  EXPECT_FALSE(fs::exists(root_ / "out/slow.x"));
}

TEST_F(BatchCommandTest, NamesOfAnyLettersAreExportedAndShown) {
  // Letters beyond ASCII, a space and '#': the picture's file name and URL still find it.
  fs::create_directories(root_ / "in");
  std::ofstream(root_ / "in/caf\u00e9 #1.json") << Box("1");
  // A name written in Latin-1, not UTF-8: its output keeps the same bytes.
  std::ofstream(root_ / "in" / fs::path("\xE9t\xE9.json")) << Box("1");
  fs::path report = root_ / "report";
  ASSERT_EQ(Ruvx("batch " + (root_ / "in").string() + " -o " + (root_ / "out").string() +
                 " --report " + report.string()),
            0)
      << err_;
  EXPECT_TRUE(fs::exists(root_ / "out/caf\u00e9 #1.x"));
  EXPECT_TRUE(fs::exists(root_ / "out" / fs::path("\xE9t\xE9.x")));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "out"), fs::directory_iterator()), 2);
  json all = json::parse(Read(report / "report.json"));
  ASSERT_EQ(all["records"].size(), 2u);
  for (const json& record : all["records"]) {
    EXPECT_EQ(record["status"], "exported") << record;
    std::string preview = record["preview"];
    EXPECT_TRUE(fs::is_regular_file(report / preview)) << preview;
    EXPECT_NE(Read(report / "index.html").find("src=\"" + preview + "\""), std::string::npos);
  }
}

TEST_F(BatchCommandTest, OneJobAndTwoJobsWriteTheSameFiles) {
  MakeMixedFolder();
  fs::path in = root_ / "in";
  ASSERT_EQ(Ruvx("batch " + in.string() + " -o " + (root_ / "one").string() + " -j 1"), 8) << err_;
  ASSERT_EQ(Ruvx("batch " + in.string() + " -o " + (root_ / "two").string() + " -j 2"), 8) << err_;
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root_ / "one")) {
    if (!entry.is_regular_file()) continue;
    fs::path relative = entry.path().lexically_relative(root_ / "one");
    files.push_back(relative.string());
    EXPECT_EQ(Read(entry.path()), Read(root_ / "two" / relative)) << relative;
  }
  std::size_t twoCount = std::distance(fs::recursive_directory_iterator(root_ / "two"), {});
  EXPECT_EQ(twoCount, std::distance(fs::recursive_directory_iterator(root_ / "one"), {}));
  EXPECT_GE(files.size(), 5u);
}

TEST_F(BatchCommandTest, AWholeBatchEndsWellAndFaultsOfTheWholeBatchStopIt) {
  fs::create_directories(root_ / "in");
  std::ofstream(root_ / "in/a.json") << Box("1");
  std::ofstream(root_ / "in/b.json") << Box("2");
  fs::path out = root_ / "out";
  EXPECT_EQ(Ruvx("batch " + (root_ / "in").string() + " -o " + out.string()), 0) << err_;
  EXPECT_NE(out_.find("exported                 2"), std::string::npos) << out_;

  // An option every export refuses: the batch says so once, with the export's own word.
  EXPECT_EQ(Ruvx("batch " + (root_ / "in").string() + " -o " + out.string() + " --set NoSuchKey=1"),
            2);
  EXPECT_NE(err_.find("NoSuchKey"), std::string::npos) << err_;
  EXPECT_NE(err_.find("stopped"), std::string::npos) << err_;

  // Beside their sources: a scene is written as a .x file there; a .x source would be written over.
  EXPECT_EQ(Ruvx("batch " + (root_ / "in").string() + " -o " + (root_ / "in").string()), 0) << err_;
  EXPECT_TRUE(fs::exists(root_ / "in/a.x"));
  fs::remove(root_ / "in/b.json");
  EXPECT_EQ(Ruvx("batch " + (root_ / "in").string() + " -o " + (root_ / "in").string()), 3);
  EXPECT_NE(err_.find("b.x would be written over by its own export"), std::string::npos) << err_;
  fs::remove(root_ / "in/b.x");

  EXPECT_EQ(Ruvx("batch " + (root_ / "in").string()), 2) << "no -o";
  EXPECT_EQ(Ruvx("batch " + (root_ / "nothing").string() + " -o " + out.string()), 3);
  fs::create_directories(root_ / "empty");
  EXPECT_EQ(Ruvx("batch " + (root_ / "empty").string() + " -o " + out.string()), 3);
  EXPECT_NE(err_.find("no model or scene files"), std::string::npos) << err_;
}

TEST_F(BatchCommandTest, AnInterruptedBatchEndsItsExportsAndStillReports) {
  fs::create_directories(root_ / "in");
  std::ofstream(root_ / "in/a-slow.json") << Spheres(60);
  std::ofstream(root_ / "in/b.json") << Box("1");
  fs::path report = root_ / "report";
  // SIGTERM, as a shell's background job ignores SIGINT.
  std::string command = kRuvx.string() + " batch " + (root_ / "in").string() + " -o " +
                        (root_ / "out").string() + " -j 1 --report " + report.string() +
                        " --config-dir " + (root_ / "config").string() +
                        " >/dev/null 2>&1 & sleep 1; kill -TERM $!; wait $!";
  int status = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 8);
  json all = json::parse(Read(report / "report.json"));
  EXPECT_TRUE(all["interrupted"].get<bool>());
  std::map<std::string, json> records = RecordsByName(report);
  EXPECT_EQ(records["a-slow.json"]["reason"], "ended: the batch was interrupted");
  EXPECT_EQ(records["b.json"]["reason"], "not run: the batch was interrupted");
  EXPECT_FALSE(fs::exists(root_ / "out/a-slow.x"));
}

TEST_F(BatchCommandTest, AnExportPastItsMemoryLimitFailsAlone) {
#ifdef RUV_ADDRESS_SANITIZER
  GTEST_SKIP() << "the address sanitizer's shadow memory leaves no address space to limit";
#endif
  fs::create_directories(root_ / "in");
  std::ofstream(root_ / "in/big.json") << Spheres(60);
  std::ofstream(root_ / "in/small.json") << Box("1");
  fs::path report = root_ / "report";
  EXPECT_EQ(Ruvx("batch " + (root_ / "in").string() + " -o " + (root_ / "out").string() +
                 " --memory-limit 300 --report " + report.string()),
            8)
      << err_;
  std::map<std::string, json> records = RecordsByName(report);
  EXPECT_EQ(records["small.json"]["status"], "exported");
  EXPECT_EQ(records["big.json"]["status"], "failed");
  EXPECT_NE(records["big.json"]["reason"].dump().find("memory"), std::string::npos)
      << records["big.json"];

  // Alone, the same export says that it ran out of memory (status 1), not that the file is bad.
  EXPECT_EQ(Ruvx("export " + (root_ / "in/big.json").string() + " " + (root_ / "big.x").string(),
                 "ulimit -v 300000; "),
            1);
  // Where the memory runs out decides who says so: ruvx while loading, the exporter after.
  EXPECT_TRUE(err_.find("ruvx: out of memory") != std::string::npos ||
              err_.find("std::bad_alloc") != std::string::npos)
      << err_;
  EXPECT_EQ(err_.find("ruvx: std::bad_alloc"), std::string::npos) << err_;
}

TEST_F(BatchCommandTest, RecordsOfExportsRunElsewhereMergeIntoOneReport) {
  fs::create_directories(root_ / "records");
  std::ofstream(root_ / "box.json") << Box("1");
  std::ofstream(root_ / "bad.json") << "{";
  EXPECT_EQ(Ruvx("export " + (root_ / "box.json").string() + " " + (root_ / "box.x").string() +
                 " --record " + (root_ / "records/box.json").string()),
            0);
  EXPECT_EQ(Ruvx("export " + (root_ / "bad.json").string() + " " + (root_ / "bad.x").string() +
                 " --record " + (root_ / "records/bad.json").string()),
            3);
  ruvx::ModelRecord bad = ruvx::ReadRecordFile(root_ / "records/bad.json");
  EXPECT_EQ(bad.status, ruvx::ModelStatus::kRefused);
  ASSERT_FALSE(bad.warnings.empty());
  // The reason is the export's message without what the record says already.
  EXPECT_EQ("ruvx: " + (root_ / "bad.json").string() + ": " + bad.reason, bad.warnings.back());

  fs::path report = root_ / "report";
  EXPECT_EQ(Ruvx("batch --merge-reports " + (root_ / "records").string() + " --report " +
                 report.string()),
            8)
      << err_;
  std::map<std::string, json> records = RecordsByName(report);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records["box.json"]["counts"]["meshes"], 1);
  EXPECT_TRUE(fs::is_regular_file(report / records["box.json"]["preview"].get<std::string>()));
  EXPECT_EQ(records["bad.json"]["status"], "refused");

  // A record that is not one stops the merge, naming it.
  std::ofstream(root_ / "records/stray.json") << "[1, 2]";
  EXPECT_EQ(Ruvx("batch --merge-reports " + (root_ / "records").string() + " --report " +
                 report.string()),
            3);
  EXPECT_NE(err_.find("stray.json: not a model record"), std::string::npos) << err_;
}

}  // namespace
