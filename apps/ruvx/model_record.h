// The record of one model's export: what `ruvx export --record` writes and `ruvx batch` gathers
// into its report (README, "Batches"). Kept in JSON so that jobs run anywhere can be merged.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ruvx {

// How a model's export ended, from best to worst.
enum class ModelStatus { kExported, kIncomplete, kRefused, kFailed };

const char* StatusName(ModelStatus status);
std::optional<ModelStatus> StatusOfName(const std::string& name);
// The status of an export that ended with `exitStatus` (exit_status.h).
ModelStatus StatusOfExit(int exitStatus);

// What the written .x file holds.
struct OutputCounts {
  long frames = 0;
  long meshes = 0;
  long faces = 0;
  long bones = 0;
  long animationSets = 0;
  long texturesWritten = 0;
};

struct ModelRecord {
  std::string input;
  std::string output;
  ModelStatus status = ModelStatus::kFailed;
  int exitStatus = -1;
  // Why the model was not exported whole; empty when it was.
  std::string reason;
  // Every line the export printed on standard error: warnings, the exporter's messages, errors.
  std::vector<std::string> warnings;
  std::optional<OutputCounts> counts;
  double seconds = 0;
  double cpuSeconds = 0;
  long peakKilobytes = 0;
  // The preview picture, relative to the report's folder; empty when there is none.
  std::string preview;
};

// One line per message at most kMaxRecordLines; longer lists end with a line saying how many more.
constexpr std::size_t kMaxRecordLines = 200;

std::string RecordJson(const ModelRecord& record);
// Throws std::runtime_error naming what is wrong.
ModelRecord RecordOfJson(const std::string& text);

// Writes `record` to `path` whole (a new file renamed over the old one). Returns a message on
// failure.
std::optional<std::string> WriteRecordFile(const std::filesystem::path& path,
                                           const ModelRecord& record);
// Throws std::runtime_error naming the file and what is wrong.
ModelRecord ReadRecordFile(const std::filesystem::path& path);

// Counts what `xfile` holds; nothing when it cannot be read. Textures count as written when the
// file names them and they are there beside it.
std::optional<OutputCounts> CountOutput(const std::filesystem::path& xfile);

}  // namespace ruvx
