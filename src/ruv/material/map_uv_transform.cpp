#include "ruv/material/map_uv_transform.h"

// Maps reach the exporter with material export; until then every channel takes the plain flip.
Matrix2 ComputeMapUVTransform(Texmap*) { return kVFlip; }
