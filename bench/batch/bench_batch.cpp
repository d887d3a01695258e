// `ruvx batch` against the same models exported one by one: 200 small models (Assimp's samples
// that export, smallest first, repeated when there are fewer), each first exported alone by
// `ruvx export`, then all of them by one `ruvx batch -j 2`. The batch should take less than the
// sum of the single exports divided by 1.8 on two cores; and its time should grow linearly with
// the number of models (50, 100, 200).
//
//   bench_batch [MODELS_FOLDER] [COUNT]   (default /usr/share/assimp/models, 200)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "bench_support.h"
#include "host/sim/import/model_formats.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRuvx = fs::path(RUV_BIN_DIR) / "ruvx";
constexpr std::uintmax_t kSmall = 100 * 1024;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs `command` through the shell; its exit status, and the wall time it took in `seconds`.
int Run(const std::string& command, double& seconds) {
  double start = Now();
  int status = std::system(command.c_str());
  seconds = Now() - start;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const fs::path& path) {
  std::string out = "'";
  for (char c : path.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The model with what lies beside it (material libraries, textures, buffers; small files only),
// copied into a folder of its own.
void CopyModel(const fs::path& model, const fs::path& folder,
               const std::set<std::string>& extensions) {
  fs::create_directories(folder);
  for (const auto& entry : fs::directory_iterator(model.parent_path())) {
    std::error_code error;
    if (!entry.is_regular_file(error) || entry.file_size(error) > 4 * kSmall) continue;
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    if (entry.path() != model && (extensions.count(extension) || extension == ".json")) continue;
    fs::copy_file(entry.path(), folder / entry.path().filename(), error);
  }
}

}  // namespace

int main(int argc, char** argv) {
  fs::path samples = argc > 1 ? argv[1] : "/usr/share/assimp/models";
  std::size_t count = argc > 2 ? std::stoul(argv[2]) : 200;
  if (!fs::is_directory(samples)) {
    std::printf("bench_batch: %s is not there (Debian assimp-testmodels)\n", samples.c_str());
    return 1;
  }
  std::vector<std::string> list = sim::import::ModelFileExtensions();
  std::set<std::string> extensions(list.begin(), list.end());
  std::vector<std::pair<std::uintmax_t, fs::path>> candidates;
  for (const auto& entry : fs::recursive_directory_iterator(samples)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    std::error_code error;
    if (!entry.is_regular_file(error) || !extensions.count(extension)) continue;
    if (entry.path().string().find("/invalid/") != std::string::npos) continue;
    std::uintmax_t size = entry.file_size(error);
    if (size <= kSmall) candidates.emplace_back(size, entry.path());
  }
  std::sort(candidates.begin(), candidates.end());

  fs::path work = fs::temp_directory_path() / ("bench-batch-" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work / "config");
  fs::create_directories(work / "single");
  const std::string config = " --config-dir " + Quote(work / "config");

  // Each candidate once alone, until `count` single exports wrote their file.
  struct Model {
    fs::path folder;
    fs::path file;
    double seconds;
    double cpuSeconds;
  };
  std::vector<Model> exported;
  std::size_t tried = 0;
  for (const auto& [size, path] : candidates) {
    if (exported.size() >= count) break;
    fs::path folder = work / "models" / std::to_string(tried++);
    CopyModel(path, folder, extensions);
    fs::path copy = folder / path.filename();
    double seconds = 0;
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    int status = Run("timeout 60 " + Quote(kRuvx) + " export " + Quote(copy) + " " +
                         Quote(work / "single" / (std::to_string(tried) + ".x")) + config +
                         " >/dev/null 2>&1",
                     seconds);
    getrusage(RUSAGE_CHILDREN, &after);
    if (status == 0 || status == 6) {
      exported.push_back({folder, copy, seconds,
                          bench::ProcessorSeconds(after) - bench::ProcessorSeconds(before)});
    } else {
      fs::remove_all(folder);
    }
  }
  if (exported.empty()) {
    std::printf("bench_batch: no sample exports\n");
    return 1;
  }
  std::size_t distinct = exported.size();
  // Fewer samples than asked export: they are taken again, in folders of their own.
  for (std::size_t i = 0; exported.size() < count; ++i) {
    Model again = exported[i % distinct];
    fs::path folder = work / "models" / ("again-" + std::to_string(i));
    fs::create_directories(folder.parent_path());
    fs::copy(again.folder, folder, fs::copy_options::recursive);
    exported.push_back({folder, folder / again.file.filename(), again.seconds, again.cpuSeconds});
  }

  std::printf(
      "bench_batch: %zu models (%zu distinct samples of %zu tried), %ld cores online, "
      "load %.2f\n",
      exported.size(), distinct, tried, sysconf(_SC_NPROCESSORS_ONLN), [] {
        double load[1] = {0};
        getloadavg(load, 1);
        return load[0];
      }());
  // Batches of the first n models, each in folders of its own; the last one is the comparison.
  double firstSeconds = 0, firstSize = 0;
  for (std::size_t n : {count / 4, count / 2, count}) {
    if (n == 0) continue;
    fs::path set = work / ("set-" + std::to_string(n));
    double singles = 0, singlesCpu = 0;
    fs::create_directories(set);
    for (std::size_t i = 0; i < n; ++i) {
      fs::copy(exported[i].folder, set / std::to_string(i), fs::copy_options::recursive);
      singles += exported[i].seconds;
      singlesCpu += exported[i].cpuSeconds;
    }
    double seconds = 0;
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    int status =
        Run(Quote(kRuvx) + " batch " + Quote(set) + " -o " +
                Quote(work / ("out-" + std::to_string(n))) + " -j 2" + config + " >/dev/null 2>&1",
            seconds);
    getrusage(RUSAGE_CHILDREN, &after);
    double cpu = bench::ProcessorSeconds(after) - bench::ProcessorSeconds(before);
    std::printf(
        "  %4zu models: single exports %6.2f s in all (processor %.2f s), batch -j 2 %6.2f s "
        "(processor %.2f s, status %d): %.2f times faster (target 1.8); cores used %.2f alone, "
        "%.2f in the batch",
        n, singles, singlesCpu, seconds, cpu, status, singles / seconds, singlesCpu / singles,
        cpu / seconds);
    if (firstSize > 0) {
      std::printf(", growth exponent %.2f",
                  bench::GrowthExponent(firstSeconds, seconds, firstSize, static_cast<double>(n)));
    } else {
      firstSeconds = seconds;
      firstSize = static_cast<double>(n);
    }
    std::printf("\n");
  }
  fs::remove_all(work);
  return 0;
}
