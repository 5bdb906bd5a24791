// MainWindow opened from its form over a fixture show: the stage laid over the whole screen with the
// background stretched, the first heart button given its pictures and shape, the overlay opened with the
// subtitle, and the song started.
#include <chrono>
#include <thread>

#include "stage_fixture.h"

namespace heartstage::stage {
namespace {

namespace property = platform::property;
using testing::ScreenColor;

class MainWindowTest : public testing::StageFixture {
 protected:
  void SetUp() override {
    StageFixture::SetUp();
    OpenStage();
  }
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
  EXPECT_EQ(ScreenColor(170, 150), testing::kNormalHeart) << "the heart's own half";
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
