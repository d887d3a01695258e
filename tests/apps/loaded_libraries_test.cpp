// Which shared libraries each ruvx command brings into its process, as the dynamic loader reports
// them (LD_DEBUG=files), opened on demand included: Qt only to show the dialog, Assimp only for a
// model Assimp reads, OSMesa only to draw. A library linked again (or reached through one that is)
// shows up in every command, exports of large models included.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kRuvx = fs::path(RUV_BIN_DIR) / "ruvx";
const fs::path kExamples = fs::path(RUV_SOURCE_DIR) / "examples";

// The libraries loaded on demand, by the start of their names.
constexpr const char* kQt = "libQt6Core.so";
constexpr const char* kAssimp = "libassimp.so";
constexpr const char* kOsmesa = "libOSMesa.so";

class LoadedLibraries : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("ruv-loaded-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "config");
    fs::create_directories(folder_ / "debug");
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs ruvx with the environment given first; returns the libraries of `watched` that any of
  // its processes loaded, and sets `status` to its exit status.
  std::set<std::string> Run(const std::string& environment, const std::string& arguments,
                            int& status) {
    fs::remove_all(folder_ / "debug");
    fs::create_directories(folder_ / "debug");
    const std::string command =
        "env LD_DEBUG=files LD_DEBUG_OUTPUT=" + (folder_ / "debug" / "ld").string() + " " +
        environment + " " + kRuvx.string() + " " + arguments + " >" + (folder_ / "log").string() +
        " 2>&1";
    const int result = std::system(command.c_str());
    status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    std::set<std::string> loaded;
    for (const auto& entry : fs::directory_iterator(folder_ / "debug")) {
      std::ifstream in(entry.path());
      const std::string text((std::istreambuf_iterator<char>(in)), {});
      for (const char* library : {kQt, kAssimp, kOsmesa}) {
        if (text.find(std::string("file=") + library) != std::string::npos) loaded.insert(library);
      }
    }
    return loaded;
  }
  // The options of the commands that read them.
  std::string Config() const { return " --config-dir " + (folder_ / "config").string(); }
  std::string Log() const {
    std::ifstream in(folder_ / "log");
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }

  fs::path folder_;
};

TEST_F(LoadedLibraries, ExportsOfGltfScenesAndXFilesLoadNoneOfThem) {
  const std::string out = (folder_ / "out.x").string();
  const std::string text = (folder_ / "text.x").string();
  const std::string commands[] = {
      "--help",
      "export " + (kExamples / "models" / "textured-box.gltf").string() + " " + out +
          " --format binary" + Config(),
      "export " + (kExamples / "skinned-animated.json").string() + " " + out + Config(),
      "export " + out + " " + (folder_ / "again.x").string() + Config(),
      "convert " + out + " " + text + " --format text",
      "dump " + text,
      "options" + Config(),
  };
  for (const std::string& command : commands) {
    int status = -1;
    const std::set<std::string> loaded = Run("", command, status);
    EXPECT_EQ(status, 0) << command << "\n" << Log();
    EXPECT_TRUE(loaded.empty()) << command << " loaded " << *loaded.begin();
  }
}

// The positive side, which also shows that the loader's report is read right: each library comes
// in for what needs it, and only that one.
TEST_F(LoadedLibraries, EachComesInForWhatNeedsIt) {
  int status = -1;
  const std::string dialog = "QT_QPA_PLATFORM=offscreen RUV_DIALOG_SCRIPT=1035";
  EXPECT_EQ(Run(dialog, "options --dialog" + Config(), status), std::set<std::string>{kQt});
  EXPECT_EQ(status, 0) << Log();
  EXPECT_EQ(Run(dialog, "demo " + (folder_ / "demo.x").string() + " --dialog" + Config(), status),
            std::set<std::string>{kQt});
  EXPECT_EQ(status, 0) << Log();
  EXPECT_EQ(
      Run("", "preview " + (folder_ / "demo.x").string() + " -o " + (folder_ / "demo.png").string(),
          status),
      std::set<std::string>{kOsmesa});
  EXPECT_EQ(status, 0) << Log();
#ifdef RUV_HAVE_ASSIMP
  // A triangle in a format only Assimp reads.
  std::ofstream(folder_ / "triangle.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
  EXPECT_EQ(Run("",
                "export " + (folder_ / "triangle.obj").string() + " " +
                    (folder_ / "triangle.x").string() + Config(),
                status),
            std::set<std::string>{kAssimp});
  EXPECT_EQ(status, 0) << Log();
#endif
}

#ifdef RUV_HAVE_ASSIMP
// Assimp's readers are loaded from beside the program: a ruvx without them still exports glTF,
// and refuses what needs them with the module's path and the loader's reason, as a module that
// cannot be loaded (4), writing nothing.
TEST_F(LoadedLibraries, WithoutAssimpsModuleWhatNeedsItIsRefusedByName) {
  const fs::path bin = folder_ / "bin";
  fs::create_directories(bin);
  for (const char* file : {"ruvx", "ruv.dle"})
    fs::copy_file(fs::path(RUV_BIN_DIR) / file, bin / file);
  std::ofstream(folder_ / "triangle.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
  std::ofstream(folder_ / "old.gltf") << R"({ "asset": { "version": "1.0" } })";
  const std::string missing =
      "cannot load " + (bin / "ruv_import_assimp.so").string() + ": cannot open shared object file";
  auto ruvx = [&](const std::string& arguments) {
    const std::string command = (bin / "ruvx").string() + " " + arguments + Config() + " >" +
                                (folder_ / "log").string() + " 2>&1";
    const int result = std::system(command.c_str());
    return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  };

  for (const char* model : {"triangle.obj", "old.gltf"}) {
    const fs::path out = folder_ / (std::string(model) + ".x");
    EXPECT_EQ(ruvx("export " + (folder_ / model).string() + " " + out.string()), 4) << model;
    EXPECT_NE(Log().find(model + std::string(": Assimp's readers cannot be used: ") + missing),
              std::string::npos)
        << Log();
    EXPECT_FALSE(fs::exists(out)) << model;
  }
  EXPECT_EQ(ruvx("batch " + folder_.string() + " -o " + (folder_ / "batch").string()), 4);
  EXPECT_NE(Log().find("cannot tell which files are models"), std::string::npos) << Log();
  EXPECT_NE(Log().find(missing), std::string::npos) << Log();

  EXPECT_EQ(ruvx("export " + (kExamples / "models" / "textured-box.gltf").string() + " " +
                 (folder_ / "box.x").string()),
            0)
      << Log();
}
#endif

}  // namespace
