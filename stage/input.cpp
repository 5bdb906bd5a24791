#include "stage/input.h"

#include "platform/controls.h"
#include "platform/windows.h"
#include "show/lifecycle.h"
#include "show/state.h"
#include "stage/chase.h"
#include "stage/forms.h"
#include "stage/main_window.h"

namespace heartstage::stage {

MessageBoxTexts MessageForButton(std::int32_t number) {
  const ShowList<Text>& messages = ShowData().Messages;
  if (number > messages.Count()) return {Text(kDefaultMessage), Text(kDefaultTitle)};
  const std::vector<Text> pieces = SplitText(messages.At(number), "|");
  if (pieces.size() >= 2) return {pieces[0], pieces[1]};
  // A line without a title ("text", "text|") still says something: its text, with no title. An empty line
  // says nothing, so the button says what buttons without a line say.
  if (pieces.size() == 1) return {pieces[0], Text()};
  return {Text(kDefaultMessage), Text(kDefaultTitle)};
}

void OnHeartButtonClicked() {
  if (platform::EventSourceKind() != platform::ControlKind::PictureButton) {
    ReportFatalError(FatalFailure::EventNotFromPictureButton);
  }
  EventButton = platform::EventSource();
  const std::int32_t number = TextToInt(platform::ReadText(EventButton, platform::property::Tag));
  const MessageBoxTexts texts = MessageForButton(number);
  platform::ShowMessageBox(texts.message, texts.title);
}

void OnBackgroundDoubleClicked() {
  if (ChaseStop.load() == 0) {
    ChaseStop = 25;
  } else {
    ChaseStop = 0;
    StartChaseWorker();
  }
}

void OnBackgroundRightReleased() {
  const platform::ScreenPoint cursor = platform::CursorPosition();
  platform::PopupMenu(platform::FindControl(MainWindow, kMenu), cursor.x + 3, cursor.y + 3);
}

void OnExitChosen() {
  EndProgram(0);
}

}  // namespace heartstage::stage
