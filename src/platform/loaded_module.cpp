#include "platform/loaded_module.h"

#include <dlfcn.h>
#include <link.h>

#include <system_error>

namespace platform {

void* FindLoadedModule(const char* fileName) {
  if (!fileName) return nullptr;
  void* module = dlopen(fileName, RTLD_LAZY | RTLD_NOLOAD);
  // The handle stays valid while the process holds the module; this lookup must not keep it.
  if (module) dlclose(module);
  return module;
}

void* FindModuleFunction(void* module, const char* name) {
  if (!module || !name) return nullptr;
  return dlsym(module, name);
}

std::filesystem::path ModuleFileOf(const void* address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (!address || dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
      !map) {
    return {};
  }
  // The executable's own entry has no name (dladdr would give argv[0], which need not be a path).
  if (map->l_name && *map->l_name) return map->l_name;
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self;
}

void* LoadModuleBeside(const void* address, const char* fileName, std::string& problem) {
  std::filesystem::path self = ModuleFileOf(address);
  if (self.empty()) {
    problem = std::string("cannot find the folder to load ") + fileName + " from";
    return nullptr;
  }
  // A relative name is taken from the working folder, as the loader took the caller's.
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(self, error).parent_path();
  std::filesystem::path path = (error ? self.parent_path() : folder) / fileName;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!module) {
    const char* said = dlerror();
    std::string reason = said ? said : "unknown reason";
    // The loader's reason mostly starts with the path, which the message names already.
    const std::string prefix = path.string() + ": ";
    if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
    problem = "cannot load " + path.string() + ": " + reason;
  }
  return module;
}

}  // namespace platform
