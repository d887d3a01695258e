// What a batch ends with: the summary on the terminal, and the report folder (`--report DIR`):
// report.json with every model's record and index.html, a page that needs no server or network.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model_record.h"

namespace ruvx {

struct BatchTotals {
  int models = 0;
  int byStatus[4] = {0, 0, 0, 0};  // indexed by ModelStatus
  double seconds = 0;              // the whole batch, wall clock
  int jobs = 1;
  bool interrupted = false;

  explicit BatchTotals(const std::vector<ModelRecord>& records);
  bool AllWhole() const { return byStatus[0] == models && !interrupted; }
};

// Counts, the slowest models, and the report's place when there is one.
void PrintSummary(std::ostream& out, const std::vector<ModelRecord>& records,
                  const BatchTotals& totals, const std::filesystem::path& report);

// Writes report.json and index.html into `folder` (made when missing), each whole. The records'
// previews are paths relative to `folder`. Returns a message naming what could not be written.
std::optional<std::string> WriteReport(const std::filesystem::path& folder,
                                       const std::vector<ModelRecord>& records,
                                       const BatchTotals& totals);

// The page alone, for tests.
std::string ReportPage(const std::vector<ModelRecord>& records, const BatchTotals& totals);

}  // namespace ruvx
