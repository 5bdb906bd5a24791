// The timed show, played once at the stage's first activation: the subtitle rolls up, the stage goes on top,
// the heart is painted one button at a time, the name appears in the centre, Esc starts to close the stage
// and the chase begins. The user-interface thread is busy throughout, except for an event pass at every
// step, in which the input handlers run.
#pragma once

#include <chrono>

namespace heartstage::stage {

void RunShowSequence();

// Places the first heart button and its 29 copies, each after an event pass and a pause of
// Delays.Painting, numbering them 1 to 30 and listing the copies in HeartButtons.
void PaintHeart();

// Centres the name label on the screen from its current size.
void CentreNameLabel();

// Waits until `deadline`, as the show's pauses do. A long pause still lets the stage's events through every
// so often, so that the menu can end the program at any time.
void PauseUntil(std::chrono::steady_clock::time_point deadline);

}  // namespace heartstage::stage
