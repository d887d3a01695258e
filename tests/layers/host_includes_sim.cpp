// Wrong way: the host interfaces do not see their in-memory implementation.
#include "host/sim/sim_scene.h"
