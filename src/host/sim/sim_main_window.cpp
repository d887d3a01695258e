#include "host/sim/sim_main_window.h"

namespace sim {

std::wstring MessageBoxRecord::Line() const {
  return caption.empty() ? text : caption + L": " + text;
}

int SimMainWindow::ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) {
  boxes_.push_back({text ? text : L"", caption ? caption : L"", type});
  if (observer_) observer_(boxes_.back());
  return answer_;
}

}  // namespace sim
