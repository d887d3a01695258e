// What the preview throws when it cannot draw: no off-screen library or context, shaders that do
// not build. Apart from the context so that the library loader can throw it too.
#pragma once

#include <stdexcept>

namespace preview {

class RenderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace preview
