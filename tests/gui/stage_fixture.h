// A stage opened from its real forms over a small show of the test's own, written to a temporary folder:
// four-colour background, hearts whose left half is the key colour, a subtitle and a settings file.
#pragma once

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <string>

#include "../unit/test_folder.h"
#include "platform/controls.h"
#include "platform/song.h"
#include "platform/windows.h"
#include "show/assets.h"
#include "show/heart_layout.h"
#include "show/state.h"
#include "stage/chase.h"
#include "stage/forms.h"
#include "stage/main_window.h"

namespace heartstage::stage::testing {

inline std::string EncodedBmp(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return bytes.toStdString();
}

// A 100 x 100 heart picture: left half the key colour, right half `color`.
inline std::string HalfHeart(QColor color) {
  QImage heart(100, 100, QImage::Format_RGB32);
  heart.fill(QColor(255, 0, 255));
  QPainter(&heart).fillRect(50, 0, 50, 100, color);
  return EncodedBmp(heart);
}

inline QColor ScreenColor(int x, int y) {
  QTest::qWait(60);
  return QColor(QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1).toImage().pixel(0, 0));
}

inline const QColor kNormalHeart(200, 0, 40);
inline const QColor kLitHeart(255, 200, 0);

class StageFixture : public ::testing::Test {
 protected:
  // What the show's files hold; a test may change them before calling OpenStage.
  std::string subtitle = "\xC4\xE3\xBA\xC3\r\nline two\r\n";  // "你好"
  std::string config = "[Color]\r\nColor=65280\r\n";
  // Whether the show's sequence runs at the stage's first activation, as in the program; otherwise a test
  // drives the parts of the stage itself.
  bool run_sequence = false;

  void SetUp() override {
    QImage quadrants(4, 4, QImage::Format_RGB32);
    QPainter painter(&quadrants);
    painter.fillRect(0, 0, 2, 2, QColor(255, 0, 0));
    painter.fillRect(2, 0, 2, 2, QColor(0, 255, 0));
    painter.fillRect(0, 2, 2, 2, QColor(0, 0, 255));
    painter.fillRect(2, 2, 2, 2, QColor(255, 255, 0));
    painter.end();
    folder.Write("Default/MGH_BG.gif", EncodedBmp(quadrants));  // any format the decoders know will do
    folder.Write("Default/MGH_Default.bmp", HalfHeart(kNormalHeart));
    folder.Write("Default/MGH_Focus.bmp", HalfHeart(kLitHeart));
    UseRunDirectory(folder.Path().string());
    ChaseStop = 0;
  }

  void OpenStage() {
    folder.Write("Default/Subtitle.txt", subtitle);
    folder.Write("Default/Config.ini", config);
    AllocateShowState();
    platform::WindowForm form = MainWindowForm();
    if (!run_sequence) {
      std::erase_if(form.bindings, [](const platform::EventBinding& binding) {
        return binding.event == platform::Event::FirstActivated;
      });
    }
    ASSERT_TRUE(OpenMainWindow(form));
    if (!run_sequence) QTest::qWait(100);
  }

  // What the painting does, without its pauses: 29 copies of the first button at their heart points.
  void PlaceHeart() {
    ShowState& state = ShowData();
    const ControlRef first = platform::FindControl(MainWindow, kFirstHeartButton);
    const ButtonPlace place = HeartButtonPlace(1);
    platform::MoveControl(first, {.left = place.Left, .top = place.Top});
    platform::WriteBool(first, platform::property::Visible, true);
    for (std::int32_t k = 2; k <= kHeartPointCount; ++k) {
      const ControlRef copy = platform::CopyControl(first);
      platform::WriteInt(copy, platform::property::TransparentColor, ColorKey);
      platform::WritePicture(copy, platform::property::NormalPicture, state.Pictures.Normal);
      platform::WritePicture(copy, platform::property::HotPicture, state.Pictures.Focus);
      platform::WritePicture(copy, platform::property::PressedPicture, state.Pictures.Normal);
      const ButtonPlace at = HeartButtonPlace(k);
      platform::MoveControl(copy, {.left = at.Left, .top = at.Top});
      platform::WriteText(copy, platform::property::Tag, std::to_string(k));
      platform::WriteBool(copy, platform::property::Visible, true);
      state.HeartButtons.Append(copy);
    }
  }

  void TearDown() override {
    EndChaseWorker();
    SetHeartComplete(false);
    ObserveChase(nullptr);
    platform::StopSong();
    if (SubtitleWindow) platform::DestroyWindow(SubtitleWindow);
    if (MainWindow) platform::DestroyWindow(MainWindow);
    platform::LetPendingEventsThrough();
    SubtitleWindow = MainWindow = 0;
    ReleaseShowState();
    ChaseStop = 0;
  }

  heartstage::testing::TestFolder folder;
};

}  // namespace heartstage::stage::testing
