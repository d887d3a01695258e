// The scene reader on a fan whose every face has a normal of its own: the centre vertex comes
// with as many normals as there are faces, and each is a copy of it. Prints the processor time of
// ReadPreviewScene from 10k to 1M faces and its growth exponent (1 is linear, 2 quadratic).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "preview/scene_reader.h"
#include "xof/file_reader.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"
#include "xof/template_sets.h"

namespace {

// Per-face time may rise a little as the mesh outgrows the caches; quadratic work shows near 2.
constexpr double kLinearExponentLimit = 1.1;

template <class T>
void Put(std::vector<std::uint8_t>& out, T value) {
  auto p = reinterpret_cast<const std::uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof(T));
}

// A binary file: `faces` triangles around vertex 0 on a circle of faces + 1 rim vertices, each face
// with its own normal on all three corners.
std::string FanFile(std::uint32_t faces) {
  std::vector<std::uint8_t> mesh, normals;
  Put(mesh, faces + 2);
  for (float v : {0.0f, 0.0f, 0.0f}) Put(mesh, v);
  for (std::uint32_t i = 0; i <= faces; ++i) {
    double a = 6.283185307179586 * i / (faces + 1);
    Put(mesh, static_cast<float>(std::cos(a)));
    Put(mesh, static_cast<float>(std::sin(a)));
    Put(mesh, 0.0f);
  }
  Put(mesh, faces);
  for (std::uint32_t i = 0; i < faces; ++i) {
    for (std::uint32_t index : {3u, 0u, i + 2, i + 1}) Put(mesh, index);
  }
  Put(normals, faces);
  for (std::uint32_t i = 0; i < faces; ++i) {
    double a = 1.0 * i / faces;
    for (float v : {static_cast<float>(std::sin(a)), 0.0f, static_cast<float>(-std::cos(a))}) {
      Put(normals, v);
    }
  }
  Put(normals, faces);
  for (std::uint32_t i = 0; i < faces; ++i) {
    for (std::uint32_t index : {3u, i, i, i}) Put(normals, index);
  }
  xof::XFile* file = nullptr;
  xof::XFile::Create(&file);
  std::string_view standard = xof::StandardTemplateSet();
  file->RegisterTemplates(standard.data(), standard.size());
  xof::SaveObject* save = nullptr;
  file->CreateMemorySaveObject(xof::kFileFormatBinary, &save);
  xof::SaveData* meshData = nullptr;
  save->AddDataObject(xof::tid::Mesh, "Fan", nullptr, mesh.size(), mesh.data(), &meshData);
  meshData->AddDataObject(xof::tid::MeshNormals, "", nullptr, normals.size(), normals.data(),
                          nullptr);
  meshData->Release();
  save->Save();
  std::string bytes = save->savedBytes();
  save->Release();
  file->Release();
  return bytes;
}

}  // namespace

int main() {
  std::printf("bench_preview_normals: scene reader on a fan, one normal per face\n");
  std::printf("  %10s %10s %10s %12s\n", "faces", "vertices", "ms", "Mfaces/s");
  std::vector<double> seconds;
  std::vector<double> sizes;
  for (std::uint32_t faces : {10000u, 100000u, 1000000u}) {
    xof::ReadResult read = xof::ReadXFile(FanFile(faces));
    if (!read.ok()) {
      std::fprintf(stderr, "bench_preview_normals: %s\n", read.Describe().c_str());
      return 1;
    }
    // The best of a few runs: the machine is shared, the fastest run is the least disturbed.
    double best = 1e30;
    std::size_t vertices = 0;
    for (int run = 0; run < (faces >= 1000000 ? 3 : 5); ++run) {
      double start = bench::CpuSeconds();
      preview::PreviewScene scene = preview::ReadPreviewScene(*read.document, {});
      best = std::min(best, bench::CpuSeconds() - start);
      vertices = scene.meshes.empty() ? 0 : scene.meshes[0].positions.size();
    }
    std::printf("  %10u %10zu %10.1f %12.2f\n", faces, vertices, best * 1e3, faces / best / 1e6);
    seconds.push_back(best);
    sizes.push_back(faces);
  }
  double exponent =
      bench::GrowthExponent(seconds.front(), seconds.back(), sizes.front(), sizes.back());
  bool linear = exponent <= kLinearExponentLimit;
  std::printf("  growth exponent, 10k to 1M faces: %.2f (1 is linear, limit %.2f): %s\n", exponent,
              kLinearExponentLimit, linear ? "linear" : "GROWS FASTER THAN LINEAR");
  return linear ? 0 : 1;
}
