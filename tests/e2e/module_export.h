// Exports a scene through the built ruv.dle exactly as ruvx does, into a temporary folder that
// also holds the options file the export reads.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "host/sim/sim_scene.h"
#include "module_loader.h"
#include "platform/host_path.h"

inline const std::filesystem::path kModule = std::filesystem::path(RUV_BIN_DIR) / "ruv.dle";

class ModuleExport {
 public:
  // `options` are lines of the "Option" section, e.g. "XFileType=0\r\n".
  ModuleExport(const std::string& tag, const std::string& options)
      : folder_(std::filesystem::temp_directory_path() /
                ("ruv-e2e-" + tag + "-" + std::to_string(::getpid()))),
        module_(ruvx::ExporterModule::Load(kModule, L"X")) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / "ruv_max_config.ini") << "[Option]\r\n" << options;
  }
  ~ModuleExport() { std::filesystem::remove_all(folder_); }
  ModuleExport(const ModuleExport&) = delete;
  ModuleExport& operator=(const ModuleExport&) = delete;

  // Exports with prompts suppressed to `fileName` in the folder and returns its path.
  std::filesystem::path Export(sim::SimScene& scene, const std::string& fileName) {
    scene.Host().SetDir(9, platform::ToHostPath(folder_));
    std::filesystem::path output = folder_ / fileName;
    std::wstring hostOutput = platform::ToHostPath(output);
    module_->CreateExporter()->DoExport(hostOutput.c_str(), nullptr, &scene.Host(), TRUE, 0);
    return output;
  }

  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::unique_ptr<ruvx::ExporterModule> module_;
};
