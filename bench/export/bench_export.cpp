// Export of a generated grid mesh (smoothing-group normals, one texture-coordinate set) at sizes
// from 10k to 1M faces: faces per second of vertex generation alone and of the whole export in each
// encoding, and a check that both grow linearly with the face count.
//
//   bench_export           10k .. 300k faces, a short run
//   bench_export --full    10k .. 1M faces
//   bench_export --peak    only the peak memory of one binary export of 1M faces (a fresh process
//                          is needed for it; the other modes run this one at the end)
//
// Exits 1 when a stage grows faster than linearly or an export fails.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_meshes.h"
#include "bench_support.h"
#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/mesh/mesh_generation.h"
#include "ruv/options/config_file.h"
#include "ruv/options/export_options.h"
#include "ruv/plugin/export_driver.h"

namespace {

// Processor time of this process, not wall time: the machine is shared, and time spent waiting for
// a core is not the exporter's. Writing the file is system time, which this counts.
struct GridSize {
  int columns;
  int rows;
  int Faces() const { return 2 * columns * rows; }
};

// Exact face counts, so that the rates compare like with like.
constexpr GridSize kSizes[] = {{100, 50}, {150, 100}, {250, 200}, {500, 300}, {1000, 500}};
constexpr int kShortSizes = 4;  // up to 300k faces

struct Encoding {
  int fileType;  // the XFileType option
  const char* name;
};
constexpr Encoding kEncodings[] = {{0, "text"}, {1, "binary"}, {2, "compressed"}};

// Per-face time may rise a little with size as the mesh outgrows the caches; twice the per-face
// time over a hundredfold size (an exponent of 1.15) is the most that still counts as linear.
// Quadratic work shows as an exponent near 2.
constexpr double kLinearExponentLimit = 1.15;

// The best of at least `minRuns` runs, more while the budget lasts: the machine is shared, the
// fastest run is the one least disturbed. `prepare` runs untimed before each run.
double BestSeconds(const std::function<void()>& prepare, const std::function<void()>& run,
                   int minRuns, double budgetSeconds) {
  double best = 1e30, spent = 0;
  for (int i = 0; i < minRuns || (spent < budgetSeconds && i < 20); ++i) {
    prepare();
    double start = bench::CpuSeconds();
    run();
    double seconds = bench::CpuSeconds() - start;
    best = std::min(best, seconds);
    spent += seconds;
  }
  return best;
}

// Small meshes take milliseconds: they get more runs, up to this much processor time each.
constexpr double kBudgetSeconds = 0.3;

int RunsFor(int faces) { return faces >= 1000000 ? 2 : 3; }

// GenMeshData on `mesh` with the options an export without an options file has. `vertices` is the
// number of output vertices, 0 when the generation failed.
double GenerationSeconds(const Mesh& mesh, std::size_t& vertices) {
  LoadOptions(L"", 30, Interval(0, 100 * 160), 160);
  SetupConversion(1.0f, gExportOptions.RightHand, 0.0f, 0.0f);
  sim::SceneBuilder builder;
  builder.Root().AddChild(L"Grid");
  auto scene = builder.Build();
  ExportContext context;
  context.host = &scene->Host();
  context.progressNextAt = 1e30f;  // no bar is open
  auto node = std::make_unique<XRenderableNode>();
  node->hostNode = scene->FindNode(L"Grid");
  bool ok = true;
  double seconds = BestSeconds(
      [&] {
        node->meshData.reset();
        node->meshCopy = mesh;
        node->mesh = &node->meshCopy;
      },
      [&] { ok = GenMeshData(&context, node.get()) && ok; }, RunsFor(mesh.getNumFaces()),
      kBudgetSeconds);
  vertices = ok && node->meshData ? node->meshData->vertices.size() : 0;
  return seconds;
}

// The host's own smoothing-group normals, which the generation builds first: its share of the time.
double HostNormalsSeconds(const Mesh& grid) {
  Mesh copy;
  return BestSeconds([&] { copy = grid; }, [&] { copy.buildNormals(); },
                     RunsFor(grid.getNumFaces()), kBudgetSeconds);
}

struct ExportResult {
  double seconds = 0;
  double megabytes = 0;
  bool ok = false;
};

ExportResult WholeExportSeconds(sim::SimScene& scene, const std::filesystem::path& folder,
                                const Encoding& encoding, int faces) {
  std::ofstream(folder / "ruv_max_config.ini", std::ios::binary)
      << "[Option]\r\nXFileType=" << encoding.fileType << "\r\n";
  std::filesystem::path output = folder / "grid.x";
  std::wstring hostOutput = platform::ToHostPath(output);
  ExportResult result;
  result.seconds =
      BestSeconds([&] { std::filesystem::remove(output); },
                  [&] { XDoExport(hostOutput.c_str(), nullptr, &scene.Host(), TRUE, 0); },
                  RunsFor(faces), kBudgetSeconds);
  result.ok = scene.MainWindow().MessageBoxes().empty() && std::filesystem::exists(output);
  if (result.ok) result.megabytes = static_cast<double>(std::filesystem::file_size(output)) / 1e6;
  return result;
}

bool ReportGrowth(const char* what, const std::vector<double>& seconds,
                  const std::vector<int>& faces, const char* verdictNote = "") {
  double exponent =
      bench::GrowthExponent(seconds.front(), seconds.back(), faces.front(), faces.back());
  bool linear = exponent <= kLinearExponentLimit;
  std::printf("  %-22s time ~ faces^%.2f from %dk to %dk faces: %s%s\n", what, exponent,
              faces.front() / 1000, faces.back() / 1000,
              linear ? "linear" : "GROWS FASTER THAN LINEAR", verdictNote);
  return linear;
}

// Welding searches the sets already at a corner's position, so a vertex shared by n faces with n
// different normals costs n^2 / 2 comparisons. The grids never show it; this does.
void ReportHighValenceVertex() {
  std::vector<int> faces;
  std::vector<double> seconds;
  std::printf("\none apex vertex with a distinct normal per face (a flat-shaded cone):\n");
  for (int count : {2000, 4000, 8000, 16000}) {
    std::size_t vertices = 0;
    faces.push_back(count);
    seconds.push_back(GenerationSeconds(MakeFacetedConeMesh(count), vertices));
    std::printf("%9d %9zu | %8.3f\n", count, vertices, count / seconds.back() / 1e6);
  }
  ReportGrowth("generation:", seconds, faces,
               " (shown, not failed: a limit of the per-position search)");
}

constexpr double kTargetPeakOverOutput = 3;

// Memory the export takes beyond the host scene it reads: the peak resident size during the
// export less the resident size before it, against the size of the binary file written.
int ReportExportPeak() {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench_export_peak_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const GridSize size = kSizes[std::size(kSizes) - 1];
  sim::SceneBuilder builder;
  builder.Root().AddChild(L"Grid").TriMesh(MakeGridMesh(size.columns, size.rows));
  builder.Folder(9, platform::ToHostPath(folder));
  auto scene = builder.Build();
  // Forget the high-water mark of building the scene (Linux 4.0 and later), so that the peak
  // read after the export is the export's own.
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
  long before = bench::ResidentKilobytes();
  long peakBefore = bench::PeakKilobytes();
  ExportResult result = WholeExportSeconds(*scene, folder, kEncodings[1], size.Faces());
  long peak = bench::PeakKilobytes();
  std::filesystem::remove_all(folder);
  if (!result.ok) {
    std::printf("export peak memory: the export failed\n");
    return 1;
  }
  double exportMegabytes = static_cast<double>(peak - before) / 1e3;
  std::printf(
      "\nexport peak memory (binary, %d faces): host scene %.0f MB; the export adds %.0f MB%s at "
      "its peak for %.1f MB written: %.2f x the output (target <= %.0f)\n",
      size.Faces(), static_cast<double>(before) / 1e3, exportMegabytes,
      peak > peakBefore ? "" : " or less (the peak is not reset here)", result.megabytes,
      exportMegabytes / result.megabytes, kTargetPeakOverOutput);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool full = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--full") == 0) {
      full = true;
    } else if (std::strcmp(argv[i], "--peak") == 0) {
      return ReportExportPeak();
    } else {
      std::fprintf(stderr, "usage: bench_export [--full | --peak]\n");
      return 2;
    }
  }
  const int sizeCount = full ? static_cast<int>(std::size(kSizes)) : kShortSizes;
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench_export_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);

  std::printf(
      "bench_export: grid meshes, smoothing group 1, one texture-coordinate set, default options;\n"
      "processor time, best of a few runs (shared machine: expect noise of 10-20%%)\n\n");
  std::printf("%9s %9s | %-34s | %s\n", "faces", "vertices", "generation Mfaces/s (host normals)",
              "whole export Mfaces/s (MB written)");
  std::vector<int> faces;
  std::vector<double> generation;
  std::vector<std::vector<double>> exports(std::size(kEncodings));
  bool ok = true;
  for (int s = 0; s < sizeCount; ++s) {
    const GridSize size = kSizes[s];
    Mesh grid = MakeGridMesh(size.columns, size.rows);
    faces.push_back(size.Faces());
    std::size_t vertices = 0;
    generation.push_back(GenerationSeconds(grid, vertices));
    double normals = HostNormalsSeconds(grid);
    // One output vertex per host vertex: anything else means the generation did other work.
    bool generated = vertices == static_cast<std::size_t>(grid.getNumVerts());
    ok = ok && generated;
    std::printf("%9d %9d | %8.2f (%4.0f%% of it)%s              |", size.Faces(),
                grid.getNumVerts(), size.Faces() / generation.back() / 1e6,
                100.0 * normals / generation.back(), generated ? "" : " FAILED");

    sim::SceneBuilder builder;
    builder.Root().AddChild(L"Grid").TriMesh(std::move(grid));
    builder.Folder(9, platform::ToHostPath(folder));
    auto scene = builder.Build();
    for (std::size_t e = 0; e < std::size(kEncodings); ++e) {
      ExportResult result = WholeExportSeconds(*scene, folder, kEncodings[e], size.Faces());
      exports[e].push_back(result.seconds);
      ok = ok && result.ok;
      std::printf(" %s %.2f (%.1f)%s", kEncodings[e].name, size.Faces() / result.seconds / 1e6,
                  result.megabytes, result.ok ? "" : " FAILED");
    }
    std::printf("\n");
    std::fflush(stdout);
  }

  std::printf("\n");
  bool linear = ReportGrowth("generation:", generation, faces);
  for (std::size_t e = 0; e < std::size(kEncodings); ++e) {
    std::string what = std::string("export, ") + kEncodings[e].name + ":";
    linear = ReportGrowth(what.c_str(), exports[e], faces) && linear;
  }
  ReportHighValenceVertex();
  std::filesystem::remove_all(folder);
  // A process of its own, so that the peak is not that of the runs above.
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::fflush(stdout);
  if (!error) ok = std::system(("\"" + self.string() + "\" --peak").c_str()) == 0 && ok;
  if (!ok)
    std::printf("an export or generation failed: the figures above do not measure a full export\n");
  return ok && linear ? 0 : 1;
}
