// How the driver asks the user to review the options before an export. The options dialog plugs in
// here; a host without one accepts the loaded options as they stand.
#pragma once

#include <functional>

struct ExportContext;

// Shows the options for review; returns non-zero for OK, 0 for Cancel or a closed window.
using OptionsPrompt = std::function<int(ExportContext*)>;

// Replaces the prompt; an empty function restores the default, which answers OK.
void SetOptionsPrompt(OptionsPrompt prompt);
int ShowOptionsPrompt(ExportContext* context);
