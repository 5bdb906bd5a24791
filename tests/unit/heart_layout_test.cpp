#include "show/heart_layout.h"

#include <gtest/gtest.h>

#include "show/state.h"

namespace heartstage {
namespace {

class HeartButtonPlaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AllocateShowState();
    CopyHeartPointsToState();
  }
  void TearDown() override { ReleaseShowState(); }

  static void UseScreen(std::int32_t width, std::int32_t height) { ShowData().ScreenSize = {width, height}; }
};

TEST_F(HeartButtonPlaceTest, CopiesBothTablesWithThirtyEntries) {
  ASSERT_EQ(ShowData().HeartX.Count(), 30);
  ASSERT_EQ(ShowData().HeartY.Count(), 30);
  EXPECT_EQ(ShowData().HeartX.At(1), 342);
  EXPECT_EQ(ShowData().HeartY.At(1), 81);
  EXPECT_EQ(ShowData().HeartX.At(16), 345);
  EXPECT_EQ(ShowData().HeartY.At(16), 540);
  EXPECT_EQ(ShowData().HeartX.At(30), 400);
  EXPECT_EQ(ShowData().HeartY.At(30), 22);
}

TEST_F(HeartButtonPlaceTest, WorkedValuesOnCommonScreens) {
  struct Case {
    std::int32_t width, height, point;
    ButtonPlace place;
  } cases[] = {
      {1920, 1080, 1, {902, 321}},   {1920, 1080, 4, {728, 199}}, {1920, 1080, 16, {905, 780}},
      {1920, 1080, 24, {1234, 372}}, {1366, 768, 1, {625, 165}},  {1366, 768, 4, {451, 43}},
      {1366, 768, 16, {628, 624}},   {1366, 768, 24, {957, 216}}, {1024, 768, 1, {454, 165}},
      {1024, 768, 4, {280, 43}},     {1024, 768, 16, {457, 624}}, {1024, 768, 24, {786, 216}},
      {800, 600, 1, {342, 81}},      {800, 600, 4, {168, -41}},   {800, 600, 16, {345, 540}},
      {800, 600, 24, {674, 132}},
  };
  for (const auto& c : cases) {
    UseScreen(c.width, c.height);
    EXPECT_EQ(HeartButtonPlace(c.point), c.place) << c.width << "x" << c.height << " point " << c.point;
  }
}

TEST_F(HeartButtonPlaceTest, SmallScreenLetsButtonsStickOutUnclipped) {
  UseScreen(800, 600);
  const std::int32_t points_above[] = {3, 4, 5, 27, 28, 29};
  const std::int32_t tops[] = {-23, -41, -19, -20, -37, -25};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(HeartButtonPlace(points_above[i]).Top, tops[i]);
  EXPECT_EQ(HeartButtonPlace(16).Top + 100, 640);
}

TEST_F(HeartButtonPlaceTest, WholeHeartFitsOn1024x768) {
  UseScreen(1024, 768);
  std::int32_t smallest_top = 1 << 30, lowest_edge = -(1 << 30);
  for (std::int32_t k = 1; k <= 30; ++k) {
    smallest_top = std::min(smallest_top, HeartButtonPlace(k).Top);
    lowest_edge = std::max(lowest_edge, HeartButtonPlace(k).Top + 100);
  }
  EXPECT_EQ(smallest_top, 43);
  EXPECT_EQ(lowest_edge, 724);
}

TEST_F(HeartButtonPlaceTest, OddSizesTruncateTowardZero) {
  UseScreen(1365, 601);
  for (std::int32_t k = 1; k <= 30; ++k) {
    EXPECT_EQ(HeartButtonPlace(k).Left, HeartPoints.X[k - 1] + 282) << "point " << k;
  }
  EXPECT_EQ(HeartButtonPlace(1).Top, 81);
  EXPECT_EQ(HeartButtonPlace(4).Top, -40);  // -40.5 truncated toward zero, not floored
}

TEST_F(HeartButtonPlaceTest, UnmeasuredScreenIsNotGuarded) {
  UseScreen(0, 0);
  EXPECT_EQ(HeartButtonPlace(1), (ButtonPlace{342 - 400, 81 - 300}));
}

TEST_F(HeartButtonPlaceTest, PointOutsideTheTablesIsAnInternalFailure) {
  EXPECT_EXIT(HeartButtonPlace(31), ::testing::ExitedWithCode(255), "list index was out of range");
  EXPECT_EXIT(HeartButtonPlace(0), ::testing::ExitedWithCode(255), "list index was out of range");
}

}  // namespace
}  // namespace heartstage
