#include "stage/subtitle.h"

#include "platform/controls.h"
#include "platform/windows.h"
#include "show/lifecycle.h"
#include "show/state.h"
#include "stage/forms.h"
#include "stage/main_window.h"
#include "stage/sequence.h"
#include "stage/step_pacer.h"

namespace heartstage::stage {

namespace property = platform::property;

void OnSubtitleWindowCreated() {
  const std::uintptr_t handle = platform::SystemHandle(SubtitleWindow);
  MakeColorKeyed(handle, ColorKey, 255, platform::LWA_COLORKEY);
  const ControlRef window = platform::WindowControl(SubtitleWindow);
  platform::WriteBool(window, property::Visible, true);
  const platform::ScreenDimensions screen = platform::PrimaryScreenSize();
  platform::MoveControl(window, {0, screen.height, screen.width, screen.height});
  platform::MoveControl(platform::FindControl(SubtitleWindow, kSubtitleLabel),
                        {0, 0, screen.width, screen.height});
}

bool MakeColorKeyed(std::uintptr_t window, platform::Color key, std::uint8_t alpha, std::uint32_t flags) {
  if (alpha == 0) alpha = 255;
  const std::int32_t style = platform::GetWindowLong(window, platform::GWL_EXSTYLE);
  platform::SetWindowLong(window, platform::GWL_EXSTYLE, style | platform::WS_EX_LAYERED);
  return platform::SetLayeredWindowAttributes(window, key, alpha, flags) != 0;
}

std::int64_t SubtitleScrollSteps(std::int32_t lines, std::int32_t height) {
  return static_cast<std::int64_t>(lines * static_cast<double>(kSubtitleLineHeight) + height);
}

void ScrollSubtitle() {
  const ShowState& state = ShowData();
  const std::int32_t lines = CountLines(state.ShowTexts.Subtitle);
  const std::int64_t steps = SubtitleScrollSteps(lines, state.ScreenSize.Height);
  const ControlRef overlay = platform::WindowControl(SubtitleWindow);
  // A late step of one pixel may be made up by the next; the eye does not see it, a drifting scroll it does.
  StepPacer pacer(state.Delays.Subtitle, 1);
  for (std::int64_t i = 1; i <= steps; ++i) {
    const auto top = static_cast<std::int32_t>(static_cast<double>(state.ScreenSize.Height) - i);
    platform::MoveControl(overlay, {0, top, state.ScreenSize.Width, state.ScreenSize.Height});
    platform::LetPendingEventsThrough();
    // Once the stage has gone (closed by the window manager) there is no show left to wait for.
    if (!platform::ControlExists(platform::WindowControl(MainWindow)) || EndingHasBegun()) break;
    PauseUntil(pacer.NextDeadline());
  }
  platform::DestroyWindow(SubtitleWindow);
}

}  // namespace heartstage::stage
