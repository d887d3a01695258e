// The host application as the exporter sees it.
#pragma once

#include "host/inode.h"
#include "host/time_value.h"
#include "platform/win_types.h"

// Host folder numbers the exporter asks for.
constexpr int APP_IMAGE_DIR = 7;
constexpr int APP_PLUGCFG_DIR = 9;
constexpr int APP_MAXDATA_DIR = 32;

// The progress callback the host runs beside the work; the exporter's does nothing.
using ProgressCallback = DWORD (*)(void* argument);

class Interface {
 public:
  virtual ~Interface() = default;

  virtual Interval GetAnimRange() = 0;
  virtual int GetTicksPerFrame() = 0;
  virtual int GetFrameRate() = 0;

  // The invisible root of the scene; its children are the top-level nodes.
  virtual INode* GetRootNode() = 0;
  // A host folder by number, in the host's path form ('\'-separated, usually no trailing '\').
  virtual const wchar_t* GetDir(int which) = 0;
  // The current scene file's full path; empty for a scene never saved.
  virtual const wchar_t* GetCurFilePath() = 0;
  // The main window: owner of every message box and dialog.
  virtual HWND GetMAXHWnd() = 0;

  virtual BOOL ProgressStart(const wchar_t* title, BOOL showBar, ProgressCallback callback,
                             void* argument) = 0;
  virtual void ProgressUpdate(int percent, BOOL showPercent = TRUE,
                              const wchar_t* title = nullptr) = 0;
  virtual void ProgressEnd() = 0;
};

// The export interface the host passes beside Interface; the exporter does not use it.
class ExpInterface {
 public:
  virtual ~ExpInterface() = default;
};
