// Import of a binary `.x` file against its export: a grid of 10k to 1M triangles (positions,
// normals, one texture-coordinate set), exported in-process from its glTF import, then the `.x`
// file imported back. Processor time of each, best of a few runs, and how the import grows.
//
//   bench_x_import           10k .. 250k triangles, a short run
//   bench_x_import --full    10k .. 1M triangles
//
// Targets: importing takes less than exporting at every size; the import grows linearly (an
// exponent of at most 1.15 from the smallest size to the largest). Exits 1 when one is missed.
//
// It runs with the memory settings of `ruvx export` and `convert`, which read `.x` files: every
// run, of any size, then starts on fresh memory as a real import does. Under the C library's
// defaults, files of up to about 30 MB would reuse the freed memory of the run before them, and
// larger ones would not, which measures the library's heuristics rather than the import.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "bench_support.h"
#include "grid_gltf.h"
#include "host/sim/import/animation_timeline.h"
#include "host/sim/import/model_assembly.h"
#include "host/sim/import/model_files.h"
#include "host/sim/import/model_import.h"
#include "host/sim/import/model_repair.h"
#include "host/sim/import/xfile_reader.h"
#include "platform/host_path.h"
#include "platform/process_memory.h"
#include "ruv/plugin/export_driver.h"
#include "xof/file_reader.h"

namespace {

namespace fs = std::filesystem;

constexpr double kLinearExponentLimit = 1.15;

double BestSeconds(const std::function<void()>& run, int runs) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    double start = bench::CpuSeconds();
    run();
    best = std::min(best, bench::CpuSeconds() - start);
  }
  return best;
}

sim::import::ImportedScene Import(const fs::path& model, const fs::path& folder) {
  sim::import::ImportSettings settings;
  settings.imageFolder = folder;
  return sim::import::ImportModelFile(model, settings);
}

}  // namespace

int main(int argc, char** argv) {
  platform::RestartWithHugePages(argv);
  platform::MapLargeBlocksApart();
  bool full = argc > 1 && std::strcmp(argv[1], "--full") == 0;
  // n x n vertices: 2 (n - 1)^2 triangles, about 10k, 40k, 250k and 1M.
  std::vector<int> sizes = {72, 142, 354};
  if (full) sizes.push_back(708);
  fs::path folder = fs::temp_directory_path() / ("ruv-bench-x-import-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "ruv_max_config.ini", std::ios::binary) << "[Option]\r\nXFileType=1\r\n";

  std::printf("%12s %10s %12s %12s %14s\n", "triangles", "x MiB", "import s", "export s",
              "import/export");
  std::vector<double> importSeconds;
  std::vector<double> triangles;
  bool ok = true;
  for (int n : sizes) {
    // Small files take milliseconds: more runs, so that the best is not a disturbed one.
    int runs = n >= 708 ? 3 : n >= 354 ? 5 : 15;
    fs::path gltf = bench::WriteGridGltf(folder, n);
    fs::path output = folder / "grid.x";
    std::wstring hostOutput = platform::ToHostPath(output);
    double exportSeconds = 0;
    {
      sim::import::ImportedScene source = Import(gltf, folder);
      source.scene->Host().SetDir(9, platform::ToHostPath(folder));
      exportSeconds = BestSeconds(
          [&] {
            fs::remove(output);
            XDoExport(hostOutput.c_str(), nullptr, &source.scene->Host(), TRUE, 0);
          },
          runs);
    }
    if (!fs::exists(output)) {
      std::fprintf(stderr, "bench_x_import: the export of %d x %d wrote no file\n", n, n);
      ok = false;
      break;
    }
    std::size_t faces = 0;
    double seconds = BestSeconds(
        [&] {
          sim::import::ImportedScene imported = Import(output, folder);
          faces = 2u * static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(n - 1);
        },
        runs);
    double mib = static_cast<double>(fs::file_size(output)) / (1024.0 * 1024.0);
    std::printf("%12zu %10.1f %12.3f %12.3f %14.2f%s\n", faces, mib, seconds, exportSeconds,
                seconds / exportSeconds, seconds < exportSeconds ? "" : "  (target < 1)");
    ok = ok && seconds < exportSeconds;
    importSeconds.push_back(seconds);
    triangles.push_back(static_cast<double>(faces));
  }
  if (!importSeconds.empty()) {
    // Where the import of the largest file goes: our reader, the neutral model, the host scene.
    fs::path file = folder / "grid.x";
    double start = bench::CpuSeconds();
    xof::ReadResult read = xof::ReadXFileAt(file, xof::ReadOptions{.segments = false});
    double readSeconds = bench::CpuSeconds() - start;
    start = bench::CpuSeconds();
    sim::import::ImportedModel model = sim::import::ModelOfXDocument(
        *read.document, file.string(), sim::import::ModelFolder::Of(file), {});
    double modelSeconds = bench::CpuSeconds() - start;
    read.document.reset();
    start = bench::CpuSeconds();
    sim::import::RepairModel(model);
    sim::import::LayOutClips(model, file.string());
    auto scene = sim::import::AssembleScene(model, 1.0f, file.string(), L"grid.x");
    double sceneSeconds = bench::CpuSeconds() - start;
    std::printf("import of %.0f triangles: reading %.3f s, model %.3f s, host scene %.3f s\n",
                triangles.back(), readSeconds, modelSeconds, sceneSeconds);
  }
  if (importSeconds.size() >= 2) {
    double exponent = bench::GrowthExponent(importSeconds.front(), importSeconds.back(),
                                            triangles.front(), triangles.back());
    std::printf("import growth exponent %.0f -> %.0f triangles: %.2f (target <= %.2f)\n",
                triangles.front(), triangles.back(), exponent, kLinearExponentLimit);
    ok = ok && exponent <= kLinearExponentLimit;
  }
  std::printf("peak resident memory: %.0f MiB\n",
              static_cast<double>(bench::PeakKilobytes()) / 1024.0);
  fs::remove_all(folder);
  return ok ? 0 : 1;
}
