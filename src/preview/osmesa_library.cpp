#include "preview/osmesa_library.h"

#include <dlfcn.h>

#include <string>

#include "preview/render_error.h"

namespace preview {

namespace {

constexpr const char* kLibraryNames[] = {"libOSMesa.so.8", "libOSMesa.so"};

struct Loaded {
  OsmesaLibrary library;
  std::string error;  // empty when every entry point was found
};

template <class Function>
bool Find(void* handle, Function& target, const char* name, std::string& error) {
  target = reinterpret_cast<Function>(dlsym(handle, name));
  if (!target && error.empty()) error = std::string("the off-screen OpenGL library lacks ") + name;
  return target != nullptr;
}

Loaded Load() {
  Loaded loaded;
  void* handle = nullptr;
  for (const char* name : kLibraryNames) {
    handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (handle) break;
  }
  if (!handle) {
    const char* why = dlerror();
    loaded.error = std::string("cannot load the off-screen OpenGL library (OSMesa)") +
                   (why ? std::string(": ") + why : std::string());
    return loaded;
  }
  // Kept open for the life of the process, as a linked library would be.
  OsmesaLibrary& l = loaded.library;
  std::string& e = loaded.error;
  Find(handle, l.CreateContextExt, "OSMesaCreateContextExt", e);
  Find(handle, l.MakeCurrent, "OSMesaMakeCurrent", e);
  Find(handle, l.DestroyContext, "OSMesaDestroyContext", e);
  Find(handle, l.PixelStore, "OSMesaPixelStore", e);
  Find(handle, l.GetIntegerv, "OSMesaGetIntegerv", e);
  Find(handle, l.GetProcAddress, "OSMesaGetProcAddress", e);
  return loaded;
}

}  // namespace

const OsmesaLibrary& Osmesa() {
  static const Loaded loaded = Load();
  if (!loaded.error.empty()) throw RenderError(loaded.error);
  return loaded.library;
}

}  // namespace preview
