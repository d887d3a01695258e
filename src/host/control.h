// Animation controllers.
#pragma once

#include "host/animatable.h"

class Control : public ReferenceTarget {};
