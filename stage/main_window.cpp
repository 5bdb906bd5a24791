#include "stage/main_window.h"

#include "show/assets.h"
#include "show/heart_layout.h"
#include "show/state.h"

namespace heartstage::stage {

platform::WindowForm MainWindowForm() {
  platform::WindowForm form;
  form.name = "MainWindow";
  form.width = 380;
  form.height = 250;
  form.visible = true;
  form.on_created = OnMainWindowCreated;
  return form;
}

bool OpenMainWindow() {
  return platform::OpenWindow(MainWindowForm(), &MainWindow) != 0;
}

void OnMainWindowCreated() {
  LoadShowAssets();
  ShowState& state = ShowData();
  const platform::ScreenDimensions screen = platform::PrimaryScreenSize();
  state.ScreenSize.Width = screen.width;
  state.ScreenSize.Height = screen.height;
  platform::MoveControl(platform::WindowControl(MainWindow), 0, 0, state.ScreenSize.Width,
                        state.ScreenSize.Height);
  CopyHeartPointsToState();
}

}  // namespace heartstage::stage
