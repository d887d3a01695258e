// Wrong way: the in-memory host's objects do not see the scene files that are read into them.
#include "host/sim/scene_file/scene_loader.h"
