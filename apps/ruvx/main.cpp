// ruvx: the stand-alone host through which people run the exporter on this platform.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <new>

#include "commands.h"
#include "exit_status.h"
#include "platform/process_memory.h"

int main(int argc, char** argv) {
  // Only the commands that handle large models start again (the rest go on as they are).
  if (argc > 1 && (std::strcmp(argv[1], "export") == 0 || std::strcmp(argv[1], "convert") == 0))
    platform::RestartWithHugePages(argv);
  platform::MapLargeBlocksApart();
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
