// A scratch folder for options-file tests, and the process-wide options reset around each test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_system.h"
#include "platform/host_path.h"
#include "ruv/options/export_options.h"

class OptionsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-options-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    configPath_ = platform::ToHostPath(folder_ / "ruv_max_config.ini");
    gExportOptions = ExportOptions{};
    gAnimationClips.clear();
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Writes the options file: "[Option]" and the given lines, each ended by CR LF.
  void WriteOptionLines(const std::string& lines) {
    std::string bytes = "[Option]\r\n";
    for (std::size_t start = 0; start < lines.size();) {
      std::size_t end = lines.find('\n', start);
      if (end == std::string::npos) end = lines.size();
      bytes += lines.substr(start, end - start) + "\r\n";
      start = end + 1;
    }
    std::ofstream(folder_ / "ruv_max_config.ini", std::ios::binary) << bytes;
  }
  std::string FileBytes() {
    return platform::ReadWholeFile(folder_ / "ruv_max_config.ini").value_or("<no file>");
  }

  std::filesystem::path folder_;
  std::wstring configPath_;
};
