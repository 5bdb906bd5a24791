// How long the subtitle scroll really takes against steps x Delays.Subtitle, over the show in the folder
// given (its Default folder), on the X server of $DISPLAY. Prints one line per run and a summary.
// Usage: scroll_bench SHOW_DIRECTORY [RUNS]
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/runtime.h"
#include "platform/song.h"
#include "platform/windows.h"
#include "show/assets.h"
#include "show/state.h"
#include "stage/main_window.h"
#include "stage/subtitle.h"

using namespace heartstage;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scroll_bench SHOW_DIRECTORY [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  platform::ChooseWindowSystem();
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  UseRunDirectory(argv[1]);

  std::vector<double> ratios;
  for (int run = 1; run <= runs; ++run) {
    AllocateShowState();
    stage::OpenMainWindow();
    platform::StopSong();  // the song's thread is not what is measured here
    for (int i = 0; i < 20; ++i) platform::LetPendingEventsThrough();
    const ShowState& state = ShowData();
    const std::int64_t steps =
        stage::SubtitleScrollSteps(CountLines(state.ShowTexts.Subtitle), state.ScreenSize.Height);
    const double planned_ms = static_cast<double>(steps) * std::max(0, state.Delays.Subtitle);
    const auto started = std::chrono::steady_clock::now();
    stage::ScrollSubtitle();
    const double taken_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    ratios.push_back(taken_ms / planned_ms);
    std::printf("run %d: %dx%d, %lld steps of %d ms: planned %.0f ms, taken %.0f ms (%+.2f %%)\n", run,
                state.ScreenSize.Width, state.ScreenSize.Height, static_cast<long long>(steps),
                state.Delays.Subtitle, planned_ms, taken_ms, (taken_ms / planned_ms - 1) * 100);
    platform::DestroyWindow(stage::MainWindow);
    platform::LetPendingEventsThrough();
    ReleaseShowState();
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("scroll time against plan: median %+.2f %%, min %+.2f %%, max %+.2f %% (%d runs)\n",
              (ratios[ratios.size() / 2] - 1) * 100, (ratios.front() - 1) * 100, (ratios.back() - 1) * 100,
              runs);
  return 0;
}
