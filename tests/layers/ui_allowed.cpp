// The dialog's users see its entry points and the options subsystem.
#include "ruv/options/options_dialog.h"
#include "ui/run_options_dialog.h"
