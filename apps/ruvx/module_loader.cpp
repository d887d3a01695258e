#include "module_loader.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string_view>

namespace ruvx {
namespace {

template <typename Function>
Function FindEntry(void* handle, const char* name, const std::filesystem::path& path) {
  void* symbol = dlsym(handle, name);
  if (!symbol) {
    throw std::runtime_error(path.string() + ": not a plug-in module (no entry point " + name +
                             ")");
  }
  return reinterpret_cast<Function>(symbol);
}

bool HandlesExtension(SceneExport& exporter, const std::wstring& extension) {
  for (int i = 0; i < exporter.ExtCount(); ++i) {
    const wchar_t* ext = exporter.Ext(i);
    if (ext && extension == ext) return true;
  }
  return false;
}

}  // namespace

ExporterModule::~ExporterModule() {
  if (handle_) dlclose(handle_);
}

std::unique_ptr<ExporterModule> ExporterModule::Load(const std::filesystem::path& path,
                                                     const std::wstring& extension) {
  std::unique_ptr<ExporterModule> module(new ExporterModule());
  // A host keeps its plug-ins mapped until it exits; so do we, or what the libraries the module
  // brings in (Qt) hold in their globals would be left unreachable when the module is unmapped.
  module->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!module->handle_) {
    const char* reason = dlerror();
    throw std::runtime_error(path.string() +
                             ": cannot load the module: " + (reason ? reason : "unknown reason"));
  }
  auto description = FindEntry<LibDescriptionFunction>(module->handle_, "LibDescription", path);
  auto numberClasses =
      FindEntry<LibNumberClassesFunction>(module->handle_, "LibNumberClasses", path);
  auto classDesc = FindEntry<LibClassDescFunction>(module->handle_, "LibClassDesc", path);
  FindEntry<LibVersionFunction>(module->handle_, "LibVersion", path);
  module->description_ = description();

  for (int i = 0; i < numberClasses(); ++i) {
    ClassDesc* desc = classDesc(i);
    if (!desc || !desc->IsPublic() || desc->SuperClassID() != SCENE_EXPORT_CLASS_ID) continue;
    std::unique_ptr<SceneExport> probe(static_cast<SceneExport*>(desc->Create(FALSE)));
    if (probe && HandlesExtension(*probe, extension)) {
      module->classDesc_ = desc;
      return module;
    }
  }
  throw std::runtime_error(path.string() + ": the module holds no scene exporter for \"" +
                           std::string(extension.begin(), extension.end()) + "\" files");
}

std::unique_ptr<SceneExport> ExporterModule::CreateExporter() const {
  return std::unique_ptr<SceneExport>(static_cast<SceneExport*>(classDesc_->Create(FALSE)));
}

std::filesystem::path DefaultModulePath() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "ruv.dle";
  return self.parent_path() / "ruv.dle";
}

}  // namespace ruvx
