// The host's main window in memory: every message box shown over it is recorded in order and handed
// to an observer as it appears, so a terminal host can print it and a test can assert on it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace sim {

struct MessageBoxRecord {
  std::wstring text;
  std::wstring caption;
  UINT type = MB_OK;

  // "caption: text", or the text alone when the caption is empty: how a terminal shows the box.
  std::wstring Line() const;
  bool operator==(const MessageBoxRecord&) const = default;
};

class SimMainWindow : public platform::Window {
 public:
  using Observer = std::function<void(const MessageBoxRecord&)>;

  int ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) override;

  void SetObserver(Observer observer) { observer_ = std::move(observer); }
  // The button every box is answered with; IDOK unless a test wants another answer.
  void SetAnswer(int answer) { answer_ = answer; }

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return boxes_; }
  void ClearMessageBoxes() { boxes_.clear(); }

 private:
  std::vector<MessageBoxRecord> boxes_;
  Observer observer_;
  int answer_ = IDOK;
};

}  // namespace sim
