// MainWindow, the stage: a borderless window over the whole primary screen. Its creation handler loads the
// show and lays the stage over the screen before the window is first shown.
#pragma once

#include <cstdint>

#include "platform/windows.h"

namespace heartstage::stage {

// The identifier of MainWindow once it is open; 0 before.
inline std::uint32_t MainWindow = 0;

platform::WindowForm MainWindowForm();

// Opens MainWindow from its form; false when it could not be opened.
bool OpenMainWindow();

void OnMainWindowCreated();

}  // namespace heartstage::stage
