// Mesa's off-screen library, opened on first use rather than linked: it brings a compiler
// back end whose start-up relocations alone hold tens of megabytes, which every ruvx command
// would otherwise carry, exports of large models included.
#pragma once

#include <GL/osmesa.h>

namespace preview {

struct OsmesaLibrary {
  decltype(&::OSMesaCreateContextExt) CreateContextExt = nullptr;
  decltype(&::OSMesaMakeCurrent) MakeCurrent = nullptr;
  decltype(&::OSMesaDestroyContext) DestroyContext = nullptr;
  decltype(&::OSMesaPixelStore) PixelStore = nullptr;
  decltype(&::OSMesaGetIntegerv) GetIntegerv = nullptr;
  decltype(&::OSMesaGetProcAddress) GetProcAddress = nullptr;
};

// The library's entry points, opened once per process; throws RenderError naming what is missing.
const OsmesaLibrary& Osmesa();

}  // namespace preview
