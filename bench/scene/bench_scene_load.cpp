// Loading a large scene file: a grid mesh of 720k triangles with one texture-coordinate channel,
// written as a scene file of about 38 MB. Prints the loader's throughput (processor time of the
// whole load: reading the file, parsing it, building the host scene; best of a few runs) and its
// peak memory against the file size. The peak is the growth of the process's peak resident size
// over the first load: the file's text, the parsed document, the scene's descriptions and the
// built host scene, whichever of them are held at once (the text goes before the scene is built).
// It runs with the memory settings `ruvx export` loads scene files with, so that every load, of
// any size, starts on fresh memory as a real one does.
//
//   bench_scene_load [COLUMNS ROWS]    default 600 x 600 quads, then the growth from 10k to 1M
//                                      triangles; 1000 x 500 is a million triangles
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_loader.h"
#include "host/sim/sim_scene.h"
#include "platform/process_memory.h"

namespace {

// 5x what the loader built on a general JSON library reached here (55 MB/s, 7.15x the file).
constexpr double kTargetMegabytesPerSecond = 275;
constexpr double kTargetPeakOverFile = 3;

// Streamed to the file a line at a time, so that writing it does not raise this process's peak.
void WriteGridScene(const std::filesystem::path& path, int columns, int rows) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fprintf(f,
               "{\n  \"format\": \"ruv-scene\",\n  \"version\": 3,\n  \"nodes\": [\n"
               "    { \"name\": \"Grid\",\n      \"object\": { \"type\": \"mesh\",\n"
               "        \"vertices\": [\n");
  for (int y = 0; y <= rows; ++y) {
    for (int x = 0; x <= columns; ++x) {
      std::fprintf(f, "%s[%.6f, %.6f, %.6f]", y + x == 0 ? "" : ",\n", x * 0.173, y * 0.173,
                   0.01 * ((x * 7 + y * 3) % 50));
    }
  }
  std::fprintf(f, "],\n        \"faces\": [\n");
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      int v = y * (columns + 1) + x;
      std::fprintf(f, "%s[%d, %d, %d],\n[%d, %d, %d]", y + x == 0 ? "" : ",\n", v, v + 1,
                   v + columns + 1, v + 1, v + columns + 2, v + columns + 1);
    }
  }
  std::fprintf(f, "],\n        \"maps\": { \"1\": { \"vertices\": [\n");
  for (int y = 0; y <= rows; ++y) {
    for (int x = 0; x <= columns; ++x) {
      std::fprintf(f, "%s[%.6f, %.6f]", y + x == 0 ? "" : ",\n", static_cast<double>(x) / columns,
                   static_cast<double>(y) / rows);
    }
  }
  std::fprintf(f, "] } } } }\n  ]\n}\n");
  std::fclose(f);
}

// Best processor time of three loads of a fresh grid scene file; negative when it fails.
double LoadSeconds(const std::filesystem::path& folder, int columns, int rows) {
  std::filesystem::path path = folder / "growth.json";
  WriteGridScene(path, columns, rows);
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    double start = bench::CpuSeconds();
    try {
      auto scene = sim::LoadSceneFile(path);
    } catch (const sim::SceneFileError& error) {
      std::fprintf(stderr, "bench_scene_load: %s\n", error.what());
      return -1;
    }
    best = std::min(best, bench::CpuSeconds() - start);
  }
  return best;
}

// Loading time from 10k to 1M triangles, and its growth exponent (1 is linear).
bool ReportGrowth(const std::filesystem::path& folder) {
  std::printf("  growth: %10s %10s\n", "triangles", "ms");
  double first = 0, last = 0;
  for (int side : {71, 224, 707}) {
    double seconds = LoadSeconds(folder, side, side);
    if (seconds < 0) return false;
    std::printf("          %10d %10.1f\n", 2 * side * side, seconds * 1e3);
    if (first == 0) first = seconds;
    last = seconds;
  }
  std::printf("  growth exponent, 10k to 1M triangles: %.2f (1 is linear)\n",
              bench::GrowthExponent(first, last, 71.0 * 71.0, 707.0 * 707.0));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  platform::RestartWithHugePages(argv);
  platform::MapLargeBlocksApart();
  int columns = argc == 3 ? std::atoi(argv[1]) : 600;
  int rows = argc == 3 ? std::atoi(argv[2]) : 600;
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench_scene_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::path path = folder / "grid.json";
  WriteGridScene(path, columns, rows);
  double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

  // The peak is measured on the first load, before any other: later loads reuse freed memory.
  long before = bench::PeakKilobytes();
  double best = 1e30;
  bool ok = true;
  double peakMegabytes = 0;
  for (int run = 0; run < 5 && ok; ++run) {
    double start = bench::CpuSeconds();
    try {
      auto scene = sim::LoadSceneFile(path);
      best = std::min(best, bench::CpuSeconds() - start);
      if (run == 0) peakMegabytes = static_cast<double>(bench::PeakKilobytes() - before) / 1e3;
    } catch (const sim::SceneFileError& error) {
      std::fprintf(stderr, "bench_scene_load: %s\n", error.what());
      ok = false;
    }
  }
  if (!ok) {
    std::filesystem::remove_all(folder);
    return 1;
  }
  double rate = megabytes / best;
  std::printf(
      "bench_scene_load: grid of %d triangles, one texture channel, %.1f MB scene file\n"
      "  loading: %.0f ms processor time, %.0f MB/s (target >= %.0f)\n"
      "  peak memory of the load: %.0f MB, %.2f x the file (target <= %.0f)\n",
      2 * columns * rows, megabytes, best * 1e3, rate, kTargetMegabytesPerSecond, peakMegabytes,
      peakMegabytes / megabytes, kTargetPeakOverFile);
  if (argc != 3) ok = ReportGrowth(folder);
  std::filesystem::remove_all(folder);
  return ok ? 0 : 1;
}
