#include "show/heart_layout.h"

#include <vector>

#include "show/state.h"

namespace heartstage {
namespace {

// The worked values that any change to the tables or the rule must keep.
static_assert(PlaceInReferenceArea(HeartPoints.X[0], HeartPoints.Y[0], 1920, 1080) == ButtonPlace{902, 321});
static_assert(PlaceInReferenceArea(HeartPoints.X[3], HeartPoints.Y[3], 1366, 768) == ButtonPlace{451, 43});
static_assert(PlaceInReferenceArea(HeartPoints.X[15], HeartPoints.Y[15], 1024, 768) == ButtonPlace{457, 624});
static_assert(PlaceInReferenceArea(HeartPoints.X[23], HeartPoints.Y[23], 800, 600) == ButtonPlace{674, 132});
// Truncation toward zero, not flooring: -40.5 becomes -40.
static_assert(PlaceInReferenceArea(HeartPoints.X[3], HeartPoints.Y[3], 1365, 601) == ButtonPlace{450, -40});

}  // namespace

void CopyHeartPointsToState() {
  ShowState& state = ShowData();
  state.HeartX =
      ShowList<std::int32_t>(std::vector<std::int32_t>(HeartPoints.X.begin(), HeartPoints.X.end()));
  state.HeartY =
      ShowList<std::int32_t>(std::vector<std::int32_t>(HeartPoints.Y.begin(), HeartPoints.Y.end()));
}

ButtonPlace HeartButtonPlace(std::int32_t k) {
  const ShowState& state = ShowData();
  return PlaceInReferenceArea(state.HeartX.At(k), state.HeartY.At(k), state.ScreenSize.Width,
                              state.ScreenSize.Height);
}

}  // namespace heartstage
