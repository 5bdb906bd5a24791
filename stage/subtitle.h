// The subtitle overlay: SubtitleWindow, colour-keyed so that only its letters show, parked below the screen
// when it is created and rolled up over the stage like film credits at the start of the show.
#pragma once

#include <cstdint>

#include "platform/forms.h"

namespace heartstage::stage {

// Pixels allowed for one line of the subtitle.
inline constexpr int kSubtitleLineHeight = 21;

void OnSubtitleWindowCreated();

// Makes `window` (a system handle) a layered window whose pixels of `key` are not drawn and take no mouse
// input. An alpha of 0 counts as 255. True when the attributes were taken.
bool MakeColorKeyed(std::uintptr_t window, platform::Color key, std::uint8_t alpha, std::uint32_t flags);

// Moves the overlay up one pixel a step, with an event pass and a wait of Delays.Subtitle every step, until
// the text has left the top of the screen; then asks for the overlay's destruction.
void ScrollSubtitle();

// The number of one-pixel steps of the scroll for a subtitle of `lines` lines on a screen `height` high.
std::int64_t SubtitleScrollSteps(std::int32_t lines, std::int32_t height);

}  // namespace heartstage::stage
