// The subtitle overlay: colour-keyed so only its letters show and take the mouse, parked below the screen,
// rolled up one pixel a step until the text has left the top, then destroyed.
#include <QApplication>
#include <QMoveEvent>
#include <QProcess>
#include <vector>

#include "stage/subtitle.h"
#include "stage_fixture.h"

namespace heartstage::stage {
namespace {

namespace property = platform::property;
using testing::ScreenColor;

// Records the top edge of every move the overlay makes.
class MoveRecorder : public QObject {
 public:
  std::vector<int> tops;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Move) tops.push_back(static_cast<QMoveEvent*>(event)->pos().y());
    return false;
  }
};

QWidget* Overlay() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String("SubtitleWindow")) return widget;
  }
  return nullptr;
}

// The X window under the pointer at (x, y): what a click there would reach.
std::uintptr_t WindowUnderPointer(int x, int y) {
  QProcess::execute("xdotool", {"mousemove", QString::number(x), QString::number(y)});
  QProcess xdotool;
  xdotool.start("xdotool", {"getmouselocation", "--shell"});
  xdotool.waitForFinished();
  for (const QByteArray& line : xdotool.readAllStandardOutput().split('\n')) {
    if (line.startsWith("WINDOW=")) return line.mid(7).toULongLong();
  }
  return 0;
}

class SubtitleTest : public testing::StageFixture {};

TEST_F(SubtitleTest, OverlayIsParkedJustBelowTheScreenCoveringItsWidth) {
  OpenStage();
  const ShowState& state = ShowData();
  const ControlRef overlay = platform::WindowControl(SubtitleWindow);
  EXPECT_TRUE(platform::ReadBool(overlay, property::Visible));
  EXPECT_EQ(platform::ReadInt(overlay, property::Left), 0);
  EXPECT_EQ(platform::ReadInt(overlay, property::Top), state.ScreenSize.Height);
  EXPECT_EQ(platform::ReadInt(overlay, property::Width), state.ScreenSize.Width);
  EXPECT_EQ(platform::ReadInt(overlay, property::Height), state.ScreenSize.Height);
  const ControlRef label = platform::FindControl(SubtitleWindow, kSubtitleLabel);
  EXPECT_EQ(platform::ReadInt(label, property::Width), state.ScreenSize.Width);
  EXPECT_EQ(platform::ReadInt(label, property::Height), state.ScreenSize.Height);
}

TEST_F(SubtitleTest, OnlyTheLettersShowAndTakeTheMouse) {
  subtitle = "\xA1\xF6\xA1\xF6\xA1\xF6\xA1\xF6\xA1\xF6\r\n";  // "■■■■■": solid squares in the text colour
  OpenStage();
  platform::MoveControl(platform::WindowControl(SubtitleWindow), {.top = 0});
  platform::LetPendingEventsThrough();
  const int width = ShowData().ScreenSize.Width;
  // The squares are centred at the top; find a pixel of one in the text colour (0x00FF00 here).
  int letter_x = -1;
  for (int x = width / 2 - 40; x < width / 2 + 40 && letter_x < 0; ++x) {
    if (ScreenColor(x, 9) == QColor(0, 255, 0)) letter_x = x;
  }
  ASSERT_GE(letter_x, 0) << "no letter pixel in the text colour on screen";
  // Everywhere else the stage beneath shows: the background's top-left quadrant is red.
  const int height = ShowData().ScreenSize.Height;
  EXPECT_EQ(ScreenColor(width / 4, height / 4), QColor(255, 0, 0));
  EXPECT_EQ(WindowUnderPointer(letter_x, 9), platform::SystemHandle(SubtitleWindow));
  EXPECT_EQ(WindowUnderPointer(width / 4, height / 4), platform::SystemHandle(MainWindow));
}

TEST_F(SubtitleTest, TextInTheKeyColourLeavesNothingOfTheOverlay) {
  config = "[Color]\r\nColor=16711935\r\n";  // 0xFF00FF
  subtitle = "\xA1\xF6\xA1\xF6\xA1\xF6\r\n";
  OpenStage();
  platform::MoveControl(platform::WindowControl(SubtitleWindow), {.top = 0});
  platform::LetPendingEventsThrough();
  const int width = ShowData().ScreenSize.Width;
  for (int x = width / 2 - 30; x < width / 2 + 30; x += 3) {
    EXPECT_NE(WindowUnderPointer(x, 9), platform::SystemHandle(SubtitleWindow)) << x;
  }
}

TEST_F(SubtitleTest, ScrollMovesOnePixelAStepUntilTheTextHasLeft) {
  struct Case {
    const char* name;
    std::string subtitle;
    int lines;
  } cases[] = {
      {"three lines", "one\r\ntwo\r\nthree\r\n", 3},
      {"a final CR LF adds no line", "one\r\ntwo\r\nthree", 3},
      {"an empty line counts", "one\r\n\r\nthree", 3},
      {"empty subtitle still rises one screen", "", 0},
  };
  for (const Case& c : cases) {
    subtitle = c.subtitle;
    config = "[Delay]\r\nSubtitle=0\r\n";
    OpenStage();
    MoveRecorder recorder;
    Overlay()->installEventFilter(&recorder);
    const std::int32_t height = ShowData().ScreenSize.Height;
    ScrollSubtitle();
    EXPECT_EQ(SubtitleScrollSteps(c.lines, height), c.lines * 21 + height) << c.name;
    ASSERT_EQ(recorder.tops.size(), static_cast<std::size_t>(c.lines * 21 + height)) << c.name;
    EXPECT_EQ(recorder.tops.front(), height - 1) << c.name;
    EXPECT_EQ(recorder.tops.back(), -c.lines * 21) << c.name;
    EXPECT_TRUE(platform::ControlExists(platform::WindowControl(SubtitleWindow)))
        << "destroyed at the next pass";
    platform::LetPendingEventsThrough();
    EXPECT_FALSE(platform::ControlExists(platform::WindowControl(SubtitleWindow))) << c.name;
    TearDown();
  }
}

TEST_F(SubtitleTest, ScrollStopsWhenTheStageHasGone) {
  subtitle = "one\r\n";
  config = "[Delay]\r\nSubtitle=5\r\n";
  OpenStage();
  MoveRecorder recorder;
  Overlay()->installEventFilter(&recorder);
  platform::DestroyWindow(MainWindow);  // as a window manager's close would, during the scroll
  ScrollSubtitle();
  EXPECT_LE(recorder.tops.size(), 2u);
  platform::LetPendingEventsThrough();
  EXPECT_FALSE(platform::ControlExists(platform::WindowControl(SubtitleWindow)));
}

}  // namespace
}  // namespace heartstage::stage
