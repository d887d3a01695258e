// The demo scene bundled in ruvx: it grows with what the exporter can write.
#pragma once

#include <string_view>

namespace ruvx {

std::string_view DemoSceneText();

}  // namespace ruvx
