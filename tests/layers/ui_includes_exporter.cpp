// Wrong way: the dialog knows the options subsystem and nothing else of the exporter.
#include "ruv/core/export_context.h"
