// The host application in memory: the Interface the exporter talks to, answering from the scene's
// settings and recording what the exporter shows (progress, message boxes).
#pragma once

#include <string>

#include "host/interface.h"
#include "host/sim/sim_app_settings.h"
#include "host/sim/sim_main_window.h"
#include "host/sim/sim_node.h"
#include "host/sim/sim_progress.h"

namespace sim {

class SimInterface : public Interface {
 public:
  // `root` stays owned by the caller (the scene) and must outlive this interface.
  SimInterface(SimAppSettings settings, SimNode* root);

  // Interface
  Interval GetAnimRange() override { return settings_.animRange; }
  int GetTicksPerFrame() override { return settings_.ticksPerFrame; }
  int GetFrameRate() override { return settings_.frameRate; }
  INode* GetRootNode() override { return root_; }
  // An unknown folder number answers empty text, never null.
  const wchar_t* GetDir(int which) override;
  const wchar_t* GetCurFilePath() override { return settings_.sceneFilePath.c_str(); }
  HWND GetMAXHWnd() override { return &mainWindow_; }
  BOOL ProgressStart(const wchar_t* title, BOOL showBar, ProgressCallback callback,
                     void* argument) override;
  void ProgressUpdate(int percent, BOOL showPercent = TRUE,
                      const wchar_t* title = nullptr) override;
  void ProgressEnd() override;

  // What the host application overrides after loading a scene (command-line folders and paths),
  // in host path form.
  void SetDir(int which, std::wstring hostPath) { settings_.folders[which] = std::move(hostPath); }
  void SetCurFilePath(std::wstring hostPath) { settings_.sceneFilePath = std::move(hostPath); }

  const SimAppSettings& Settings() const { return settings_; }
  SimMainWindow& MainWindow() { return mainWindow_; }
  SimProgress& Progress() { return progress_; }

 private:
  SimAppSettings settings_;
  SimNode* root_;
  SimMainWindow mainWindow_;
  SimProgress progress_;
};

}  // namespace sim
