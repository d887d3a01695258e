// Wrong way: the mesh stage sits below the node tree build that takes its meshes.
#include "ruv/scene/node_tree.h"
