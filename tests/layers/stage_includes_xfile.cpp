// Wrong way: a stage does not see the record writers.
#include "ruv/xfile/x_file_writer.h"
