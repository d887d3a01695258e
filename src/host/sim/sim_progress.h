// The host's progress bar in memory: start, each update and end are recorded in order and handed to
// an observer as they happen (a terminal host draws the bar; a test asserts on the sequence).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/interface.h"

namespace sim {

struct ProgressEvent {
  enum class Kind { Start, Update, End };
  Kind kind = Kind::Start;
  // Start: the bar's title. Update: the new title, empty when the caller passed none.
  std::wstring title;
  // Update only: the percentage passed, as given (not clamped).
  int percent = 0;
  // Start: whether the bar is shown. Update: whether the percentage is shown.
  bool show = false;

  bool operator==(const ProgressEvent&) const = default;
};

class SimProgress {
 public:
  using Observer = std::function<void(const ProgressEvent&)>;

  BOOL Start(const wchar_t* title, BOOL showBar, ProgressCallback callback, void* argument);
  void Update(int percent, BOOL showPercent, const wchar_t* title);
  void End();

  void SetObserver(Observer observer) { observer_ = std::move(observer); }

  const std::vector<ProgressEvent>& Events() const { return events_; }
  // The percentages of every update, in order: what a test of the bar's movement compares.
  std::vector<int> UpdatePercents() const;
  // Between a start and its end.
  bool Active() const { return active_; }
  void ClearEvents() { events_.clear(); }

 private:
  void Record(ProgressEvent event);

  std::vector<ProgressEvent> events_;
  Observer observer_;
  bool active_ = false;
};

}  // namespace sim
