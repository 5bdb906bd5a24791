#include "stage/sequence.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/controls.h"
#include "platform/windows.h"
#include "show/heart_layout.h"
#include "show/lifecycle.h"
#include "show/state.h"
#include "stage/chase.h"
#include "stage/forms.h"
#include "stage/main_window.h"
#include "stage/step_pacer.h"
#include "stage/subtitle.h"

namespace heartstage::stage {
namespace {

namespace property = platform::property;

// The longest the stage goes without an event pass during a pause.
constexpr auto kLongestDeafSpell = std::chrono::milliseconds(50);

bool StageStillThere() {
  return !EndingHasBegun() && platform::ControlExists(platform::WindowControl(MainWindow));
}

void ShowName() {
  platform::WriteText(platform::FindControl(MainWindow, kNameLabel), property::Caption,
                      ShowData().ShowTexts.Name);
  CentreNameLabel();
}

}  // namespace

void PauseUntil(std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return;
    if (deadline - now <= kLongestDeafSpell) {
      std::this_thread::sleep_until(deadline);
      return;
    }
    std::this_thread::sleep_for(kLongestDeafSpell);
    platform::LetPendingEventsThrough();
  }
}

void RunShowSequence() {
  ScrollSubtitle();
  if (!StageStillThere()) return;
  const ControlRef stage = platform::WindowControl(MainWindow);
  platform::WriteBool(stage, property::AlwaysOnTop, true);
  ShowName();
  PaintHeart();
  if (!StageStillThere()) return;
  // The last button and the name appear together, in the same repaint.
  ShowName();
  platform::WriteBool(platform::FindControl(MainWindow, kNameLabel), property::Visible, true);
  platform::WriteBool(stage, property::EscCloses, true);
  SetHeartComplete(true);
  StartChaseWorker();
}

void PaintHeart() {
  ShowState& state = ShowData();
  const ControlRef first = platform::FindControl(MainWindow, kFirstHeartButton);
  const ButtonPlace first_place = HeartButtonPlace(1);
  platform::MoveControl(first, {.left = first_place.Left, .top = first_place.Top});
  platform::WriteBool(first, property::Visible, true);

  const auto copies = static_cast<std::int32_t>(state.HeartX.Count() - 1.0);
  // Each button appears one pause after the one before, whatever the steps themselves take.
  StepPacer pacer(state.Delays.Painting, 1);
  for (std::int32_t j = 1; j <= copies; ++j) {
    const std::int32_t k = j + 1;
    platform::LetPendingEventsThrough();
    PauseUntil(pacer.NextDeadline());
    if (!StageStillThere()) return;
    EventButton = platform::CopyControl(first);
    if (!platform::ControlExists(EventButton)) {
      // No copy, no button for this point: nothing is left for the steps below to change or list.
      EventButton = {};
      continue;
    }
    platform::WriteInt(EventButton, property::TransparentColor, ColorKey);
    platform::WritePicture(EventButton, property::NormalPicture, state.Pictures.Normal);
    platform::WritePicture(EventButton, property::HotPicture, state.Pictures.Focus);
    platform::WritePicture(EventButton, property::PressedPicture, state.Pictures.Normal);
    const ButtonPlace place = HeartButtonPlace(k);
    platform::MoveControl(EventButton, {.left = place.Left, .top = place.Top});
    platform::WriteText(EventButton, property::Tag, NumberToText(j + 1.0));
    platform::WriteBool(EventButton, property::Visible, true);
    state.HeartButtons.Append(EventButton);
  }
}

void CentreNameLabel() {
  const ShowState& state = ShowData();
  const ControlRef label = platform::FindControl(MainWindow, kNameLabel);
  const double a = state.ScreenSize.Width / 2.0;
  const double w = platform::ReadInt(label, property::Width) / 2.0;
  const double left = a - w;
  const double b = state.ScreenSize.Height / 2.0;
  const double h = platform::ReadInt(label, property::Height) / 2.0;
  const double top = b - h;
  const auto truncated_top = static_cast<std::int32_t>(top);
  const auto truncated_left = static_cast<std::int32_t>(left);
  platform::MoveControl(label, {.left = truncated_left, .top = truncated_top});
}

}  // namespace heartstage::stage
