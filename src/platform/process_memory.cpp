#include "platform/process_memory.h"

#include <malloc.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {

namespace {

constexpr const char* kHugePagesTunable = "glibc.malloc.hugetlb=1";

}  // namespace

// A large export or conversion touches a few hundred megabytes once each, and taking them 4 KiB
// at a time is a third of its time in page faults.
void RestartWithHugePages(char** argv) {
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables && std::strstr(tunables, "glibc.malloc.hugetlb")) return;
  std::string value = tunables && *tunables ? std::string(tunables) + ":" : std::string();
  value += kHugePagesTunable;
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
  // The file this process was started from (a tool that runs it under its own loader sets this to
  // the program, where /proc/self/exe would name the tool).
  const char* self = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
  if (self && *self) execv(self, argv);
  execv("/proc/self/exe", argv);
  if (tunables) {
    setenv("GLIBC_TUNABLES", tunables, 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
}

void MapLargeBlocksApart() { mallopt(M_MMAP_THRESHOLD, 256 * 1024); }

}  // namespace platform
