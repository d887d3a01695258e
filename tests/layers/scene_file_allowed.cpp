// The scene-file readers include the in-memory host's objects and builder, and the host core.
#include "host/sim/core/patch_conversion.h"
#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/scene_loader.h"
