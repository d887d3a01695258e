// Node naming when many nodes share one name: each later node gets one more '_', so the names
// themselves grow with the count; the search for them must stay linear in their total length.
//
//   bench_naming      2,000 .. 16,000 nodes named "Box"
//
// Exits 1 when 8,000 equal names take a second or more.
#include <cstdio>
#include <ctime>
#include <string>

#include "ruv/scene/node_naming.h"

namespace {

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Seconds to name `count` nodes "Box", and the total length of the names made.
double NamingSeconds(int count, std::size_t& totalLength) {
  NodeNamer namer;
  totalLength = 0;
  double start = CpuSeconds();
  for (int i = 0; i < count; ++i) {
    std::wstring name = namer.Name(L"Box", false);
    totalLength += name.size();
    namer.Take(name);
  }
  return CpuSeconds() - start;
}

}  // namespace

int main() {
  std::printf("bench_naming: nodes all named \"Box\" (processor time)\n%8s %14s %10s %14s\n",
              "nodes", "name chars", "seconds", "Mchars/s");
  bool ok = true;
  for (int count : {2000, 4000, 8000, 16000}) {
    std::size_t length = 0;
    double seconds = NamingSeconds(count, length);
    std::printf("%8d %14zu %10.3f %14.1f\n", count, length, seconds,
                static_cast<double>(length) / seconds / 1e6);
    if (count == 8000 && seconds >= 1.0) ok = false;
  }
  std::printf("%s\n",
              ok ? "8,000 equal names under 1 s" : "8,000 equal names took 1 s or more: FAILED");
  return ok ? 0 : 1;
}
