// Wrong way: the dialog's users call its entry points, which load its module; its calls are not
// theirs.
#include "ui/dialog_module.h"
