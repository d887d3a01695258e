#include "host/sim/sim_progress.h"

namespace sim {

BOOL SimProgress::Start(const wchar_t* title, BOOL showBar, ProgressCallback callback,
                        void* argument) {
  active_ = true;
  Record({ProgressEvent::Kind::Start, title ? title : L"", 0, showBar != FALSE});
  // The host runs the callback once as the bar opens; the exporter's returns at once and does its
  // work in the export call itself.
  if (callback) callback(argument);
  return TRUE;
}

void SimProgress::Update(int percent, BOOL showPercent, const wchar_t* title) {
  Record({ProgressEvent::Kind::Update, title ? title : L"", percent, showPercent != FALSE});
}

void SimProgress::End() {
  active_ = false;
  Record({ProgressEvent::Kind::End, L"", 0, false});
}

std::vector<int> SimProgress::UpdatePercents() const {
  std::vector<int> percents;
  for (const ProgressEvent& event : events_) {
    if (event.kind == ProgressEvent::Kind::Update) percents.push_back(event.percent);
  }
  return percents;
}

void SimProgress::Record(ProgressEvent event) {
  events_.push_back(std::move(event));
  if (observer_) observer_(events_.back());
}

}  // namespace sim
