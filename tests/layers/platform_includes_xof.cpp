// Wrong way: the platform layer is at the bottom.
#include "xof/save_object.h"
