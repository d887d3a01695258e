// `ruvx convert IN.x OUT.x --format text|binary|compressed`: re-encodes a file through the reader
// and the writer, so every object is checked as the exporter's are.
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "commands.h"
#include "exit_status.h"
#include "xof/document_writer.h"
#include "xof/file_reader.h"

namespace ruvx {

void AddConvertCommand(CLI::App& app, int& exitStatus) {
  struct Arguments {
    std::string input;
    std::string output;
    xof::FileFormat format = xof::FileFormat::Binary;
  };
  auto arguments = std::make_shared<Arguments>();
  CLI::App* command =
      app.add_subcommand("convert", "Re-encode a .x file as text, binary or compressed");
  command->add_option("input", arguments->input, "the .x file to read")->required();
  command->add_option("output", arguments->output, "the .x file to write (replaced whole)")
      ->required();
  const std::map<std::string, xof::FileFormat> formats = {
      {"text", xof::FileFormat::Text},
      {"binary", xof::FileFormat::Binary},
      {"compressed", xof::FileFormat::Compressed}};
  command->add_option("--format", arguments->format, "encoding of the output")
      ->required()
      ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case));
  command->callback([&exitStatus, arguments] {
    // The save scans every block as it takes it, so the reader's own scan would be done twice.
    xof::ReadOptions options;
    options.segments = false;
    xof::ReadResult result = xof::ReadXFileAt(arguments->input, options);
    if (!result.ok()) {
      std::cerr << "ruvx convert: " << arguments->input << ": " << result.Describe() << '\n';
      exitStatus = kExitBadInput;
      return;
    }
    std::string error;
    if (!xof::WriteDocumentToFile(std::move(*result.document), arguments->format, arguments->output,
                                  error)) {
      std::cerr << "ruvx convert: " << arguments->output << ": " << error << '\n';
      exitStatus = kExitWriteFailed;
      return;
    }
    exitStatus = kExitSuccess;
  });
}

}  // namespace ruvx
