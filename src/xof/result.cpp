#include "xof/result.h"

namespace xof {

const char* ResultText(HRESULT result) {
  switch (result) {
    case S_OK:
      return "success";
    case E_FAIL:
      return "failure";
    case E_INVALIDARG:
      return "invalid argument";
    case E_OUTOFMEMORY:
      return "out of memory";
    case XOF_E_BAD_TEMPLATE_SET:
      return "malformed template set";
    case XOF_E_UNKNOWN_TEMPLATE:
      return "template not registered";
    case XOF_E_BAD_NAME:
      return "name cannot be written in a .x file";
    case XOF_E_BAD_DATA:
      return "data does not fit its template";
    case XOF_E_NONFINITE:
      return "data holds a NaN or infinite number";
    case XOF_E_CHILD_NOT_ALLOWED:
      return "template does not allow this child";
    case XOF_E_BAD_FORMAT:
      return "unsupported save options or format";
    case XOF_E_WRITE:
      return "the file could not be written";
    default:
      return result < 0 ? "unknown failure" : "success";
  }
}

}  // namespace xof
