// ruvx: the stand-alone host through which people run the exporter on this platform.
#include <malloc.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "commands.h"
#include "exit_status.h"

namespace {

constexpr const char* kHugePagesTunable = "glibc.malloc.hugetlb=1";

// An export or conversion of a large model touches a few hundred megabytes once each, and taking
// them 4 KiB at a time is a third of its time in page faults. The C library maps its large blocks
// in transparent huge pages when told so by GLIBC_TUNABLES, which it reads only as the process
// starts: these commands start once more with the tunable added (the other commands, and a process
// that already has it, go on as they are). If the new start fails, the command runs as it is.
void StartWithHugePages(char** argv) {
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

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "export") == 0 || std::strcmp(argv[1], "convert") == 0))
    StartWithHugePages(argv);
  // Large blocks (a model's buffers, a mesh's arrays) each in mappings of their own, returned to
  // the system when freed: the C library would otherwise raise this threshold as they are freed and
  // keep later ones in its heap, where an export's freed arrays still count against its peak.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  CLI::App app{"ruvx: runs the ruv .x exporter on scene files, and reads .x files"};
  app.require_subcommand(1);
  app.set_version_flag("--version", [] { return ruvx::VersionText(); });
  int exitStatus = 0;
  ruvx::AddExportCommand(app, exitStatus);
  ruvx::AddDemoCommand(app, exitStatus);
  ruvx::AddOptionsCommand(app, exitStatus);
  ruvx::AddDumpCommand(app, exitStatus);
  ruvx::AddConvertCommand(app, exitStatus);
  ruvx::AddPreviewCommand(app, exitStatus);
  ruvx::AddBatchCommand(app, exitStatus);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help and version requests end well; every other command-line fault is a usage error.
    return app.exit(error) == 0 ? 0 : ruvx::kExitUsage;
  } catch (const std::bad_alloc&) {
    // Files are written whole or not at all, so the command leaves no half-written file behind.
    std::fputs("ruvx: out of memory\n", stderr);
    return ruvx::kExitNothingWritten;
  }
  return exitStatus;
}
