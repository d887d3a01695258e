// The record writers see the records, the material and effect stages and the .x library.
#include "ruv/core/xmesh_data.h"
#include "ruv/effect/effect_file.h"
#include "ruv/material/texture_files.h"
#include "ruv/xfile/x_file_writer.h"
#include "xof/save_object.h"
