// The exporter includes the host interfaces, the .x library, the options and the platform.
#include "host/inode.h"
#include "platform/file_system.h"
#include "ruv/options/config_file.h"
#include "ruv/plugin/export_driver.h"
#include "xof/save_object.h"
