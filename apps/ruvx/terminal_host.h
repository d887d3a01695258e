// How ruvx shows the host's progress bar and message boxes on a terminal.
#pragma once

#include "host/sim/sim_scene.h"

namespace ruvx {

// Draws the progress bar on standard error when it is a terminal, and prints every message box
// as "caption: text" (the text alone when the caption is empty) on standard error.
void ShowHostOnTerminal(sim::SimScene& scene);

}  // namespace ruvx
