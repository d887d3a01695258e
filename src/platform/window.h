// Windows of the host application, and the message box shown over them.
#pragma once

#include "platform/win_types.h"

namespace platform {

// A top-level window of the host application. The host decides how a message box appears: a
// terminal host prints it, a test host records it.
class Window {
 public:
  virtual ~Window() = default;
  // Shows a modal message box owned by this window; returns the button pressed (IDOK for MB_OK).
  virtual int ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) = 0;
};

}  // namespace platform

// Shows a message box owned by `owner`. Without an owner window the text goes to standard error,
// as "caption: text" (the text alone when the caption is empty), and the box counts as confirmed.
int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
