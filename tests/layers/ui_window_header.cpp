// Wrong way: the dialog's users see its entry points, not its window.
#include "ui/options_dialog_window.h"
