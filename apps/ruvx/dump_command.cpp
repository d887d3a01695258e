// `ruvx dump FILE.x [--json]`: the object tree of a .x file, for people or for scripts.
#include <iostream>
#include <memory>
#include <string>

#include "commands.h"
#include "exit_status.h"
#include "xof/document_printer.h"
#include "xof/file_reader.h"

namespace ruvx {

void AddDumpCommand(CLI::App& app, int& exitStatus) {
  struct Arguments {
    std::string file;
    bool json = false;
  };
  auto arguments = std::make_shared<Arguments>();
  CLI::App* command = app.add_subcommand("dump", "Print the object tree of a .x file");
  command->add_option("file", arguments->file, "the .x file (text, binary or compressed)")
      ->required();
  command->add_flag("--json", arguments->json, "print JSON instead of indented text");
  command->callback([&exitStatus, arguments] {
    xof::ReadResult result = xof::ReadXFileAt(arguments->file);
    if (!result.ok()) {
      std::cerr << "ruvx dump: " << arguments->file << ": " << result.Describe() << '\n';
      exitStatus = kExitBadInput;
      return;
    }
    if (arguments->json) {
      xof::PrintDocumentJson(*result.document, std::cout);
    } else {
      xof::PrintDocumentText(*result.document, std::cout);
    }
    exitStatus = kExitSuccess;
  });
}

}  // namespace ruvx
