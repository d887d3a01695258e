// Import and export of a generated glTF grid (1M triangles at n = 708): `ruvx export grid.gltf
// grid.x` in each encoding beside Assimp's own `assimp export grid.gltf grid.x` (text), with the
// wall, user and system time and peak memory of each run and the output's size; then `ruvx
// convert` of the binary output to the compressed encoding (read and save) against `gzip -1` of
// the same file.
//
//   bench_import [n]      n x n vertices, 708 by default
//
// Targets: the binary export at most 0.35 s of wall time and at least 5x faster than Assimp's, the
// text export faster than Assimp's, peak memory at most 2.5x the size of the binary output, the
// conversion to compressed at most 0.6x the time of gzip -1. Wall times hold only on an idle
// machine: the processor times are printed beside them. Exits 1 when a run fails.
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
  double cpuSeconds = 0, wallSeconds = 0, userSeconds = 0, systemSeconds = 0;
  double peakMiB = 0;
  double outputMiB = 0;
  bool ok = false;
};

// Runs `argv` with its output silenced; the child's own processor time and peak resident memory.
Run Measure(const std::string& name, const std::vector<std::string>& argv, const fs::path& output,
            const fs::path& stdoutFile = {}) {
  Run run{name};
  fs::remove(output);
  auto start = std::chrono::steady_clock::now();
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    if (!std::freopen(stdoutFile.empty() ? "/dev/null" : stdoutFile.c_str(), "w", stdout))
      _exit(127);
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
  run.userSeconds = static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
  run.systemSeconds = static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
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
  // The binary export read back and saved compressed, against gzip -1 of the same file (the best of
  // three each, as the two are compared with each other).
  fs::path binaryOutput = folder / "ruvx-binary.x";
  fs::path converted = folder / "converted.x";
  fs::path gzipped = folder / "ruvx-binary.x.gz";
  Run convert, gzip;
  for (int i = 0; i < 3 && runs[1].ok; ++i) {
    Run c = Measure(
        "ruvx convert, compressed",
        {ruvx, "convert", binaryOutput.string(), converted.string(), "--format", "compressed"},
        converted);
    Run g = Measure("gzip -1", {"gzip", "-1", "-c", binaryOutput.string()}, gzipped, gzipped);
    if (i == 0 || c.wallSeconds < convert.wallSeconds) convert = c;
    if (i == 0 || g.wallSeconds < gzip.wallSeconds) gzip = g;
  }
  if (runs[1].ok) {
    runs.push_back(convert);
    runs.push_back(gzip);
  }

  std::printf("%-26s %8s %8s %8s %8s %10s %9s %8s\n", "run", "wall s", "user s", "system s",
              "cpu s", "peak MiB", "out MiB", "peak/out");
  bool allOk = true;
  for (const Run& run : runs) {
    allOk = allOk && run.ok;
    std::printf("%-26s %8.2f %8.2f %8.2f %8.2f %10.1f %9.1f %8.2f%s\n", run.name.c_str(),
                run.wallSeconds, run.userSeconds, run.systemSeconds, run.cpuSeconds, run.peakMiB,
                run.outputMiB, run.outputMiB > 0 ? run.peakMiB / run.outputMiB : 0.0,
                run.ok ? "" : "  FAILED");
  }
  if (allOk && runs.size() == 6) {
    const Run &text = runs[0], &binary = runs[1], &assimp = runs[3];
    auto verdict = [](bool met) { return met ? "met" : "NOT MET"; };
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) < 1) load[0] = -1;
    std::printf("load average now: %.2f (wall times hold on an idle machine only)\n", load[0]);
    std::printf("ruvx binary export, wall: %.2f s (target <= 0.35): %s\n", binary.wallSeconds,
                verdict(binary.wallSeconds <= 0.35));
    std::printf("assimp / ruvx binary, wall: %.2fx, processor time: %.2fx (target >= 5)\n",
                assimp.wallSeconds / binary.wallSeconds, assimp.cpuSeconds / binary.cpuSeconds);
    std::printf("assimp / ruvx text, processor time: %.2fx (target > 1)\n",
                assimp.cpuSeconds / text.cpuSeconds);
    std::printf("ruvx binary peak memory / binary output: %.2fx (target <= 2.5): %s\n",
                binary.peakMiB / binary.outputMiB,
                verdict(binary.peakMiB / binary.outputMiB <= 2.5));
    std::printf(
        "ruvx convert to compressed / gzip -1, wall: %.2f, processor time: %.2f (target <= 0.6 "
        "wall): %s\n",
        runs[4].wallSeconds / runs[5].wallSeconds, runs[4].cpuSeconds / runs[5].cpuSeconds,
        verdict(runs[4].wallSeconds <= 0.6 * runs[5].wallSeconds));
  }
  fs::remove_all(folder);
  return allOk ? 0 : 1;
}
