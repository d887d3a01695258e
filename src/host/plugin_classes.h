// The host's plug-in protocol: class descriptors and the scene exporter interface.
#pragma once

#include "host/class_id.h"
#include "host/interface.h"
#include "platform/win_types.h"

// Options bit of SceneExport::DoExport: export only the selected nodes.
constexpr DWORD SCENE_EXPORT_SELECTED = 1;

// A scene exporter. The virtual functions are in the host's slot order.
class SceneExport {
 public:
  virtual ~SceneExport() = default;
  virtual int ExtCount() = 0;
  virtual const wchar_t* Ext(int n) = 0;
  virtual const wchar_t* LongDesc() = 0;
  virtual const wchar_t* ShortDesc() = 0;
  virtual const wchar_t* AuthorName() = 0;
  virtual const wchar_t* CopyrightMessage() = 0;
  virtual const wchar_t* OtherMessage1() = 0;
  virtual const wchar_t* OtherMessage2() = 0;
  virtual unsigned int Version() = 0;
  virtual void ShowAbout(HWND window) = 0;
  virtual int DoExport(const wchar_t* name, ExpInterface* exportInterface, Interface* host,
                       BOOL suppressPrompts = FALSE, DWORD options = 0) = 0;
  virtual BOOL SupportsOptions(int ext, DWORD options) {
    (void)ext;
    (void)options;
    return FALSE;
  }
};

// Describes one plug-in class to the host and creates its instances.
class ClassDesc {
 public:
  virtual ~ClassDesc() = default;
  virtual int IsPublic() = 0;
  virtual void* Create(BOOL loading = FALSE) = 0;
  virtual int BeginCreate() { return 0; }
  virtual int EndCreate() { return 0; }
  virtual BOOL OkToCreate() { return TRUE; }
  virtual const wchar_t* ClassName() = 0;
  virtual SClass_ID SuperClassID() = 0;
  virtual Class_ID ClassID() = 0;
  virtual const wchar_t* Category() = 0;
  virtual const wchar_t* InternalName() { return nullptr; }
  virtual HINSTANCE HInstance() { return nullptr; }
};

// The descriptor base of parameter-block-aware plug-ins; nothing the exporter needs beyond
// ClassDesc.
class ClassDesc2 : public ClassDesc {};

// Entry points of a plug-in module, as the host looks them up.
using LibDescriptionFunction = const wchar_t* (*)();
using LibNumberClassesFunction = int (*)();
using LibClassDescFunction = ClassDesc* (*)(int i);
using LibVersionFunction = unsigned long (*)();
