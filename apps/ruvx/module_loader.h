// Loads an exporter module as the host does: by its library entry points.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/plugin_classes.h"

namespace ruvx {

using XDoExportFunction = int (*)(const wchar_t*, ExpInterface*, Interface*, BOOL, DWORD);

// A loaded module and the scene exporter class it holds for one file extension.
class ExporterModule {
 public:
  ~ExporterModule();
  ExporterModule(const ExporterModule&) = delete;
  ExporterModule& operator=(const ExporterModule&) = delete;

  // Loads `path` and finds, through LibNumberClasses and LibClassDesc, a public scene-export class
  // whose exporter handles `extension`. Throws std::runtime_error naming the module and the
  // problem.
  static std::unique_ptr<ExporterModule> Load(const std::filesystem::path& path,
                                              const std::wstring& extension);

  const wchar_t* Description() const { return description_; }
  ClassDesc* ExporterClass() const { return classDesc_; }
  // A new exporter object, owned by the caller.
  std::unique_ptr<SceneExport> CreateExporter() const;

 private:
  ExporterModule() = default;
  void* handle_ = nullptr;
  const wchar_t* description_ = L"";
  ClassDesc* classDesc_ = nullptr;
};

// ruv.dle beside the running executable.
std::filesystem::path DefaultModulePath();

}  // namespace ruvx
