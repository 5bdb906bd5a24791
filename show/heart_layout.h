// The heart's 30 points and the rule that places the button of point k on a screen of any size.
//
// The points are the top-left corners of 100 x 100 buttons inside an 800 x 600 reference area; the area is
// centred on the screen. Point 1 is the notch at the top middle; the points run counter-clockwise as seen on
// screen, over the left lobe, down to the tip (point 16) and back up over the right lobe.
#pragma once

#include <array>
#include <cstdint>

namespace heartstage {

inline constexpr int kHeartPointCount = 30;

struct HeartPointTables {
  std::array<std::int32_t, kHeartPointCount> X;
  std::array<std::int32_t, kHeartPointCount> Y;
};

inline constexpr HeartPointTables HeartPoints{
    {342, 307, 250, 168, 97,  48,  20,  12,  19,  49,  100, 160, 221, 277, 324,
     345, 389, 433, 489, 551, 610, 659, 674, 674, 671, 644, 595, 518, 451, 400},
    {81,  23,  -23, -41, -19, 31,  93,  157, 220, 278, 327, 367, 404, 449, 491,
     540, 485, 436, 388, 348, 301, 250, 192, 132, 77,  26,  -20, -37, -25, 22},
};

struct ButtonPlace {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  friend constexpr bool operator==(const ButtonPlace&, const ButtonPlace&) = default;
};

// The place of a button whose corner is (x, y) in the reference area, on a screen of the given size:
// double arithmetic, truncated toward zero, top before left.
constexpr ButtonPlace PlaceInReferenceArea(std::int32_t x, std::int32_t y, std::int32_t screen_width,
                                           std::int32_t screen_height) {
  const double a = screen_width / 2.0;
  const double left = (x + a) - 400;
  const double b = screen_height / 2.0;
  const double top = (y + b) - 300;
  const auto truncated_top = static_cast<std::int32_t>(top);
  return {static_cast<std::int32_t>(left), truncated_top};
}

// Fills HeartX and HeartY of the show state with fresh copies of the tables.
void CopyHeartPointsToState();

// The place of point k (1 ... 30) from HeartX, HeartY and ScreenSize of the show state as they are now.
ButtonPlace HeartButtonPlace(std::int32_t k);

}  // namespace heartstage
