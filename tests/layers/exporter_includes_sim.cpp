// Wrong way: the exporter may not see the in-memory host.
#include "host/sim/sim_scene.h"
