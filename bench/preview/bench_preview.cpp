// `ruvx preview` on a 1M-triangle binary file (a torus with normals and texture coordinates), at
// the default 800x600 with OSMesa's software rasteriser: reading, building the scene, drawing
// and writing the PNG, each timed, against the 2-second budget for the whole.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "preview/renderer.h"
#include "preview/scene_reader.h"
#include "xof/file_reader.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"
#include "xof/template_sets.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kSide = 709;  // 2 x 708 x 708 = 1,002,528 triangles
constexpr double kBudgetSeconds = 2.0;

template <class T>
void Put(std::vector<std::uint8_t>& out, T value) {
  auto p = reinterpret_cast<const std::uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof(T));
}

// Positions (or, with `normals`, unit normals) of a torus sampled on a kSide x kSide grid, and
// its faces, clockwise seen from outside.
std::vector<std::uint8_t> TorusBlock(bool normals) {
  std::vector<std::uint8_t> block;
  const double pi = 3.14159265358979;
  Put(block, kSide * kSide);
  for (std::uint32_t i = 0; i < kSide; ++i) {
    double u = 2 * pi * i / (kSide - 1);
    for (std::uint32_t j = 0; j < kSide; ++j) {
      double v = 2 * pi * j / (kSide - 1);
      double r = normals ? 0 : 2.0, s = normals ? 1.0 : 0.7;
      Put(block, static_cast<float>((r + s * std::cos(v)) * std::cos(u)));
      Put(block, static_cast<float>(s * std::sin(v)));
      Put(block, static_cast<float>((r + s * std::cos(v)) * std::sin(u)));
    }
  }
  Put(block, 2 * (kSide - 1) * (kSide - 1));
  for (std::uint32_t i = 0; i + 1 < kSide; ++i) {
    for (std::uint32_t j = 0; j + 1 < kSide; ++j) {
      std::uint32_t a = i * kSide + j, b = a + 1, c = a + kSide, d = c + 1;
      for (std::uint32_t index : {3u, a, c, b, 3u, b, c, d}) Put(block, index);
    }
  }
  return block;
}

std::vector<std::uint8_t> TexcoordBlock() {
  std::vector<std::uint8_t> block;
  Put(block, kSide * kSide);
  for (std::uint32_t i = 0; i < kSide; ++i) {
    for (std::uint32_t j = 0; j < kSide; ++j) {
      Put(block, static_cast<float>(i) / kSide);
      Put(block, static_cast<float>(j) / kSide);
    }
  }
  return block;
}

std::string BinaryFile() {
  xof::XFile* file = nullptr;
  xof::XFile::Create(&file);
  std::string_view standard = xof::StandardTemplateSet();
  file->RegisterTemplates(standard.data(), standard.size());
  xof::SaveObject* save = nullptr;
  file->CreateMemorySaveObject(xof::kFileFormatBinary, &save);
  std::vector<std::uint8_t> mesh = TorusBlock(false), normals = TorusBlock(true);
  std::vector<std::uint8_t> texcoords = TexcoordBlock();
  xof::SaveData* frame = nullptr;
  xof::SaveData* meshData = nullptr;
  save->AddDataObject(xof::tid::Frame, "Torus", nullptr, 0, nullptr, &frame);
  frame->AddDataObject(xof::tid::Mesh, "Torus", nullptr, mesh.size(), mesh.data(), &meshData);
  meshData->AddDataObject(xof::tid::MeshNormals, "", nullptr, normals.size(), normals.data(),
                          nullptr);
  meshData->AddDataObject(xof::tid::MeshTextureCoords, "", nullptr, texcoords.size(),
                          texcoords.data(), nullptr);
  meshData->Release();
  frame->Release();
  save->Save();
  std::string bytes = save->savedBytes();
  save->Release();
  file->Release();
  return bytes;
}

// Wall-clock and processor seconds (all threads) of one run. The machine is shared, so the wall
// clock alone also counts other people's work; the processor time is what this run costs.
struct Timing {
  double wall = 0, cpu = 0;
};

Timing Time(const std::function<void()>& run) {
  auto start = Clock::now();
  double cpuStart = bench::CpuSeconds();
  run();
  return {std::chrono::duration<double>(Clock::now() - start).count(),
          bench::CpuSeconds() - cpuStart};
}

}  // namespace

int main() {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench_preview_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::path input = folder / "torus.x", output = folder / "torus.png";
  {
    std::string bytes = BinaryFile();
    std::FILE* f = std::fopen(input.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  xof::ReadResult read;
  preview::PreviewScene scene;
  preview::Image image;
  std::vector<std::string> warnings;
  bool written = false;
  Timing readTime = Time([&] { read = xof::ReadXFileAt(input); });
  if (!read.ok()) {
    std::fprintf(stderr, "bench_preview: %s\n", read.Describe().c_str());
    return 1;
  }
  Timing sceneTime = Time([&] { scene = preview::ReadPreviewScene(*read.document, folder); });
  Timing drawTime = Time([&] { image = preview::RenderScene(scene, {}, warnings); });
  Timing writeTime = Time([&] { written = preview::WritePng(output, image); });
  Timing total{readTime.wall + sceneTime.wall + drawTime.wall + writeTime.wall,
               readTime.cpu + sceneTime.cpu + drawTime.cpu + writeTime.cpu};
  std::size_t triangles = scene.meshes.empty() ? 0 : scene.meshes[0].indices.size() / 3;
  std::printf("preview of %zu triangles (%.1f MB binary file) at %dx%d\n", triangles,
              std::filesystem::file_size(input) / 1e6, image.width, image.height);
  for (auto [name, timing] : {std::pair{"read", readTime}, std::pair{"scene", sceneTime},
                              std::pair{"draw", drawTime}, std::pair{"png", writeTime}}) {
    std::printf("  %-6s %6.3f s wall, %6.3f s processor\n", name, timing.wall, timing.cpu);
  }
  std::printf("  total  %6.3f s wall, %6.3f s processor (budget %.1f s): %s\n", total.wall,
              total.cpu, kBudgetSeconds, total.cpu < kBudgetSeconds && written ? "ok" : "TOO SLOW");
  std::filesystem::remove_all(folder);
  return 0;
}
