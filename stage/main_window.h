// MainWindow, the stage: a borderless window over the whole primary screen. Its creation handler loads the
// show, lays the stage over the screen, gives the first heart button its pictures, starts the song and opens
// the subtitle overlay, all before the window is first shown.
#pragma once

#include <cstdint>

namespace heartstage::stage {

// Window identifiers once open; 0 before.
inline std::uint32_t MainWindow = 0;
inline std::uint32_t SubtitleWindow = 0;

// Opens MainWindow from its form; false when it could not be opened.
bool OpenMainWindow();

void OnMainWindowCreated();
void OnMainWindowDestroying();

}  // namespace heartstage::stage
