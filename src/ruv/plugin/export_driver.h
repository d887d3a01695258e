// The export entry point: one call runs one export from options to written files.
#pragma once

#include "host/interface.h"
#include "platform/win_types.h"

// Runs one export to `name`. Always returns 1, on success, cancel and failure alike: the host is
// told nothing beyond what the message boxes said.
extern "C" int XDoExport(const wchar_t* name, ExpInterface* exportInterface, Interface* host,
                         BOOL suppressPrompts, DWORD options);
