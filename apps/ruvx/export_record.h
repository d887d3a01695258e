// `ruvx export --record FILE`: the export's record (model_record.h), for batches and for jobs run
// on other machines. The record is written first as a failure, so that an export that never
// finishes (killed, crashed) still leaves one that says so, and replaced when the export ends.
#pragma once

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>

#include "model_record.h"

namespace ruvx {

// Copies what is written to a stream into a text kept aside, passing it on unchanged.
class StreamCopy : public std::streambuf {
 public:
  explicit StreamCopy(std::ostream& stream);
  ~StreamCopy() override;
  StreamCopy(const StreamCopy&) = delete;
  StreamCopy& operator=(const StreamCopy&) = delete;
  // The lines written so far, without the progress bar's redrawn ones.
  std::vector<std::string> Lines() const;

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::ostream& stream_;
  std::streambuf* original_;
  std::string text_;
};

class ExportRecorder {
 public:
  ExportRecorder(std::filesystem::path recordPath, const std::string& input,
                 const std::string& output);
  // Writes the first record; a message when it cannot be written (nothing is exported then).
  std::optional<std::string> Start();
  // Completes the record from the export's exit status; a message when it cannot be written.
  std::optional<std::string> Finish(int exitStatus, const std::string& reason = {});

 private:
  std::filesystem::path path_;
  ModelRecord record_;
  std::chrono::steady_clock::time_point start_;
  std::unique_ptr<StreamCopy> errors_;
};

}  // namespace ruvx
