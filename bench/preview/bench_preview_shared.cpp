// The preview of one mesh shown by many frames: a 10k-vertex grid at the top of the file and
// referenced (`{ Grid }`) from 1, 100 and 10,000 frames. Each size runs in a child process of its
// own, so its peak memory is its own: reading, building the scene and drawing at 400x300. Prints
// the peak against the file's size and its growth exponent; memory that grew with references x
// mesh size would show an exponent far above 1 (the 10k-reference file is under three times the
// 1-reference one, its copies would be 10,000 times the mesh). The rasteriser draws in the calling
// thread: with threads of its own, how much it holds in flight depends on their timing and the
// peak varies by a hundred megabytes from run to run, which would hide what the preview holds.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "preview/renderer.h"
#include "preview/scene_reader.h"
#include "xof/file_reader.h"

namespace {

constexpr int kSide = 100;  // 100 x 100 = 10,000 vertices, 19,602 triangles
// The peak is mostly what does not grow with the file (the drawing buffers, Mesa's own); what
// grows is the file's frames. A tenth over linear allows for the allocator's rounding.
constexpr double kLinearExponentLimit = 1.1;

std::string GridFile(int references) {
  std::string text = "xof 0303txt 0032\nMesh Grid {\n " + std::to_string(kSide * kSide) + ";\n";
  char number[64];
  for (int i = 0; i < kSide; ++i) {
    for (int j = 0; j < kSide; ++j) {
      std::snprintf(number, sizeof number, "%.4f;%.4f;0;%s", i / (kSide - 1.0), j / (kSide - 1.0),
                    i + 1 == kSide && j + 1 == kSide ? ";\n" : ",");
      text += number;
    }
  }
  int triangles = 2 * (kSide - 1) * (kSide - 1);
  text += " " + std::to_string(triangles) + ";\n";
  for (int i = 0; i + 1 < kSide; ++i) {
    for (int j = 0; j + 1 < kSide; ++j) {
      int a = i * kSide + j, b = a + 1, c = a + kSide, d = c + 1;
      bool last = i + 2 == kSide && j + 2 == kSide;
      std::snprintf(number, sizeof number, "3;%d,%d,%d;,3;%d,%d,%d;%s", a, b, c, b, d, c,
                    last ? ";\n" : ",");
      text += number;
    }
  }
  text += "}\n";
  for (int k = 0; k < references; ++k) {
    std::snprintf(number, sizeof number, "%.1f,%.1f,0,1;; } { Grid } }\n", (k % 100) * 1.1,
                  (k / 100) * 1.1);
    text += "Frame F" + std::to_string(k) +
            " { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, " + number;
  }
  return text;
}

// What the child reports back through the pipe.
struct Report {
  bool ok = false;
  std::size_t fileBytes = 0, meshes = 0, instances = 0;
  long readPeakKb = 0, scenePeakKb = 0;
  double cpuSeconds = 0;
};

Report Run(int references) {
  Report report;
  double start = bench::CpuSeconds();
  std::string text = GridFile(references);
  report.fileBytes = text.size();
  xof::ReadResult read = xof::ReadXFile(text);
  if (!read.ok()) return report;
  report.readPeakKb = bench::PeakKilobytes();
  preview::PreviewScene scene = preview::ReadPreviewScene(*read.document, {});
  report.scenePeakKb = bench::PeakKilobytes();
  report.meshes = scene.meshes.size();
  report.instances = scene.instances.size();
  preview::RenderOptions options;
  options.width = 400;
  options.height = 300;
  std::vector<std::string> warnings;
  preview::Image image = preview::RenderScene(scene, options, warnings);
  report.ok = image.width == options.width;
  report.cpuSeconds = bench::CpuSeconds() - start;
  return report;
}

}  // namespace

int main() {
  std::printf("bench_preview_shared: a %d-vertex grid drawn at the top and in N frames\n",
              kSide * kSide);
  std::printf("  %8s %10s %7s %10s %10s %10s %10s %8s\n", "N", "file KB", "meshes", "instances",
              "read KB", "scene KB", "peak KB", "cpu s");
  std::vector<double> peaks, sizes;
  for (int references : {1, 100, 10000}) {
    int channel[2];
    if (pipe(channel) != 0) return 1;
    pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
      close(channel[0]);
      setenv("LP_NUM_THREADS", "0", 1);
      Report report = Run(references);
      bool sent = write(channel[1], &report, sizeof report) == sizeof report;
      _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    Report report;
    bool received = read(channel[0], &report, sizeof report) == sizeof report;
    close(channel[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!received || !report.ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "bench_preview_shared: the run with %d references failed\n", references);
      return 1;
    }
    long peak = bench::PeakKilobytes(usage);
    std::printf("  %8d %10zu %7zu %10zu %10ld %10ld %10ld %8.2f\n", references,
                report.fileBytes / 1024, report.meshes, report.instances, report.readPeakKb,
                report.scenePeakKb, peak, report.cpuSeconds);
    std::fflush(stdout);
    peaks.push_back(static_cast<double>(peak));
    sizes.push_back(static_cast<double>(report.fileBytes));
  }
  double exponent = bench::GrowthExponent(peaks.front(), peaks.back(), sizes.front(), sizes.back());
  bool linear = exponent <= kLinearExponentLimit;
  std::printf(
      "  peak memory growth exponent in the file size, 1 to 10k references: %.2f "
      "(limit %.2f): %s\n",
      exponent, kLinearExponentLimit, linear ? "linear" : "GROWS FASTER THAN THE FILE");
  return linear ? 0 : 1;
}
