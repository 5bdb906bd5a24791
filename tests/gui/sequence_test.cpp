// The whole timed show on the real forms with short delays: the sequence's order and timing, the 29 copies
// with their numbers, places and stacking, the name centred, Esc enabled only at the end, and the input
// handlers: messages of every kind of line, pause and resume, the menu, turn-ons during the painting.
#include <QAbstractButton>
#include <QApplication>
#include <QChildEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <mutex>
#include <vector>

#include "stage/input.h"
#include "stage/sequence.h"
#include "stage_fixture.h"

namespace heartstage::stage {
namespace {

namespace property = platform::property;
using Clock = std::chrono::steady_clock;

// When the first button was shown (the painting's start) and when each copy was added to the background.
class CopyClock : public QObject {
 public:
  Clock::time_point first_shown;
  std::vector<Clock::time_point> added;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ChildAdded) added.push_back(Clock::now());
    if (event->type() == QEvent::Show && watched->isWidgetType() && first_shown == Clock::time_point{}) {
      first_shown = Clock::now();
    }
    return false;
  }
};

QWidget* BackgroundWidget() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() != QLatin1String("MainWindow")) continue;
    for (QWidget* child : top->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) return child;
  }
  return nullptr;
}

QWidget* StageWidget() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == QLatin1String("MainWindow")) return top;
  }
  return nullptr;
}

// Runs `act` on the widget that `find` gives as soon as there is one, looking every 20 ms for up to 20 s: a
// box or menu opens when its click has been handled, which takes its time on a loaded machine.
template <typename Find, typename Act>
void WhenItOpens(Find find, Act act) {
  auto* poll = new QTimer;
  const auto until = Clock::now() + std::chrono::seconds(20);
  QObject::connect(poll, &QTimer::timeout, [poll, find, act, until] {
    if (auto* widget = find()) {
      act(widget);
    } else if (Clock::now() < until) {
      return;
    }
    poll->stop();
    poll->deleteLater();
  });
  poll->start(20);
}

// Closes the next message box as soon as it is open and keeps what it showed.
struct BoxReader {
  QString text, title;
  bool seen = false;
  void Arm() {
    seen = false;
    WhenItOpens([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                [this](QMessageBox* box) {
                  seen = true;
                  text = box->text();
                  title = box->windowTitle();
                  box->accept();
                });
  }
};

class SequenceTest : public testing::StageFixture {
 protected:
  void OpenWithMessages(const std::string& messages, int painting = 0) {
    folder.Write("Default/MsgBox.txt", messages);
    subtitle = "one\r\n";
    config = "[Delay]\r\nSubtitle=0\r\nPainting=" + std::to_string(painting) + "\r\nFlicker=20\r\n";
    run_sequence = true;
    OpenStage();
  }

  // Serves events while the sequence, started by the stage's first activation, plays to its end.
  static void WaitForTheShow() {
    const auto until = Clock::now() + std::chrono::seconds(30);
    const ControlRef stage = platform::WindowControl(MainWindow);
    while (!platform::ReadBool(stage, property::EscCloses) && Clock::now() < until) {
      platform::LetPendingEventsThrough();
      QTest::qWait(5);
    }
    ASSERT_TRUE(platform::ReadBool(stage, property::EscCloses)) << "the show did not finish";
  }
};

std::string NumberedMessages(int count) {
  std::string lines;
  for (int k = 1; k <= count; ++k) lines += "m" + std::to_string(k) + "|t" + std::to_string(k) + "\r\n";
  return lines;
}

TEST_F(SequenceTest, PaintsTwentyNineNumberedCopiesAtTheirPlacesOnePauseApart) {
  constexpr int kPainting = 40;
  OpenWithMessages(NumberedMessages(30), kPainting);
  CopyClock clock;
  BackgroundWidget()->installEventFilter(&clock);
  for (QWidget* button : BackgroundWidget()->findChildren<QAbstractButton*>())
    button->installEventFilter(&clock);
  const ControlRef stage = platform::WindowControl(MainWindow);
  EXPECT_FALSE(platform::ReadBool(stage, property::AlwaysOnTop));
  EXPECT_FALSE(platform::ReadBool(stage, property::EscCloses));

  WaitForTheShow();

  const ShowState& state = ShowData();
  ASSERT_EQ(state.HeartButtons.Count(), 29);
  const ControlRef first = platform::FindControl(MainWindow, kFirstHeartButton);
  EXPECT_EQ(platform::ReadText(first, property::Tag), "1");
  for (std::int32_t k = 1; k <= 30; ++k) {
    const ControlRef button = k == 1 ? first : state.HeartButtons.At(k - 1);
    EXPECT_EQ(platform::ReadText(button, property::Tag), std::to_string(k));
    EXPECT_EQ(platform::ReadInt(button, property::Left), HeartButtonPlace(k).Left) << "point " << k;
    EXPECT_EQ(platform::ReadInt(button, property::Top), HeartButtonPlace(k).Top) << "point " << k;
    EXPECT_EQ(platform::ReadInt(button, property::Width), kHeartButtonSize);
    EXPECT_TRUE(platform::ReadBool(button, property::Visible));
    EXPECT_EQ(platform::ReadInt(button, property::TransparentColor), ColorKey);
  }
  EXPECT_TRUE(platform::ReadBool(stage, property::AlwaysOnTop));
  EXPECT_TRUE(platform::ReadBool(stage, property::EscCloses));
  const ControlRef name = platform::FindControl(MainWindow, kNameLabel);
  EXPECT_TRUE(platform::ReadBool(name, property::Visible));
  EXPECT_FALSE(platform::ControlExists(platform::WindowControl(SubtitleWindow)))
      << "gone at the painting's first pass";

  // Copy k comes (k - 1) pauses after the first button at the earliest: never ahead of its time (a late
  // step may be made up, never overtaken), and all of them in about 29 pauses.
  ASSERT_EQ(clock.added.size(), 29u);
  ASSERT_NE(clock.first_shown, Clock::time_point{});
  for (std::size_t i = 0; i < clock.added.size(); ++i) {
    EXPECT_GE(clock.added[i] - clock.first_shown,
              std::chrono::milliseconds(kPainting * static_cast<int>(i + 1) - 5))
        << "copy " << i + 2;
  }
  EXPECT_LE(clock.added.back() - clock.first_shown, std::chrono::milliseconds(kPainting * 29 + 3000));
}

TEST_F(SequenceTest, CopiesLieBehindTheFirstButtonInReversePaintingOrder) {
  OpenWithMessages(NumberedMessages(30));
  WaitForTheShow();
  // Neighbouring buttons overlap; a click where two overlap reaches the one in front.
  const ControlRef first = platform::FindControl(MainWindow, kFirstHeartButton);
  BoxReader reader;
  struct Case {
    int front, behind;
  } cases[] = {{1, 30}, {1, 2}, {30, 29}, {3, 2}, {16, 15}, {17, 16}};
  for (const Case& c : cases) {
    const ButtonPlace a = HeartButtonPlace(c.front), b = HeartButtonPlace(c.behind);
    // The middle of the overlap of the two squares, inside the opaque right half of the front heart.
    const int x = std::max(std::max(a.Left, b.Left) + 1, a.Left + 55);
    const int y = (std::max(a.Top, b.Top) + std::min(a.Top, b.Top) + 100) / 2;
    ASSERT_LT(x, std::min(a.Left, b.Left) + 100) << c.front << " and " << c.behind << " do not overlap there";
    reader.Arm();
    QTest::mouseClick(StageWidget()->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reader.seen; }, 20000)) << c.front << " over " << c.behind;
    EXPECT_EQ(reader.text.toStdString(), "m" + std::to_string(c.front)) << c.front << " over " << c.behind;
  }
  (void)first;
}

TEST_F(SequenceTest, NameIsCentredFromTheLabelsSize) {
  OpenStage();
  ShowData().ScreenSize = {1366, 768};
  const ControlRef name = platform::FindControl(MainWindow, kNameLabel);
  struct Case {
    int width, height, left, top;
  } cases[] = {{344, 32, 511, 368}, {345, 32, 510, 368}, {1367, 32, 0, 368}, {344, 33, 511, 367}};
  for (const Case& c : cases) {
    platform::MoveControl(name, {.width = c.width, .height = c.height});
    CentreNameLabel();
    EXPECT_EQ(platform::ReadInt(name, property::Left), c.left) << c.width << "x" << c.height;
    EXPECT_EQ(platform::ReadInt(name, property::Top), c.top) << c.width << "x" << c.height;
  }
}

TEST_F(SequenceTest, EveryKindOfMessageLineGivesASoundBox) {
  folder.Write("Default/MsgBox.txt",
               "A|a\r\n|B\r\nC||\r\nD|\r\nE\r\n\r\nF|f|g\r\n\x81\x7C|t\r\n<b>x</b>|<i>y</i>\r\n");
  OpenStage();
  struct Case {
    int button;
    std::string message, title;
  } cases[] = {
      {1, "A", "a"},
      {2, "", "B"},
      {3, "C", ""},
      {4, "D", ""},                               // nothing after the bar: the text, without a title
      {5, "E", ""},                               // no bar at all
      {6, std::string(kDefaultMessage), "Love"},  // an empty line
      {7, "F", "f"},
      {8, "\x81\x7C", "t"},  // the bar byte inside a double-byte character does not split
      {9, "<b>x</b>", "<i>y</i>"},
      {10, std::string(kDefaultMessage), "Love"},  // beyond the last line
      {30, std::string(kDefaultMessage), "Love"},
  };
  for (const Case& c : cases) {
    const MessageBoxTexts texts = MessageForButton(c.button);
    EXPECT_EQ(texts.message, c.message) << "button " << c.button;
    EXPECT_EQ(texts.title, c.title) << "button " << c.button;
  }
}

TEST_F(SequenceTest, ClickOnACopyShowsItsOwnNumbersMessage) {
  OpenWithMessages(NumberedMessages(5));
  WaitForTheShow();
  BoxReader reader;
  for (int k : {1, 4, 16}) {
    const ButtonPlace place = HeartButtonPlace(k);
    reader.Arm();
    // The right half of the test hearts is the opaque one; the middle of it lies clear of the neighbours
    // in front for these points.
    QTest::mouseClick(StageWidget()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(place.Left + 75, place.Top + 50));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reader.seen; }, 20000)) << "button " << k;
    if (k <= 5) {
      EXPECT_EQ(reader.text.toStdString(), "m" + std::to_string(k));
      EXPECT_EQ(reader.title.toStdString(), "t" + std::to_string(k));
    } else {
      EXPECT_EQ(reader.text, QString::fromUtf8("祝天下人有情人终成眷属！！"));
      EXPECT_EQ(reader.title, QStringLiteral("Love"));
    }
    EXPECT_EQ(EventButton, k == 1 ? platform::FindControl(MainWindow, kFirstHeartButton)
                                  : ShowData().HeartButtons.At(k - 1));
  }
}

TEST_F(SequenceTest, DoubleClickPausesAndResumesTheChase) {
  OpenWithMessages("");
  std::mutex mutex;
  std::vector<bool> lit_changes;
  ObserveChase([&](ControlRef, bool lit) {
    std::lock_guard lock(mutex);
    lit_changes.push_back(lit);
  });
  WaitForTheShow();
  QTest::qWait(150);
  const QPoint empty_place(20, 20);  // background, away from the heart
  QTest::mouseDClick(StageWidget()->windowHandle(), Qt::LeftButton, Qt::NoModifier, empty_place);
  EXPECT_EQ(ChaseStop.load(), 25);
  QTest::qWait(150);
  std::size_t paused_at;
  {
    std::lock_guard lock(mutex);
    paused_at = lit_changes.size();
    EXPECT_GT(paused_at, 3u);
  }
  QTest::qWait(150);
  {
    std::lock_guard lock(mutex);
    EXPECT_EQ(lit_changes.size(), paused_at) << "no change while paused";
  }
  QTest::mouseDClick(StageWidget()->windowHandle(), Qt::LeftButton, Qt::NoModifier, empty_place);
  EXPECT_EQ(ChaseStop.load(), 0);
  QTest::qWait(150);
  std::lock_guard lock(mutex);
  EXPECT_GT(lit_changes.size(), paused_at + 3) << "running again";
}

TEST_F(SequenceTest, TurnOnDuringThePaintingStartsNoWorkerBeforeTheHeartIsComplete) {
  OpenWithMessages("", 15);
  std::mutex mutex;
  std::vector<Clock::time_point> changes;
  ObserveChase([&](ControlRef, bool) {
    std::lock_guard lock(mutex);
    changes.push_back(Clock::now());
  });
  // Off, then on again, while the buttons are still being painted.
  QTimer::singleShot(100, [] { OnBackgroundDoubleClicked(); });
  QTimer::singleShot(150, [] { OnBackgroundDoubleClicked(); });
  WaitForTheShow();
  const auto painted = Clock::now();
  EXPECT_EQ(ChaseStop.load(), 0);
  QTest::qWait(100);
  std::lock_guard lock(mutex);
  ASSERT_FALSE(changes.empty()) << "the painting's own start runs the chase";
  EXPECT_GE(changes.front(), painted - std::chrono::milliseconds(5));
}

TEST_F(SequenceTest, OneDoubleClickDuringThePaintingLeavesTheChaseOff) {
  OpenWithMessages("", 15);
  std::atomic<int> changes{0};
  ObserveChase([&](ControlRef, bool) { ++changes; });
  QTimer::singleShot(100, [] { OnBackgroundDoubleClicked(); });
  WaitForTheShow();
  QTest::qWait(150);
  EXPECT_EQ(ChaseStop.load(), 25);
  EXPECT_EQ(changes.load(), 0);
}

TEST_F(SequenceTest, RightReleaseOpensTheMenuJustBelowAndRightOfTheCursor) {
  OpenStage();
  QPoint menu_at;
  QStringList items;
  bool seen = false;
  WhenItOpens([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
              [&](QMenu* menu) {
                seen = true;
                menu_at = menu->pos();
                for (QAction* action : menu->actions()) items << action->text();
                menu->close();  // closed without a choice: nothing happens
              });
  QCursor::setPos(200, 150);
  QTest::qWait(50);
  QTest::mouseClick(StageWidget()->windowHandle(), Qt::RightButton, Qt::NoModifier, QPoint(200, 150));
  ASSERT_TRUE(QTest::qWaitFor([&] { return seen; }, 20000));
  EXPECT_EQ(menu_at, QPoint(203, 153));
  EXPECT_EQ(items, QStringList{QString::fromUtf8("退出程序")});
  EXPECT_TRUE(platform::ControlExists(platform::WindowControl(MainWindow)));
}

}  // namespace
}  // namespace heartstage::stage
