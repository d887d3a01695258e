// The node tree build sees the stages below it and the records they share.
#include "ruv/animation/key_times.h"
#include "ruv/core/xnode.h"
#include "ruv/mesh/mesh_acquisition.h"
#include "ruv/scene/node_tree.h"
