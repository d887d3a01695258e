// Import and export of a generated glTF grid (1M triangles at n = 708): `ruvx export grid.gltf
// grid.x` in each encoding beside Assimp's own `assimp export grid.gltf grid.x` (text), with the
// processor time, wall time and peak memory of each run and the output's size.
//
//   bench_import [n]      n x n vertices, 708 by default
//
// Targets: the binary export at least 2x faster than Assimp's, the text export faster than
// Assimp's, peak memory at most 3x the size of the binary output. Exits 1 when a run fails.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "grid_gltf.h"

namespace {

namespace fs = std::filesystem;

struct Run {
  std::string name;
  double cpuSeconds = 0, wallSeconds = 0;
  double peakMiB = 0;
  double outputMiB = 0;
  bool ok = false;
};

// Runs `argv` with its output silenced; the child's own processor time and peak resident memory.
Run Measure(const std::string& name, const std::vector<std::string>& argv, const fs::path& output) {
  Run run{name};
  fs::remove(output);
  auto start = std::chrono::steady_clock::now();
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpuSeconds = bench::ProcessorSeconds(usage);
  run.peakMiB = static_cast<double>(bench::PeakKilobytes(usage)) / 1024.0;
  std::error_code error;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && fs::exists(output, error);
  if (run.ok) run.outputMiB = static_cast<double>(fs::file_size(output)) / (1024.0 * 1024.0);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  int n = argc > 1 ? std::atoi(argv[1]) : 708;
  if (n < 2 || n > 1000) {
    std::fprintf(stderr, "bench_import: n must lie in 2 to 1000\n");
    return 2;
  }
  fs::path folder = fs::temp_directory_path() / ("ruv-bench-import-" + std::to_string(getpid()));
  fs::create_directories(folder / "config");
  fs::path model = bench::WriteGridGltf(folder, n);
  std::string ruvx = (fs::path(RUV_BIN_DIR) / "ruvx").string();
  std::printf("bench_import: %d x %d grid, %ld triangles, glTF %.1f MiB\n", n, n,
              2L * (n - 1) * (n - 1),
              static_cast<double>(fs::file_size(folder / "grid.bin")) / (1024.0 * 1024.0));

  std::vector<Run> runs;
  for (const char* format : {"text", "binary", "compressed"}) {
    fs::path output = folder / (std::string("ruvx-") + format + ".x");
    runs.push_back(Measure(std::string("ruvx export, ") + format,
                           {ruvx, "export", model.string(), output.string(), "--format", format,
                            "--config-dir", (folder / "config").string()},
                           output));
  }
  fs::path assimpOutput = folder / "assimp.x";
  runs.push_back(Measure("assimp export (text)",
                         {"assimp", "export", model.string(), assimpOutput.string()},
                         assimpOutput));

  std::printf("%-24s %9s %9s %10s %10s\n", "run", "cpu s", "wall s", "peak MiB", "out MiB");
  bool allOk = true;
  for (const Run& run : runs) {
    allOk = allOk && run.ok;
    std::printf("%-24s %9.2f %9.2f %10.1f %10.1f%s\n", run.name.c_str(), run.cpuSeconds,
                run.wallSeconds, run.peakMiB, run.outputMiB, run.ok ? "" : "  FAILED");
  }
  const Run &text = runs[0], &binary = runs[1], &assimp = runs[3];
  if (allOk) {
    std::printf("assimp / ruvx binary time: %.2fx (target >= 2)\n",
                assimp.cpuSeconds / binary.cpuSeconds);
    std::printf("assimp / ruvx text time:   %.2fx (target > 1)\n",
                assimp.cpuSeconds / text.cpuSeconds);
    std::printf("ruvx binary peak memory / binary output: %.2fx (target <= 3)\n",
                binary.peakMiB / binary.outputMiB);
  }
  fs::remove_all(folder);
  return allOk ? 0 : 1;
}
