// Wrong way: the .x library knows nothing of scenes.
#include "host/inode.h"
