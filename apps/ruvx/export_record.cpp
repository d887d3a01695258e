#include "export_record.h"

#include <sys/resource.h>

#include <sstream>

namespace ruvx {

StreamCopy::StreamCopy(std::ostream& stream) : stream_(stream), original_(stream.rdbuf(this)) {}

StreamCopy::~StreamCopy() { stream_.rdbuf(original_); }

int StreamCopy::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  text_.push_back(static_cast<char>(c));
  return original_->sputc(static_cast<char>(c));
}

std::streamsize StreamCopy::xsputn(const char* s, std::streamsize n) {
  text_.append(s, static_cast<std::size_t>(n));
  return original_->sputn(s, n);
}

int StreamCopy::sync() { return original_->pubsync(); }

std::vector<std::string> StreamCopy::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(text_);
  for (std::string line; std::getline(in, line);) {
    // A progress bar redraws its line after '\r': only what stands after the last one stays.
    if (std::size_t cr = line.rfind('\r'); cr != std::string::npos) line.erase(0, cr + 1);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

ExportRecorder::ExportRecorder(std::filesystem::path recordPath, const std::string& input,
                               const std::string& output)
    : path_(std::move(recordPath)), start_(std::chrono::steady_clock::now()) {
  record_.input = input;
  record_.output = output;
  record_.reason = "the export did not finish (it was ended or crashed)";
}

std::optional<std::string> ExportRecorder::Start() {
  if (auto problem = WriteRecordFile(path_, record_)) return problem;
  errors_ = std::make_unique<StreamCopy>(std::cerr);
  return std::nullopt;
}

std::optional<std::string> ExportRecorder::Finish(int exitStatus, const std::string& reason) {
  record_.exitStatus = exitStatus;
  record_.status = StatusOfExit(exitStatus);
  record_.warnings = errors_ ? errors_->Lines() : std::vector<std::string>();
  errors_.reset();
  if (!reason.empty()) {
    record_.reason = reason;
  } else if (record_.status == ModelStatus::kExported) {
    record_.reason.clear();
  } else {
    // The export's last word on standard error says why; a line that only points at the message
    // above it leaves the word to that message.
    record_.reason = "exit status " + std::to_string(exitStatus);
    for (auto line = record_.warnings.rbegin(); line != record_.warnings.rend(); ++line) {
      if (line->find("(see the message above)") == std::string::npos) {
        record_.reason = *line;
        break;
      }
    }
    // A message's indented detail line stands alone here.
    record_.reason.erase(0, record_.reason.find_first_not_of(' '));
    // The record names the model already: "ruvx: chair.obj: line 3: ..." says "line 3: ...".
    for (const std::string& prefix : {std::string("ruvx: "), record_.input + ": "}) {
      if (record_.reason.compare(0, prefix.size(), prefix) == 0)
        record_.reason.erase(0, prefix.size());
    }
  }
  if (record_.status == ModelStatus::kExported || record_.status == ModelStatus::kIncomplete) {
    record_.counts = CountOutput(record_.output);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  record_.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  record_.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  record_.peakKilobytes = usage.ru_maxrss;
  return WriteRecordFile(path_, record_);
}

}  // namespace ruvx
