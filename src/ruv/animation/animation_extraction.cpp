#include "ruv/animation/animation_extraction.h"

// Animation sampling is not built yet: nodes carry no tracks and no animation set is written.
void ExtractAnimation(ExportContext*, XNode*) {}
