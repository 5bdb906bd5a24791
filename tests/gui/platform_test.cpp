// The platform layer on a real X server: windows from forms, numbered properties, copies, picture button
// shapes and clicks, the stretched picture box, Esc, boxes and the hand-over from worker threads.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/controls.h"
#include "platform/internal.h"
#include "platform/ui_thread.h"
#include "platform/windows.h"

namespace heartstage {
void PrintTo(const ControlRef& control, std::ostream* out) {
  *out << "(" << control.Window << ", " << control.Control << ")";
}
}  // namespace heartstage

namespace heartstage::platform {
namespace {

constexpr Color kMagenta = 0xFF00FF;

ByteBuffer EncodedAs(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return ByteBuffer(bytes.begin(), bytes.end());
}

// A 100 x 100 picture whose left half is magenta (cut out) and right half `color`.
ByteBuffer HalfCutPicture(QColor color) {
  QImage image(100, 100, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));
  QPainter(&image).fillRect(50, 0, 50, 100, color);
  return EncodedAs(image, "BMP");
}

ByteBuffer SolidPicture(QColor color, int width = 100, int height = 100) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  return EncodedAs(image, "BMP");
}

QWidget* TopLevelNamed(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String(name) && widget->isVisible()) return widget;
  }
  return nullptr;
}

// The colour on screen, once pending paints have reached the X server.
QRgb ScreenPixel(int x, int y) {
  QTest::qWait(60);
  return QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1).toImage().pixel(0, 0);
}

// Moves the X server's pointer, so enter and leave arrive as they do for a user.
void MovePointerTo(int x, int y) {
  ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", QString::number(x), QString::number(y)}), 0);
  QTest::qWait(60);
}

// A window at the top-left of the screen, so window and screen coordinates agree, with a picture box and
// three picture buttons: "under" first in the form (so lowest), then "button", then "over" (highest). Clicks
// on the buttons are recorded.
class StageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowForm form;
    form.name = "TestStage";
    form.width = 600;
    form.height = 400;
    ControlForm box = PlacedControl(ControlKind::PictureBox, "box", "", 0, 0, 600, 400);
    box.background = 0x00C0C0C0;
    ControlForm lower = PlacedControl(ControlKind::PictureButton, "under", "box", 20, 20, 100, 100);
    ControlForm middle = PlacedControl(ControlKind::PictureButton, "button", "box", 56, 8, 100, 100, false);
    middle.tag = "1";
    ControlForm upper = PlacedControl(ControlKind::PictureButton, "over", "box", 400, 20, 100, 100);
    form.controls = {box, lower, middle, upper};
    const auto record = [this] { clicks.push_back(EventSource()); };
    form.bindings = {{"under", Event::Clicked, record},
                     {"button", Event::Clicked, record},
                     {"over", Event::Clicked, record},
                     {"", Event::Destroying, [this] { ++destroying_calls; }}};
    OpenWindow(form, &window);
    MoveControl(WindowControl(window), {.left = 0, .top = 0});
    WriteBool(WindowControl(window), property::Visible, true);
    widget = TopLevelNamed("TestStage");
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    button = FindControl(window, "button");
    under = FindControl(window, "under");
  }

  void TearDown() override {
    if (ControlExists(WindowControl(window))) DestroyWindow(window);
    LetPendingEventsThrough();
  }

  // A click as the X server delivers it, at a point of the window.
  void ClickAt(int x, int y) {
    QTest::mouseClick(widget->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    LetPendingEventsThrough();
  }

  std::uint32_t window = 0;
  QWidget* widget = nullptr;
  ControlRef button, under;
  std::vector<ControlRef> clicks;
  int destroying_calls = 0;
};

TEST_F(StageTest, PlaceWritesAreClampedAndMoveTheControl) {
  struct Case {
    int number;
    std::int32_t written, read;
  } cases[] = {
      {property::Left, 40000, kPlaceLimit},
      {property::Left, -40000, -kPlaceLimit},
      {property::Left, -7, -7},
      {property::Top, 50000, kPlaceLimit},
      {property::Top, -33000, -kPlaceLimit},
      {property::Top, 12, 12},
      {property::Width, -5, 0},
      {property::Width, 99999, kPlaceLimit},
      {property::Width, 70, 70},
      {property::Height, -1, 0},
      {property::Height, 40000, kPlaceLimit},
      {property::Height, 30, 30},
  };
  for (const Case& c : cases) {
    WriteInt(button, c.number, c.written);
    EXPECT_EQ(ReadInt(button, c.number), c.read) << "property " << c.number << " written " << c.written;
  }
  // Moving keeps the size, resizing keeps the place.
  MoveControl(button, {.left = 5, .top = 6});
  MoveControl(button, {.width = 100, .height = 100});
  EXPECT_EQ(ReadInt(button, property::Left), 5);
  EXPECT_EQ(ReadInt(button, property::Top), 6);
  EXPECT_EQ(ReadInt(button, property::Width), 100);
}

TEST_F(StageTest, TagIsACopyAndEmptyWhenUnset) {
  EXPECT_EQ(ReadText(button, property::Tag), "1");
  EXPECT_EQ(ReadText(under, property::Tag), "");
  Text tag = ReadText(button, property::Tag);
  tag += "0";
  EXPECT_EQ(ReadText(button, property::Tag), "1");
  WriteText(under, property::Tag, "\xB0\xAE");  // "爱" in GBK
  EXPECT_EQ(ReadText(under, property::Tag), "\xB0\xAE");
}

TEST_F(StageTest, VisibleShowsAndHides) {
  EXPECT_FALSE(ReadBool(button, property::Visible));
  WriteBool(button, property::Visible, true);
  EXPECT_TRUE(ReadBool(button, property::Visible));
  WriteBool(under, property::Visible, false);
  EXPECT_FALSE(ReadBool(under, property::Visible));
}

TEST_F(StageTest, ClickOnCutOutPixelReachesTheButtonBeneath) {
  WritePicture(under, property::NormalPicture, SolidPicture(Qt::blue));
  WritePicture(button, property::NormalPicture, HalfCutPicture(Qt::red));
  WriteInt(button, property::TransparentColor, kMagenta);
  MoveControl(button, {.left = 20, .top = 20});
  WriteBool(button, property::Visible, true);
  LetPendingEventsThrough();

  ClickAt(30, 60);   // the cut-out half of the button on top
  ClickAt(110, 60);  // its red half
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0], under);
  EXPECT_EQ(clicks[1], button);
  // Cut-out pixels are not painted: the blue button beneath shows through.
  EXPECT_EQ(QColor(ScreenPixel(30, 60)), QColor(Qt::blue));
  EXPECT_EQ(QColor(ScreenPixel(110, 60)), QColor(Qt::red));
}

TEST_F(StageTest, ShapeFollowsEveryPictureWriteAndTheTransparentColour) {
  WritePicture(under, property::NormalPicture, SolidPicture(Qt::blue));
  WriteInt(button, property::TransparentColor, kMagenta);
  MoveControl(button, {.left = 20, .top = 20});
  WriteBool(button, property::Visible, true);

  WritePicture(button, property::NormalPicture, SolidPicture(Qt::red));
  ClickAt(30, 60);
  WritePicture(button, property::NormalPicture, HalfCutPicture(Qt::red));
  ClickAt(30, 60);
  WriteInt(button, property::TransparentColor, static_cast<std::int32_t>(kNoColor));
  ClickAt(30, 60);
  // A picture smaller than the button: the rest of the rectangle is not part of the button.
  WriteInt(button, property::TransparentColor, kMagenta);
  WritePicture(button, property::NormalPicture, SolidPicture(Qt::red, 40, 40));
  ClickAt(90, 90);
  ASSERT_EQ(clicks.size(), 4u);
  EXPECT_EQ(clicks[0], button);
  EXPECT_EQ(clicks[1], under);
  EXPECT_EQ(clicks[2], button);
  EXPECT_EQ(clicks[3], under);
}

TEST_F(StageTest, ButtonWithoutPicturesIsABlackSquare) {
  MoveControl(button, {.left = 200, .top = 200});
  WriteInt(button, property::TransparentColor, kMagenta);
  WriteBool(button, property::Visible, true);
  LetPendingEventsThrough();
  EXPECT_EQ(QColor(ScreenPixel(205, 205)), QColor(Qt::black));
  EXPECT_EQ(QColor(ScreenPixel(295, 295)), QColor(Qt::black));
}

TEST_F(StageTest, HotAndPressedPicturesFallBackToNormal) {
  WritePicture(button, property::NormalPicture, SolidPicture(Qt::red));
  WritePicture(button, property::HotPicture, SolidPicture(Qt::green));
  MoveControl(button, {.left = 200, .top = 200});
  WriteBool(button, property::Visible, true);
  LetPendingEventsThrough();
  MovePointerTo(250, 250);
  EXPECT_EQ(QColor(ScreenPixel(250, 250)), QColor(Qt::green)) << "hot";
  QTest::mousePress(widget->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 250));
  LetPendingEventsThrough();
  EXPECT_EQ(QColor(ScreenPixel(250, 250)), QColor(Qt::red)) << "pressed, no pressed picture: normal";
  QTest::mouseRelease(widget->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 250));
  MovePointerTo(550, 350);
  EXPECT_EQ(QColor(ScreenPixel(250, 250)), QColor(Qt::red)) << "normal";
}

TEST_F(StageTest, CopyStartsFromTheFormAndRunsTheOriginalsHandlerAsItself) {
  // Run-time settings of the original that a copy must not inherit.
  WriteText(button, property::Tag, "9");
  WritePicture(button, property::NormalPicture, SolidPicture(Qt::red));
  WriteInt(button, property::TransparentColor, kMagenta);
  MoveControl(button, {.left = 300, .top = 200});
  WriteBool(button, property::Visible, true);

  const ControlRef copy = CopyControl(button);
  ASSERT_TRUE(ControlExists(copy));
  EXPECT_EQ(copy.Window, window);
  EXPECT_NE(copy.Control, button.Control);
  EXPECT_EQ(KindOf(copy), ControlKind::PictureButton);
  EXPECT_EQ(ReadText(copy, property::Tag), "1");
  EXPECT_FALSE(ReadBool(copy, property::Visible));
  EXPECT_EQ(ReadInt(copy, property::Left), 56);
  EXPECT_EQ(ReadInt(copy, property::Top), 8);
  EXPECT_EQ(ReadInt(copy, property::Width), 100);
  EXPECT_EQ(static_cast<Color>(ReadInt(copy, property::TransparentColor)), kNoColor);

  MoveControl(copy, {.left = 20, .top = 200});
  WriteBool(copy, property::Visible, true);
  ClickAt(30, 210);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], copy);
  EXPECT_EQ(FindControl(window, "button"), button) << "the name still means the original";
}

TEST_F(StageTest, CopyGoesDirectlyBehindTheOriginal) {
  for (ControlRef control : {under, button}) {
    WritePicture(control, property::NormalPicture, SolidPicture(Qt::red));
    MoveControl(control, {.left = 20, .top = 20});
    WriteBool(control, property::Visible, true);
  }
  const ControlRef copy = CopyControl(button);
  WritePicture(copy, property::NormalPicture, SolidPicture(Qt::red));
  MoveControl(copy, {.left = 20, .top = 20});
  WriteBool(copy, property::Visible, true);

  ClickAt(60, 60);
  WriteBool(button, property::Visible, false);
  ClickAt(60, 60);
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0], button);
  EXPECT_EQ(clicks[1], copy) << "the copy lies between the original and what was beneath it";
  EXPECT_EQ(CopyControl({window, 999}), ControlRef{}) << "nothing to copy";
}

TEST_F(StageTest, EscClosesOnlyWhenOnAndWithoutModifiers) {
  widget->activateWindow();
  QTest::keyClick(widget->windowHandle(), Qt::Key_Escape);
  LetPendingEventsThrough();
  EXPECT_TRUE(ControlExists(WindowControl(window))) << "EscCloses is off";

  WriteBool(WindowControl(window), property::EscCloses, true);
  EXPECT_TRUE(ReadBool(WindowControl(window), property::EscCloses));
  for (auto modifier : {Qt::ControlModifier, Qt::ShiftModifier, Qt::AltModifier}) {
    QTest::keyClick(widget->windowHandle(), Qt::Key_Escape, modifier);
    LetPendingEventsThrough();
    EXPECT_TRUE(ControlExists(WindowControl(window))) << "with modifier " << modifier;
  }
  QTest::keyClick(widget->windowHandle(), Qt::Key_Escape);
  LetPendingEventsThrough();
  EXPECT_FALSE(ControlExists(WindowControl(window)));
  EXPECT_EQ(destroying_calls, 1);
}

TEST_F(StageTest, DestroyingHappensAtTheNextEventPass) {
  DestroyWindow(window);
  EXPECT_TRUE(ControlExists(WindowControl(window)));
  EXPECT_EQ(destroying_calls, 0);
  LetPendingEventsThrough();
  EXPECT_FALSE(ControlExists(WindowControl(window)));
  EXPECT_FALSE(ControlExists(button)) << "its controls go with it";
  EXPECT_EQ(destroying_calls, 1);
}

TEST_F(StageTest, AlwaysOnTopNeitherMovesHidesNorActivates) {
  QWidget other;
  other.setGeometry(700, 100, 100, 100);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  const QRect before = widget->geometry();
  WriteBool(WindowControl(window), property::AlwaysOnTop, true);
  LetPendingEventsThrough();
  EXPECT_TRUE(ReadBool(WindowControl(window), property::AlwaysOnTop));
  EXPECT_EQ(widget->geometry(), before);
  EXPECT_TRUE(widget->isVisible());
  EXPECT_EQ(QApplication::activeWindow(), &other);
}

TEST_F(StageTest, PictureBoxStretchesItsPictureOverItsArea) {
  QImage quadrants(2, 2, QImage::Format_RGB32);
  quadrants.setPixel(0, 0, qRgb(255, 0, 0));
  quadrants.setPixel(1, 0, qRgb(0, 255, 0));
  quadrants.setPixel(0, 1, qRgb(0, 0, 255));
  quadrants.setPixel(1, 1, qRgb(255, 255, 0));
  const ControlRef box = FindControl(window, "box");
  WritePicture(box, property::Picture, EncodedAs(quadrants, "BMP"));
  LetPendingEventsThrough();
  EXPECT_EQ(QColor(ScreenPixel(10, 10)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(ScreenPixel(590, 10)), QColor(0, 255, 0));
  EXPECT_EQ(QColor(ScreenPixel(10, 390)), QColor(0, 0, 255));
  EXPECT_EQ(QColor(ScreenPixel(590, 390)), QColor(255, 255, 0));

  WritePicture(box, property::Picture, ByteBuffer{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
  LetPendingEventsThrough();
  EXPECT_EQ(QColor(ScreenPixel(300, 200)), QColor(0xC0, 0xC0, 0xC0)) << "undecodable: the background colour";
}

TEST_F(StageTest, MessageBoxShowsMarkupAsPlainTextWithOneButtonAndNoIcon) {
  QString shown_text, shown_title;
  int buttons = 0;
  bool plain = false, no_icon = false, on_top = false;
  QTimer::singleShot(100, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown_text = box->text();
    shown_title = box->windowTitle();
    buttons = static_cast<int>(box->buttons().size());
    plain = box->textFormat() == Qt::PlainText;
    no_icon = box->icon() == QMessageBox::NoIcon;
    on_top = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    box->button(QMessageBox::Ok)->click();
  });
  ShowMessageBox("<b>\xC4\xE3\xBA\xC3</b>", "Love");  // "<b>你好</b>" in GBK
  EXPECT_EQ(shown_text, QString::fromUtf8("<b>你好</b>"));
  EXPECT_EQ(shown_title, QStringLiteral("Love"));
  EXPECT_EQ(buttons, 1);
  EXPECT_TRUE(plain);
  EXPECT_TRUE(no_icon);
  EXPECT_TRUE(on_top);
}

TEST_F(StageTest, WriteFromAWorkerIsDoneOnTheUserInterfaceThreadBeforeItReturns) {
  WritePicture(button, property::NormalPicture, SolidPicture(Qt::red));
  MoveControl(button, {.left = 200, .top = 200});
  WriteBool(button, property::Visible, true);
  LetPendingEventsThrough();
  const ByteBuffer green = SolidPicture(Qt::green);
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    WritePicture(button, property::NormalPicture, green);
    returned = true;
  });
  // The worker waits until this thread serves its write.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(returned);
  while (!returned) LetPendingEventsThrough();
  worker.join();
  EXPECT_EQ(QColor(ScreenPixel(250, 250)), QColor(Qt::green));
}

// Cancelling is for good, so it runs in a process of its own.
[[noreturn]] void CancelWhileAWorkerWaits() {
  std::atomic<bool> result{true};
  int served = 0;
  std::thread worker([&] { result = RunOnUserInterfaceThreadAndWait([&] { ++served; }); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  CancelWorkerWaits();
  worker.join();
  LetPendingEventsThrough();
  std::fprintf(stderr, "result %d served %d sleep %d\n", result.load(), served,
               SleepUntilUnlessStopped(std::chrono::steady_clock::now() + std::chrono::hours(1)));
  std::exit(0);
}

TEST(WorkerWaitTest, ItsOwnStopReleasesAWaitingWorkerAndDropsItsWrite) {
  auto stop = std::make_shared<WorkerStop>();
  bool result = true, slept = true;
  int served = 0;
  std::thread worker([&] {
    BindWorkerStop(stop);
    result = RunOnUserInterfaceThreadAndWait([&] { ++served; });
    slept = SleepUntilUnlessStopped(std::chrono::steady_clock::now() + std::chrono::hours(1));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  stop->Request();
  worker.join();  // with no event pass: the worker must not need this thread to finish
  LetPendingEventsThrough();
  EXPECT_FALSE(result);
  EXPECT_FALSE(slept);
  EXPECT_EQ(served, 0);
  EXPECT_FALSE(WorkerShouldStop()) << "another thread's stop is not this one's";
}

TEST(WorkerWaitTest, CancellingReleasesAWaitingWorkerAndDropsItsWrite) {
  EXPECT_EXIT(CancelWhileAWorkerWaits(), ::testing::ExitedWithCode(0), "result 0 served 0 sleep 0");
}

TEST(FontTest, ChineseTextGetsAChineseFace) {
  const QFont font = internal::ShowFont({"宋体", 16, 700});
  const QString family = QFontInfo(font).family();
  EXPECT_TRUE(QFontDatabase::families(QFontDatabase::SimplifiedChinese).contains(family) ||
              QFontDatabase::families(QFontDatabase::TraditionalChinese).contains(family))
      << family.toStdString();
  EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x7231))) << "爱";
  EXPECT_EQ(QFontInfo(font).pixelSize(), 16);
  EXPECT_TRUE(QFontInfo(font).bold());
}

TEST(TextTest, ShowTextsAreDecodedAsGbk) {
  EXPECT_EQ(internal::ShowTextToQString("\xCD\xED\xC7\xE7"), QString::fromUtf8("晚晴"));
  const QString trail_bar = internal::ShowTextToQString(
      "a\x81\x7C"
      "b");  // 81 7C is one character
  EXPECT_EQ(trail_bar.size(), 3);
  EXPECT_FALSE(trail_bar.contains(QLatin1Char('|')));
  EXPECT_EQ(internal::ShowTextToQString("ab\xCD"), QStringLiteral("ab"))
      << "a lead byte at the end is dropped";
}

}  // namespace
}  // namespace heartstage::platform
