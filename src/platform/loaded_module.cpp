#include "platform/loaded_module.h"

#include <dlfcn.h>

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

}  // namespace platform
