// Node and shared material naming when many share one name: each later one gets one more '_', so
// the names themselves grow with the count; the search for them must stay linear in their total
// length, and finding a material already entered must not scan the list.
//
//   bench_naming      2,000 .. 16,000 nodes named "Box", then as many materials named "Paint"
//
// Exits 1 when 8,000 equal names of either kind take a second or more.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "ruv/core/shared_materials.h"
#include "ruv/scene/node_naming.h"

namespace {

// Seconds to name `count` nodes "Box", and the total length of the names made.
double NamingSeconds(int count, std::size_t& totalLength) {
  NodeNamer namer;
  totalLength = 0;
  double start = bench::CpuSeconds();
  for (int i = 0; i < count; ++i) {
    std::wstring name = namer.Name(L"Box", false);
    totalLength += name.size();
    namer.Take(name);
  }
  return bench::CpuSeconds() - start;
}

// The same for `count` distinct host materials named "Paint" entered into the shared list, each
// looked up first as a node's material is.
double MaterialSeconds(int count, std::size_t& totalLength) {
  SharedMaterials shared;
  std::vector<int> sources(static_cast<std::size_t>(count));
  totalLength = 0;
  double start = bench::CpuSeconds();
  for (int i = 0; i < count; ++i) {
    auto record = std::make_unique<XMaterial>();
    record->source = &sources[static_cast<std::size_t>(i)];
    record->name = L"Paint";
    if (shared.Find(record->source, record->name) != shared.size()) return -1;
    record->sourceName = record->name;
    record->name = shared.FreeName(record->name);
    totalLength += record->name.size();
    shared.Add(std::move(record));
  }
  return bench::CpuSeconds() - start;
}

bool Report(const char* what, double (*run)(int, std::size_t&)) {
  std::printf("%8s %14s %10s %14s\n", what, "name chars", "seconds", "Mchars/s");
  bool ok = true;
  for (int count : {2000, 4000, 8000, 16000}) {
    std::size_t length = 0;
    double seconds = run(count, length);
    std::printf("%8d %14zu %10.3f %14.1f\n", count, length, seconds,
                static_cast<double>(length) / seconds / 1e6);
    if (count == 8000 && (seconds < 0 || seconds >= 1.0)) ok = false;
  }
  return ok;
}

}  // namespace

int main() {
  std::printf("bench_naming: equal names (processor time)\n");
  bool ok = Report("nodes", NamingSeconds);
  ok = Report("mtls", MaterialSeconds) && ok;
  std::printf("%s\n",
              ok ? "8,000 equal names under 1 s" : "8,000 equal names took 1 s or more: FAILED");
  return ok ? 0 : 1;
}
