#include "terminal_host.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "platform/text_encoding.h"

namespace ruvx {
namespace {

constexpr int kBarWidth = 40;

// The bar's state between events: a line is open on the terminal while the bar is drawn. The host
// ignores updates while no bar is open, as the exporter may send one after closing it.
struct TerminalBar {
  bool open = false;
  bool drawn = false;
  std::string title;

  void Draw(int percent) {
    int shown = std::clamp(percent, 0, 100);
    int filled = shown * kBarWidth / 100;
    std::fprintf(stderr, "\r%s [%s%s] %3d%%", title.c_str(), std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, '.').c_str(), shown);
    std::fflush(stderr);
    drawn = true;
  }

  void Close() {
    if (drawn) std::fputc('\n', stderr);
    drawn = false;
  }
};

}  // namespace

void ShowHostOnTerminal(sim::SimScene& scene) {
  auto bar = std::make_shared<TerminalBar>();
  if (isatty(STDERR_FILENO)) {
    scene.Progress().SetObserver([bar](const sim::ProgressEvent& event) {
      switch (event.kind) {
        case sim::ProgressEvent::Kind::Start:
          bar->title = platform::WideToUtf8(event.title);
          bar->open = true;
          bar->Draw(0);
          break;
        case sim::ProgressEvent::Kind::Update:
          if (!bar->open) break;
          if (!event.title.empty()) bar->title = platform::WideToUtf8(event.title);
          bar->Draw(event.percent);
          break;
        case sim::ProgressEvent::Kind::End:
          bar->open = false;
          bar->Close();
          break;
      }
    });
  }
  scene.MainWindow().SetObserver([bar](const sim::MessageBoxRecord& box) {
    bar->Close();
    // Through std::cerr, so that a record of the export (--record) sees the messages too.
    std::cerr << platform::WideToUtf8(box.Line()) << '\n';
  });
}

}  // namespace ruvx
