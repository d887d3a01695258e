// Sampling of node transforms into animation keys: 1,000 keyed nodes (chains of four, each node
// relative to its moving parent) over one clip of 10,000 samples, as separate scale, rotation and
// position keys and as matrix keys. Prints samples and keys per second before reduction, and
// checks that the time per sample does not grow with the clip's length. Then the whole binary
// export of the same scene in a process of its own: its peak memory against the file's size.
//
//   bench_animation           1,000 nodes x 10,000 samples
//   bench_animation --quick   100 nodes x 2,000 samples
//   bench_animation --peak [--quick]   only the export's peak memory over its output
//
// Exits 1 below 2M scale, rotation and position keys per second, when the time grows faster than
// linearly, or when the export's peak exceeds 1.5x its output.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/animation/animation_extraction.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"
#include "ruv/plugin/export_driver.h"

namespace {

constexpr int kTicksPerFrame = 160;
constexpr int kChainLength = 4;
constexpr double kKeysPerSecondTarget = 2e6;

sim::Point3KeyDescription PositionKey(int frame, const Point3& value) {
  sim::Point3KeyDescription key;
  key.time = frame * kTicksPerFrame;
  key.value = value;
  return key;
}

sim::RotationKeyDescription RotationKey(int frame, float angle) {
  sim::RotationKeyDescription key;
  key.time = frame * kTicksPerFrame;
  key.value = QFromAngAxis(angle, {0.3f, 0.5f, 0.8f});
  return key;
}

// Chains of kChainLength nodes; every node moves and turns through the whole clip, so that no key
// is a hold and reduction keeps them all. `configFolder`, when given, is the host's folder of
// plug-in settings, where an export finds its options file.
std::unique_ptr<sim::SimScene> MakeScene(int nodes, int frames,
                                         const std::wstring& configFolder = L"") {
  sim::SceneBuilder b;
  b.FrameRate(30).TicksPerFrame(kTicksPerFrame).AnimationFrames(0, frames);
  if (!configFolder.empty()) b.Folder(9, configFolder);
  for (int chain = 0; chain < nodes / kChainLength; ++chain) {
    sim::NodeBuilder* parent = &b.Root();
    for (int link = 0; link < kChainLength; ++link) {
      sim::NodeBuilder& node =
          parent->AddChild(L"N" + std::to_wstring(chain) + L"_" + std::to_wstring(link)).Dummy();
      float f = static_cast<float>(chain + link);
      node.PositionKeys({sim::KeyInterpolation::Tcb,
                         {PositionKey(0, {f, 0, 0}), PositionKey(frames / 2, {f, 10, 5}),
                          PositionKey(frames, {f, 0, 20})}});
      node.RotationKeys(
          {sim::KeyInterpolation::Linear, {RotationKey(0, 0.0f), RotationKey(frames, 3.0f)}});
      parent = &node;
    }
  }
  return b.Build();
}

// The export nodes of the scene's chains, parents before children.
std::vector<std::unique_ptr<XNode>> MirrorNodes(sim::SimScene& scene) {
  std::vector<std::unique_ptr<XNode>> nodes;
  for (int i = 0; i < scene.Root().NumberOfChildren(); ++i) {
    XNode* parent = nullptr;
    for (INode* host = scene.Root().GetChildNode(i); host; host = host->GetChildNode(0)) {
      auto node = std::make_unique<XNode>();
      node->hostNode = host;
      node->parent = parent;
      parent = node.get();
      nodes.push_back(std::move(node));
    }
  }
  return nodes;
}

struct Result {
  double seconds = 0;
  std::uint64_t samples = 0;
  std::uint64_t storedKeys = 0;
};

Result Run(int nodeCount, int frames, int keyType) {
  auto scene = MakeScene(nodeCount, frames);
  std::vector<std::unique_ptr<XNode>> nodes = MirrorNodes(*scene);
  gExportOptions.KeyType = keyType;
  gAnimationClips = {{L"Clip", 0, frames - 1}};
  ExportContext context;
  context.host = &scene->Host();
  context.ticksPerFrame = kTicksPerFrame;
  context.ticksPerSample = kTicksPerFrame;
  context.progressNextAt = 1e30f;  // no bar is open
  Result result;
  double start = bench::CpuSeconds();
  for (auto& node : nodes) {
    ExtractSampledAnimation(&context, node.get());
    result.storedKeys += node->tracks[0].KeyCount();
    node->tracks.clear();  // keep memory flat: the figure is the sampling, not the allocator's peak
  }
  result.seconds = bench::CpuSeconds() - start;
  result.samples = static_cast<std::uint64_t>(nodes.size()) * static_cast<std::uint64_t>(frames);
  return result;
}

constexpr double kTargetPeakOverOutput = 1.5;

// The whole export of the scene, binary, one clip over every frame: the memory it takes beyond the
// host scene (the peak resident size during the export less the resident size before it) against
// the size of the file written. Exits 1 when the export fails or the peak is over the target.
int ReportExportPeak(int nodeCount, int frames) {
  namespace fs = std::filesystem;
  fs::path folder =
      fs::temp_directory_path() / ("bench_animation_peak_" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "ruv_max_config.ini", std::ios::binary)
      << "[Option]\r\nXFileType=1\r\nDummy=1\r\nAnimation=1\r\nAnimationCount=1\r\n"
      << "Animation0_Name=Clip\r\nAnimation0_StartKey=0\r\nAnimation0_EndKey=" << frames - 1
      << "\r\n";
  auto scene = MakeScene(nodeCount, frames, platform::ToHostPath(folder));
  // Forget the high-water mark of building the scene (Linux 4.0 and later), so that the peak
  // read after the export is the export's own.
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
  long before = bench::ResidentKilobytes();
  fs::path output = folder / "keys.x";
  std::wstring hostOutput = platform::ToHostPath(output);
  double start = bench::CpuSeconds();
  XDoExport(hostOutput.c_str(), nullptr, &scene->Host(), TRUE, 0);
  double seconds = bench::CpuSeconds() - start;
  long peak = bench::PeakKilobytes();
  bool ok = scene->MainWindow().MessageBoxes().empty() && fs::exists(output);
  double outputMegabytes = ok ? static_cast<double>(fs::file_size(output)) / 1e6 : 0;
  fs::remove_all(folder);
  if (!ok) {
    std::printf("\nexport peak memory: the export failed\n");
    for (const auto& box : scene->MainWindow().MessageBoxes())
      std::printf("  %ls: %ls\n", box.caption.c_str(), box.text.c_str());
    return 1;
  }
  double exportMegabytes = static_cast<double>(peak - before) / 1e3;
  double ratio = exportMegabytes / outputMegabytes;
  std::printf(
      "\nexport peak memory (binary, %d nodes x %d frames, %.1f s processor time): host scene %.0f "
      "MB; the export adds %.0f MB at its peak for %.1f MB written: %.2f x the output (target <= "
      "%.1f): %s\n",
      nodeCount, frames, seconds, static_cast<double>(before) / 1e3, exportMegabytes,
      outputMegabytes, ratio, kTargetPeakOverOutput,
      ratio <= kTargetPeakOverOutput ? "met" : "NOT MET");
  return ratio <= kTargetPeakOverOutput ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false, peakOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else if (std::strcmp(argv[i], "--peak") == 0) {
      peakOnly = true;
    } else {
      std::fprintf(stderr, "usage: bench_animation [--quick] [--peak]\n");
      return 2;
    }
  }
  const int nodes = quick ? 100 : 1000;
  const int samples = quick ? 2000 : 10000;
  if (peakOnly) return ReportExportPeak(nodes, samples);
  gExportOptions = ExportOptions{};
  gExportOptions.Animation = 1;
  gExportOptions.KeyOptimizeLevel = 3;
  SetupConversion(1.0f, 0, 0.0f, 0.0f);

  std::printf("bench_animation: %d nodes in chains of %d, one clip; processor time\n\n", nodes,
              kChainLength);
  std::printf("%-10s %9s | %12s | %14s | %s\n", "keys", "samples", "samples/s", "keys/s",
              "stored after reduction");
  bool ok = true;
  for (int keyType : {1, 0}) {
    const char* kind = keyType ? "S, R, T" : "matrix";
    int keysPerSample = keyType ? 3 : 1;
    std::vector<double> perSample;
    for (int length : {samples / 4, samples}) {
      Result r = Run(nodes, length, keyType);
      double samplesPerSecond = static_cast<double>(r.samples) / r.seconds;
      std::printf("%-10s %9d | %12.0f | %14.0f | %llu\n", kind, length, samplesPerSecond,
                  samplesPerSecond * keysPerSample, static_cast<unsigned long long>(r.storedKeys));
      std::fflush(stdout);
      perSample.push_back(r.seconds / static_cast<double>(r.samples));
      // The target is for the default keys, scale, rotation and position; matrix keys are shown.
      if (length == samples && keyType)
        ok = ok && samplesPerSecond * keysPerSample >= kKeysPerSecondTarget;
    }
    // Four times the clip should cost four times the time: the per-sample time stays flat.
    double growth = perSample[1] / perSample[0];
    bool linear = growth < 1.5;
    std::printf("  per-sample time at 4x the clip length: x%.2f (%s)\n", growth,
                linear ? "linear" : "GROWS");
    ok = ok && linear;
  }
  std::printf("\ntarget: at least %.0fM keys per second before reduction: %s\n",
              kKeysPerSecondTarget / 1e6, ok ? "met" : "NOT MET");
  // A process of its own, so that the peak is not that of the runs above.
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::fflush(stdout);
  std::string command = "\"" + self.string() + "\" --peak" + (quick ? " --quick" : "");
  if (!error) ok = std::system(command.c_str()) == 0 && ok;
  return ok ? 0 : 1;
}
