// Modules already loaded in the process, and the functions they export by name.
#pragma once

namespace platform {

// The module of that file name if the process has already loaded it (it is never loaded here);
// null otherwise. Stands in for GetModuleHandleW.
void* FindLoadedModule(const char* fileName);

// The function `module` exports under `name`, or null. Stands in for GetProcAddress.
void* FindModuleFunction(void* module, const char* name);

}  // namespace platform
