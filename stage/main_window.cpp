#include "stage/main_window.h"

#include "platform/controls.h"
#include "platform/song.h"
#include "platform/windows.h"
#include "show/assets.h"
#include "show/heart_layout.h"
#include "show/state.h"
#include "stage/chase.h"
#include "stage/forms.h"

namespace heartstage::stage {

namespace property = platform::property;

bool OpenMainWindow() {
  return OpenMainWindow(MainWindowForm());
}

bool OpenMainWindow(const platform::WindowForm& form) {
  return platform::OpenWindow(form, &MainWindow) != 0;
}

void OnMainWindowCreated() {
  LoadShowAssets();
  ShowState& state = ShowData();
  const platform::ScreenDimensions screen = platform::PrimaryScreenSize();
  state.ScreenSize.Width = screen.width;
  state.ScreenSize.Height = screen.height;

  const platform::Placement whole_screen{0, 0, state.ScreenSize.Width, state.ScreenSize.Height};
  platform::MoveControl(platform::WindowControl(MainWindow), whole_screen);
  const ControlRef background = platform::FindControl(MainWindow, kBackground);
  platform::MoveControl(background, whole_screen);
  platform::WritePicture(background, property::Picture, state.Pictures.Background);

  const ControlRef button = platform::FindControl(MainWindow, kFirstHeartButton);
  platform::WritePicture(button, property::NormalPicture, state.Pictures.Normal);
  platform::WritePicture(button, property::HotPicture, state.Pictures.Focus);
  platform::WritePicture(button, property::PressedPicture, state.Pictures.Normal);
  platform::WriteInt(button, property::TransparentColor, ColorKey);

  CopyHeartPointsToState();
  platform::PlaySong(AssetPath(kSongFile), -1);

  platform::OpenWindow(SubtitleWindowForm(), &SubtitleWindow);
  const ControlRef subtitle = platform::FindControl(SubtitleWindow, kSubtitleLabel);
  platform::WriteText(subtitle, property::Caption, state.ShowTexts.Subtitle);
  platform::WriteInt(subtitle, property::LabelTextColor, state.ShowTexts.Color);
  platform::WriteInt(platform::FindControl(MainWindow, kNameLabel), property::TransparentLabelTextColor,
                     state.ShowTexts.Color);
}

void OnMainWindowDestroying() {
  EndChaseWorker();
  // The show ends with its stage: an overlay left behind would keep the program running, topmost, over a
  // desktop that has nothing else of ours on it.
  if (platform::ControlExists(platform::WindowControl(SubtitleWindow)))
    platform::DestroyWindow(SubtitleWindow);
}

}  // namespace heartstage::stage
