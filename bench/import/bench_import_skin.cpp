// Importing a skinned, animated glTF grid in-process, from 10k to 1M triangles: the plain grid
// and the same grid with a 16-joint skin (two weights per vertex) and one animation, so the skin's
// share shows, with the growth exponent between sizes (1 is linear).
//
//   bench_import_skin
//
// Exits 1 when an import fails, warns or brings the wrong number of clips.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "grid_gltf.h"
#include "host/sim/import/model_import.h"

namespace {

namespace fs = std::filesystem;

// Best processor time of `runs` imports of `model`; negative when the import fails, warns (a part
// of the model dropped) or brings other than `clips` clips.
double ImportSeconds(const fs::path& model, int runs, std::size_t clips) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    double start = bench::CpuSeconds();
    try {
      sim::import::ImportSettings settings{.imageFolder = model.parent_path()};
      sim::import::ImportedScene imported = sim::import::ImportModelFile(model, settings);
      for (const std::string& line : imported.warnings) std::fprintf(stderr, "%s\n", line.c_str());
      if (!imported.scene || !imported.warnings.empty() || imported.clips.size() != clips)
        return -1;
    } catch (const sim::SceneFileError& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return -1;
    }
    best = std::min(best, bench::CpuSeconds() - start);
  }
  return best;
}

}  // namespace

int main() {
  fs::path folder = fs::temp_directory_path() / ("bench_import_skin_" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::printf("bench_import_skin: glTF grid import (processor time, best of runs)\n");
  std::printf("%10s %12s %12s %12s %10s\n", "triangles", "plain s", "skinned s", "Mtri/s",
              "exponent");
  const bench::GridSkin skin;
  bool ok = true;
  double firstFaces = 0, firstSeconds = 0, lastFaces = 0, lastSeconds = 0;
  for (int n : {72, 225, 708}) {
    double faces = 2.0 * (n - 1) * (n - 1);
    int runs = n < 708 ? 5 : 2;
    double plain = ImportSeconds(bench::WriteGridGltf(folder, n), runs, 0);
    double skinned = ImportSeconds(bench::WriteGridGltf(folder, n, &skin), runs, 1);
    if (plain < 0 || skinned < 0) {
      ok = false;
      break;
    }
    char exponent[16] = "-";
    if (lastFaces > 0) {
      std::snprintf(exponent, sizeof exponent, "%.2f",
                    bench::GrowthExponent(lastSeconds, skinned, lastFaces, faces));
    }
    std::printf("%10.0f %12.3f %12.3f %12.2f %10s\n", faces, plain, skinned, faces / skinned / 1e6,
                exponent);
    if (firstFaces == 0) {
      firstFaces = faces;
      firstSeconds = skinned;
    }
    lastFaces = faces;
    lastSeconds = skinned;
  }
  if (ok) {
    std::printf("growth exponent of the skinned import, 10k to 1M: %.2f (1 is linear)\n",
                bench::GrowthExponent(firstSeconds, lastSeconds, firstFaces, lastFaces));
  } else {
    std::printf("skinned import FAILED\n");
  }
  fs::remove_all(folder);
  return ok ? 0 : 1;
}
