#include "host/sim/sim_interface.h"

namespace sim {

SimInterface::SimInterface(SimAppSettings settings, SimNode* root)
    : settings_(std::move(settings)), root_(root) {}

const wchar_t* SimInterface::GetDir(int which) {
  auto found = settings_.folders.find(which);
  return found == settings_.folders.end() ? L"" : found->second.c_str();
}

BOOL SimInterface::ProgressStart(const wchar_t* title, BOOL showBar, ProgressCallback callback,
                                 void* argument) {
  return progress_.Start(title, showBar, callback, argument);
}

void SimInterface::ProgressUpdate(int percent, BOOL showPercent, const wchar_t* title) {
  progress_.Update(percent, showPercent, title);
}

void SimInterface::ProgressEnd() { progress_.End(); }

}  // namespace sim
