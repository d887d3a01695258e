// The facts of the host application that a scene carries besides its nodes.
#pragma once

#include <map>
#include <string>

#include "host/time_value.h"

namespace sim {

struct SimAppSettings {
  int frameRate = 30;
  int ticksPerFrame = 160;
  // In ticks; frames 0 to 100 at the default 160 ticks per frame.
  Interval animRange{0, 100 * 160};
  // Host path form ('\'-separated); empty for a scene never saved.
  std::wstring sceneFilePath;
  // Host folders by number (7 images, 9 plug-in configuration, 32 data), host path form.
  std::map<int, std::wstring> folders;
};

}  // namespace sim
