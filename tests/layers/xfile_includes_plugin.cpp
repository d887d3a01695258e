// Wrong way: the record writers do not see the driver.
#include "ruv/plugin/export_driver.h"
