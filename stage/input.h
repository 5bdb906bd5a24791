// What the viewer can do to the running show: click a heart button for its message, double-click the
// background to pause or resume the chase, right-click it for the menu whose one item ends the program.
// (Esc closes the stage once the heart is complete; the window does that itself.) The handlers run from the
// event loop and also inside the event passes of the subtitle scroll and the painting.
#pragma once

#include "show/text.h"

namespace heartstage::stage {

// "祝天下人有情人终成眷属！！" titled "Love", in GBK: shown for a button beyond the last message line.
inline constexpr std::string_view kDefaultMessage =
    "\xD7\xA3\xCC\xEC\xCF\xC2\xC8\xCB\xD3\xD0\xC7\xE9\xC8\xCB\xD6\xD5\xB3\xC9\xBE\xEC\xCA\xF4\xA3\xA1\xA3"
    "\xA1";
inline constexpr std::string_view kDefaultTitle = "Love";

struct MessageBoxTexts {
  Text message;
  Text title;
};

// What a click on the heart button numbered `number` shows, from the lines of MsgBox.txt.
MessageBoxTexts MessageForButton(std::int32_t number);

void OnHeartButtonClicked();
void OnBackgroundDoubleClicked();
void OnBackgroundRightReleased();
void OnExitChosen();

}  // namespace heartstage::stage
