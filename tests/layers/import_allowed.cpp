// The importer's users see its entry points and the calls of Assimp's module.
#include "host/sim/import/assimp_module.h"
#include "host/sim/import/model_import.h"
