// The shared records and services include the host interfaces, the .x library, the options and
// the platform.
#include "host/inode.h"
#include "platform/text_encoding.h"
#include "ruv/core/export_context.h"
#include "ruv/options/export_options.h"
#include "xof/save_object.h"
