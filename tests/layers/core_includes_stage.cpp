// Wrong way: the shared records and services know no stage.
#include "ruv/scene/node_tree.h"
