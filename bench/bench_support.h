// What the benchmarks measure alike: processor time, resident and peak memory, and how a time
// grows with the size of the input.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace bench {

// This process's processor time so far, every thread's, in seconds.
inline double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The processor time, user and system, of what `usage` describes (a child from wait4).
inline double ProcessorSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6 +
         static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
}

// The highest resident size of what `usage` describes, in kilobytes.
inline long PeakKilobytes(const rusage& usage) { return usage.ru_maxrss; }

// This process's highest resident size so far, in kilobytes. It never goes down, so a stage's own
// peak shows only as growth over what came before it.
inline long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return PeakKilobytes(usage);
}

// This process's resident size now, in kilobytes; 0 when /proc cannot tell.
inline long ResidentKilobytes() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The exponent k of time ~ size^k between two runs: 1 is linear, 2 quadratic.
inline double GrowthExponent(double firstSeconds, double lastSeconds, double firstSize,
                             double lastSize) {
  return std::log(lastSeconds / firstSeconds) / std::log(lastSize / firstSize);
}

}  // namespace bench
