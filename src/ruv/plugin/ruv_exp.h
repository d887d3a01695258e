// The exporter class and its class descriptor, as the host sees them.
#pragma once

#include "host/plugin_classes.h"

class RuvExpBase : public SceneExport {};

class RuvExp : public RuvExpBase {
 public:
  int ExtCount() override;
  const wchar_t* Ext(int n) override;
  const wchar_t* LongDesc() override;
  const wchar_t* ShortDesc() override;
  const wchar_t* AuthorName() override;
  const wchar_t* CopyrightMessage() override;
  const wchar_t* OtherMessage1() override;
  const wchar_t* OtherMessage2() override;
  unsigned int Version() override;
  void ShowAbout(HWND window) override;
  int DoExport(const wchar_t* name, ExpInterface* exportInterface, Interface* host,
               BOOL suppressPrompts, DWORD options) override;
  BOOL SupportsOptions(int ext, DWORD options) override;
};

class RuvExpClassDescBase : public ClassDesc2 {};

class RuvExpClassDesc : public RuvExpClassDescBase {
 public:
  int IsPublic() override;
  void* Create(BOOL loading) override;
  const wchar_t* ClassName() override;
  SClass_ID SuperClassID() override;
  Class_ID ClassID() override;
  const wchar_t* Category() override;
  const wchar_t* InternalName() override;
  HINSTANCE HInstance() override;
};

// The one class descriptor of the module.
RuvExpClassDesc* GetRuvExpClassDesc();

// The module instance handle, stored by the module's start-up.
void SetModuleInstance(HINSTANCE instance);
