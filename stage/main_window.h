// MainWindow, the stage: a borderless window over the whole primary screen. Its creation handler loads the
// show, lays the stage over the screen, gives the first heart button its pictures, starts the song and opens
// the subtitle overlay, all before the window is first shown.
#pragma once

#include <cstdint>

#include "platform/forms.h"

namespace heartstage::stage {

// Window identifiers once open; 0 before.
inline std::uint32_t MainWindow = 0;
inline std::uint32_t SubtitleWindow = 0;

// Opens MainWindow from its form (or from `form`, a variant of it); false when it could not be opened.
bool OpenMainWindow();
bool OpenMainWindow(const platform::WindowForm& form);

void OnMainWindowCreated();
void OnMainWindowDestroying();

}  // namespace heartstage::stage
