// The platform's run time: the Qt application on the user-interface thread, the event loop that ends when
// the program's last window is gone, hand-offs to the user-interface thread, tear-down and the error box.
#pragma once

#include <functional>
#include <string>

#include "show/lifecycle.h"

namespace heartstage::platform {

class QtRuntime : public ShowRuntime {
 public:
  void Initialise() override;
  bool AnyWindowOpen() override;
  void RunEventLoop() override;
  bool OnUserInterfaceThread() override;
  void RunOnUserInterfaceThread(std::function<void()> work) override;
  void TearDownWindows() override;
  void ShowFatalErrorBox(const std::string& message) override;
};

// Picks the X11 platform unless the user has chosen one: the stage places its top-level windows itself,
// which Wayland does not allow, and XWayland runs it on a Wayland desktop.
void ChooseWindowSystem();

}  // namespace heartstage::platform
