// The library entry points the host looks up in ruv.dle; only these leave the module.
#include "host/plugin_classes.h"
#include "platform/module_instance.h"
#include "ruv/plugin/export_driver.h"
#include "ruv/plugin/ruv_exp.h"

namespace {
platform::ModuleInstance gThisModule("ruv.dle");

// Start-up: the loader runs this once when the module is mapped, as the system's attach
// notification does for the real module.
__attribute__((constructor)) void OnModuleAttach() { SetModuleInstance(&gThisModule); }
}  // namespace

extern "C" {

const wchar_t* LibDescription() { return L"Kavo DirectX Exporter"; }

int LibNumberClasses() { return 1; }

ClassDesc* LibClassDesc(int i) { return i == 0 ? GetRuvExpClassDesc() : nullptr; }

// Host release 21000 in the high 16 bits, API number 52 in bits 8-15, SDK revision 0.
unsigned long LibVersion() { return 0x52083400UL; }

}  // extern "C"
