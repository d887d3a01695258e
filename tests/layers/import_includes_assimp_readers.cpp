// Wrong way: the importer reaches Assimp's readers only through their module (assimp_module.h).
#include "host/sim/import/assimp/assimp_scene_reader.h"
