#include "ruv/options/export_options.h"

ExportOptions gExportOptions;
AnimationClips gAnimationClips;
