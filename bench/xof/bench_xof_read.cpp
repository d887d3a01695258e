// Reading grid meshes of 10k to 1M faces in each encoding: throughput per size and the growth
// exponent of the time (1 is linear, 2 quadratic). Binary input is held to at least 100 MB/s.
// Times are the process's CPU time, best of several runs: the machine may be shared.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "xof/file_reader.h"
#include "xof/save_object.h"
#include "xof/template_ids.h"
#include "xof/template_sets.h"

namespace {

template <class T>
void Put(std::vector<std::uint8_t>& out, T value) {
  auto p = reinterpret_cast<const std::uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof(T));
}

// A square grid of about `faces` triangles: the Mesh block and its MeshNormals block.
struct Grid {
  std::vector<std::uint8_t> mesh;
  std::vector<std::uint8_t> normals;
};

Grid MakeGrid(std::uint32_t faces) {
  auto side = static_cast<std::uint32_t>(std::sqrt(faces / 2.0));
  std::uint32_t vertices = (side + 1) * (side + 1);
  std::uint32_t triangles = 2 * side * side;
  Grid grid;
  for (std::vector<std::uint8_t>* block : {&grid.mesh, &grid.normals}) {
    bool normals = block == &grid.normals;
    Put(*block, vertices);
    for (std::uint32_t v = 0; v < vertices; ++v) {
      Put(*block, normals ? 0.0f : static_cast<float>(v % (side + 1)) * 0.01f);
      Put(*block, normals ? 0.0f : static_cast<float>(v / (side + 1)) * 0.01f);
      Put(*block, normals ? 1.0f : 0.5f * static_cast<float>(v % 3));
    }
    Put(*block, triangles);
    for (std::uint32_t f = 0; f < triangles; ++f) {
      std::uint32_t cell = f / 2, row = cell / side, column = cell % side;
      std::uint32_t base = row * (side + 1) + column;
      Put(*block, 3u);
      Put(*block, base);
      Put(*block, f % 2 ? base + side + 2 : base + 1);
      Put(*block, f % 2 ? base + side + 1 : base + side + 2);
    }
  }
  return grid;
}

std::string Encode(xof::XFile& file, const Grid& grid, DWORD format) {
  xof::SaveObject* save = nullptr;
  file.CreateMemorySaveObject(format, &save);
  xof::SaveData* frame = nullptr;
  xof::SaveData* mesh = nullptr;
  save->AddDataObject(xof::tid::Frame, "Grid", nullptr, 0, nullptr, &frame);
  frame->AddDataObject(xof::tid::Mesh, "Grid", nullptr, grid.mesh.size(), grid.mesh.data(), &mesh);
  mesh->AddDataObject(xof::tid::MeshNormals, "", nullptr, grid.normals.size(), grid.normals.data(),
                      nullptr);
  mesh->Release();
  frame->Release();
  save->Save();
  std::string bytes = save->savedBytes();
  save->Release();
  return bytes;
}

double BestReadSeconds(const std::string& bytes, int turns) {
  double best = 1e30;
  for (int i = 0; i < turns; ++i) {
    double start = bench::CpuSeconds();
    xof::ReadResult result = xof::ReadXFile(bytes);
    double seconds = bench::CpuSeconds() - start;
    if (!result.ok()) {
      std::fprintf(stderr, "bench_xof_read: %s\n", result.Describe().c_str());
      return 0;
    }
    best = std::min(best, seconds);
  }
  return best;
}

}  // namespace

int main() {
  xof::XFile* file = nullptr;
  xof::XFile::Create(&file);
  for (std::string_view set :
       {xof::StandardTemplateSet(), xof::SkinningTemplateSet(), xof::VertexDataTemplateSet()}) {
    file->RegisterTemplates(set.data(), set.size());
  }
  const std::vector<std::uint32_t> sizes = {10000, 31623, 100000, 316228, 1000000};
  const struct {
    const char* name;
    DWORD format;
  } encodings[] = {{"binary", xof::kFileFormatBinary},
                   {"text", xof::kFileFormatText},
                   {"compressed", xof::kFileFormatCompressed}};

  std::printf("bench_xof_read: reading a grid mesh with normals (best runs)\n");
  double binaryMegabytesPerSecond = 0;
  for (const auto& encoding : encodings) {
    std::vector<double> seconds;
    for (std::uint32_t faces : sizes) {
      std::string bytes = Encode(*file, MakeGrid(faces), encoding.format);
      double best = BestReadSeconds(bytes, faces >= 300000 ? 2 : 5);
      seconds.push_back(best);
      double megabytes = static_cast<double>(bytes.size()) / 1e6;
      std::printf("  %-10s %8u faces %8.2f MB %9.1f ms %7.0f MB/s\n", encoding.name, faces,
                  megabytes, best * 1e3, megabytes / best);
      if (encoding.format == xof::kFileFormatBinary) binaryMegabytesPerSecond = megabytes / best;
    }
    double exponent =
        bench::GrowthExponent(seconds.front(), seconds.back(), sizes.front(), sizes.back());
    std::printf("  %-10s growth exponent %.2f (1 is linear)\n", encoding.name, exponent);
  }
  std::printf("  binary at 1M faces: %.0f MB/s (target >= 100)\n", binaryMegabytesPerSecond);
  file->Release();
  return 0;
}
