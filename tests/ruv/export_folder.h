// An export through XDoExport into a fresh temporary folder that also holds the options file, read
// back with our reader.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/core/refused_records.h"
#include "ruv/plugin/export_driver.h"
#include "xof/file_reader.h"

namespace {

class ExportFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("ruv-export-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    builder_.Folder(9, platform::ToHostPath(folder_));
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void Options(const std::string& lines) {
    std::ofstream(folder_ / "ruv_max_config.ini", std::ios::binary) << "[Option]\r\nXFileType=0\r\n"
                                                                    << lines;
  }

  std::unique_ptr<xof::XFileDocument> Export(sim::SimScene& scene) {
    std::wstring output = platform::ToHostPath(folder_ / "out.x");
    XDoExport(output.c_str(), nullptr, &scene.Host(), TRUE, 0);
    xof::ReadResult result = xof::ReadXFileAt(folder_ / "out.x");
    EXPECT_TRUE(result.ok()) << result.Describe();
    return std::move(result.document);
  }

  // The text of the one incomplete-file message, or empty.
  static std::wstring IncompleteMessage(sim::SimScene& scene) {
    std::wstring text;
    for (const auto& box : scene.MainWindow().MessageBoxes()) {
      if (box.caption == kIncompleteCaption) text += box.text;
    }
    return text;
  }

  std::filesystem::path folder_;
  sim::SceneBuilder builder_;
};

const xof::DataObject* FindNamed(const xof::DataObject& object, const std::string& name) {
  if (object.name == name) return &object;
  for (const auto& child : object.children) {
    if (child.object) {
      if (const xof::DataObject* found = FindNamed(*child.object, name)) return found;
    }
  }
  return nullptr;
}

const xof::DataObject* FindNamed(const xof::XFileDocument& document, const std::string& name) {
  for (const auto& object : document.objects) {
    if (const xof::DataObject* found = FindNamed(*object, name)) return found;
  }
  return nullptr;
}

}  // namespace
