#include "ruv/plugin/ruv_exp.h"

#include "ruv/plugin/export_driver.h"
#include "ruv_version.h"

namespace {
HINSTANCE gModuleInstance = nullptr;
}  // namespace

int RuvExp::ExtCount() { return 1; }
const wchar_t* RuvExp::Ext(int n) { return n == 0 ? L"X" : L""; }
const wchar_t* RuvExp::LongDesc() {
  return L"Kavo DirectX Exporter Free v" RUV_VERSION " for 3ds Max";
}
const wchar_t* RuvExp::ShortDesc() { return L"Kavo DirectX Exporter Free v" RUV_VERSION; }
const wchar_t* RuvExp::AuthorName() { return L"Kavo"; }
const wchar_t* RuvExp::CopyrightMessage() { return L"Copyright (C) Kavo. All rights reserved."; }
const wchar_t* RuvExp::OtherMessage1() { return L""; }
const wchar_t* RuvExp::OtherMessage2() { return L""; }
unsigned int RuvExp::Version() { return 100; }
void RuvExp::ShowAbout(HWND) {}

int RuvExp::DoExport(const wchar_t* name, ExpInterface* exportInterface, Interface* host,
                     BOOL suppressPrompts, DWORD options) {
  return XDoExport(name, exportInterface, host, suppressPrompts, options);
}

// Every option is supported, so the host also offers exporting only the selected objects.
BOOL RuvExp::SupportsOptions(int, DWORD) { return 1; }

int RuvExpClassDesc::IsPublic() { return 1; }
void* RuvExpClassDesc::Create(BOOL) { return new RuvExp(); }
const wchar_t* RuvExpClassDesc::ClassName() { return L"ruv3dsmaxDemo"; }
SClass_ID RuvExpClassDesc::SuperClassID() { return SCENE_EXPORT_CLASS_ID; }
Class_ID RuvExpClassDesc::ClassID() { return Class_ID(0x5BA1356F, 0x7FA61CCC); }
const wchar_t* RuvExpClassDesc::Category() { return L"File Export"; }
const wchar_t* RuvExpClassDesc::InternalName() { return L"ruv3dsmaxDemo"; }
HINSTANCE RuvExpClassDesc::HInstance() { return gModuleInstance; }

RuvExpClassDesc* GetRuvExpClassDesc() {
  static RuvExpClassDesc descriptor;
  return &descriptor;
}

void SetModuleInstance(HINSTANCE instance) { gModuleInstance = instance; }
