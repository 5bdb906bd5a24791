// MainWindow opened from its form over a fixture show: the stage laid over the whole screen with the
// background stretched, the first heart button given its pictures and shape, the overlay opened with the
// subtitle, and the song started.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <chrono>
#include <thread>

#include "../unit/test_folder.h"
#include "platform/controls.h"
#include "platform/song.h"
#include "platform/windows.h"
#include "show/assets.h"
#include "show/heart_layout.h"
#include "show/state.h"
#include "stage/forms.h"
#include "stage/main_window.h"

namespace heartstage::stage {
namespace {

namespace property = platform::property;

std::string Encoded(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return bytes.toStdString();
}

QColor ScreenColor(int x, int y) {
  QTest::qWait(60);
  return QColor(QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1).toImage().pixel(0, 0));
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A background of four coloured quadrants, 4 x 4 pixels; hearts whose left half is the key colour.
    QImage quadrants(4, 4, QImage::Format_RGB32);
    QPainter(&quadrants).fillRect(0, 0, 2, 2, QColor(255, 0, 0));
    QPainter(&quadrants).fillRect(2, 0, 2, 2, QColor(0, 255, 0));
    QPainter(&quadrants).fillRect(0, 2, 2, 2, QColor(0, 0, 255));
    QPainter(&quadrants).fillRect(2, 2, 2, 2, QColor(255, 255, 0));
    QImage heart(100, 100, QImage::Format_RGB32);
    heart.fill(QColor(255, 0, 255));
    QPainter(&heart).fillRect(50, 0, 50, 100, QColor(200, 0, 40));
    folder.Write("Default/MGH_BG.gif", Encoded(quadrants));  // any format the decoders know will do
    folder.Write("Default/MGH_Default.bmp", Encoded(heart));
    folder.Write("Default/MGH_Focus.bmp", Encoded(heart));
    folder.Write("Default/Subtitle.txt", "\xC4\xE3\xBA\xC3\r\nline two\r\n");  // "你好"
    folder.Write("Default/Config.ini", "[Color]\r\nColor=65280\r\n");
    UseRunDirectory(folder.Path().string());
    AllocateShowState();
    ASSERT_TRUE(OpenMainWindow());
    QTest::qWait(100);
  }

  void TearDown() override {
    platform::StopSong();
    platform::DestroyWindow(SubtitleWindow);
    platform::DestroyWindow(MainWindow);
    platform::LetPendingEventsThrough();
    ReleaseShowState();
  }

  testing::TestFolder folder;
};

TEST_F(MainWindowTest, StageCoversTheScreenWithTheBackgroundStretched) {
  const auto screen = QGuiApplication::primaryScreen()->size();
  EXPECT_EQ(ShowData().ScreenSize.Width, screen.width());
  EXPECT_EQ(ShowData().ScreenSize.Height, screen.height());
  for (ControlRef control :
       {platform::WindowControl(MainWindow), platform::FindControl(MainWindow, kBackground)}) {
    EXPECT_EQ(platform::ReadInt(control, property::Left), 0);
    EXPECT_EQ(platform::ReadInt(control, property::Top), 0);
    EXPECT_EQ(platform::ReadInt(control, property::Width), screen.width());
    EXPECT_EQ(platform::ReadInt(control, property::Height), screen.height());
  }
  const int w = screen.width(), h = screen.height();
  EXPECT_EQ(ScreenColor(w / 4, h / 4), QColor(255, 0, 0));
  EXPECT_EQ(ScreenColor(3 * w / 4, h / 4), QColor(0, 255, 0));
  EXPECT_EQ(ScreenColor(w / 4, 7 * h / 8), QColor(0, 0, 255));
  EXPECT_EQ(ScreenColor(3 * w / 4, 7 * h / 8), QColor(255, 255, 0));
}

TEST_F(MainWindowTest, FirstButtonHasItsPicturesAndShapeButStaysHiddenWithTagOne) {
  const ControlRef button = platform::FindControl(MainWindow, kFirstHeartButton);
  EXPECT_FALSE(platform::ReadBool(button, property::Visible));
  EXPECT_EQ(platform::ReadText(button, property::Tag), "1");
  EXPECT_EQ(platform::ReadInt(button, property::TransparentColor), ColorKey);
  EXPECT_FALSE(platform::ReadBool(platform::FindControl(MainWindow, kNameLabel), property::Visible));

  platform::MoveControl(button, {.left = 100, .top = 100});
  platform::WriteBool(button, property::Visible, true);
  EXPECT_EQ(ScreenColor(170, 150), QColor(200, 0, 40)) << "the heart's own half";
  EXPECT_EQ(ScreenColor(120, 150), QColor(255, 0, 0)) << "the cut-out half shows the background";
}

TEST_F(MainWindowTest, HeartTablesAreCopiedIntoTheState) {
  ASSERT_EQ(ShowData().HeartX.Count(), kHeartPointCount);
  ASSERT_EQ(ShowData().HeartY.Count(), kHeartPointCount);
  EXPECT_EQ(ShowData().HeartX.At(16), 345);
  EXPECT_EQ(ShowData().HeartY.At(4), -41);
}

TEST_F(MainWindowTest, OverlayHoldsTheSubtitleInTheShowsColour) {
  ASSERT_NE(SubtitleWindow, 0u);
  const ControlRef label = platform::FindControl(SubtitleWindow, kSubtitleLabel);
  EXPECT_EQ(platform::ReadText(label, property::Caption), "\xC4\xE3\xBA\xC3\r\nline two\r\n");
  EXPECT_EQ(platform::ReadInt(label, property::LabelTextColor), 65280);
  EXPECT_EQ(
      platform::ReadInt(platform::FindControl(MainWindow, kNameLabel), property::TransparentLabelTextColor),
      65280);
}

TEST_F(MainWindowTest, MissingSongIsSilentAndHarmless) {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(platform::SongStartCount(), 0);
  EXPECT_TRUE(platform::ControlExists(platform::WindowControl(MainWindow)));
}

}  // namespace
}  // namespace heartstage::stage
