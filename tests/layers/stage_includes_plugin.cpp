// Wrong way: a stage does not see the driver.
#include "ruv/plugin/export_driver.h"
