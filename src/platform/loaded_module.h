// Modules loaded in the process, and the functions they export by name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The module of that file name if the process has already loaded it (it is never loaded here);
// null otherwise. Stands in for GetModuleHandleW.
void* FindLoadedModule(const char* fileName);

// The function `module` exports under `name`, or null. Stands in for GetProcAddress.
void* FindModuleFunction(void* module, const char* name);

// The file of the loaded module (the executable or a shared library) that holds `address`, as the
// process named it when it loaded it; empty when no module holds it. Stands in for
// GetModuleFileNameW.
std::filesystem::path ModuleFileOf(const void* address);

// Loads the module `fileName` from the folder of the module that holds `address` (pass one of the
// caller's own objects: its module's neighbour is loaded, whichever program the caller is linked
// into). It stays loaded for the life of the process, as the libraries it brings keep state in
// their globals. Null, with `problem` naming the file and the loader's reason, when it cannot be
// loaded. Stands in for LoadLibraryW.
void* LoadModuleBeside(const void* address, const char* fileName, std::string& problem);

// A module's table of calls, or why there is none.
template <class Calls>
struct ModuleCalls {
  const Calls* calls = nullptr;
  std::string problem;  // why calls is null
};

// The table of calls a module beside the caller gives through its one exported function `entry`
// (LoadModuleBeside, then that function). The table's first member, `version`, names the release
// the module was built for: one of another release is refused, as the types its calls take may
// differ. No calls, and the problem saying why, when the module cannot be loaded, exports no
// `entry` or is of another release.
template <class Calls>
ModuleCalls<Calls> LoadModuleCalls(const void* address, const char* fileName, const char* entry,
                                   std::string_view release) {
  ModuleCalls<Calls> loaded;
  void* module = LoadModuleBeside(address, fileName, loaded.problem);
  if (!module) return loaded;
  using Entry = const Calls* (*)();
  auto function = reinterpret_cast<Entry>(FindModuleFunction(module, entry));
  const Calls* calls = function ? function() : nullptr;
  if (!calls) {
    loaded.problem = std::string(fileName) + " is not a module of this program: it has no " + entry;
  } else if (std::string_view(calls->version) != release) {
    loaded.problem = std::string(fileName) + " is of release " + calls->version + ", not " +
                     std::string(release);
  } else {
    loaded.calls = calls;
  }
  return loaded;
}

}  // namespace platform
