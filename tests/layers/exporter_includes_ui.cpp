// Wrong way: the exporter does not see the dialog; the module installs it as the prompt.
#include "ui/run_options_dialog.h"
