// The chase on a stage with its 30 heart buttons: the order and timing of one sweep, stops at every point,
// restarts, storms of starts and stops, endings at any moment, and the chase behind a message box. Also
// run under ThreadSanitizer.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "stage_fixture.h"

namespace heartstage::stage {
namespace {

using Clock = std::chrono::steady_clock;

struct Change {
  ControlRef button;
  bool lit;
  Clock::time_point at;
  int worker;  // a number per worker thread (thread ids are reused once a thread has been joined)
};

// Every picture change the workers make, in order.
class ChaseLog {
 public:
  void Record(ControlRef button, bool lit) {
    static std::atomic<int> workers{0};
    thread_local const int worker = ++workers;
    std::lock_guard lock(mutex_);
    changes_.push_back({button, lit, Clock::now(), worker});
  }
  std::vector<Change> Changes() const {
    std::lock_guard lock(mutex_);
    return changes_;
  }
  std::size_t Size() const {
    std::lock_guard lock(mutex_);
    return changes_.size();
  }
  // The buttons lit after all changes so far.
  std::vector<ControlRef> LitNow() const {
    std::map<std::pair<std::uint32_t, std::uint32_t>, bool> lit;
    for (const Change& change : Changes()) lit[{change.button.Window, change.button.Control}] = change.lit;
    std::vector<ControlRef> result;
    for (const auto& [button, is_lit] : lit) {
      if (is_lit) result.push_back({button.first, button.second});
    }
    return result;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Change> changes_;
};

// Point k's button: 1 is the form's own, k > 1 is HeartButtons entry k - 1.
ControlRef Point(std::int32_t k) {
  return k == 1 ? platform::FindControl(MainWindow, kFirstHeartButton) : ShowData().HeartButtons.At(k - 1);
}

class ChaseTest : public testing::StageFixture {
 protected:
  void Open(int flicker_milliseconds) {
    config = "[Delay]\r\nFlicker=" + std::to_string(flicker_milliseconds) + "\r\n";
    OpenStage();
    PlaceHeart();
    ObserveChase([this](ControlRef button, bool lit) { log.Record(button, lit); });
    SetHeartComplete(true);
  }

  // Serves the workers' picture changes for a while, as the event loop does.
  static void RunEvents(std::chrono::milliseconds duration) {
    const auto until = Clock::now() + duration;
    while (Clock::now() < until) {
      platform::LetPendingEventsThrough();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  // Serves events until `done` holds, for at most `limit`.
  template <typename Condition>
  static bool RunEventsUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto until = Clock::now() + limit;
    while (!done()) {
      if (Clock::now() > until) return false;
      platform::LetPendingEventsThrough();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  ChaseLog log;
};

TEST_F(ChaseTest, OneSweepLightsPointsTwoToThirtyForADelayEachAndPointOneOnlyBetweenChanges) {
  constexpr int kFlicker = 40;
  Open(kFlicker);
  ASSERT_TRUE(StartChaseWorker());
  // One sweep and the start of the next: 3 changes to begin, 2 per step, then 4 at the turn.
  ASSERT_TRUE(RunEventsUntil([&] { return log.Size() >= 3 + 2 * 29 + 4; }));
  ChaseStop = 25;
  EndChaseWorker();
  const std::vector<Change> changes = log.Changes();

  std::vector<std::pair<std::int32_t, bool>> expected = {{1, true}, {2, true}, {1, false}};
  for (std::int32_t k = 3; k <= 30; ++k) {
    expected.push_back({k, true});
    expected.push_back({k - 1, false});
  }
  expected.insert(expected.end(), {{30, false}, {1, true}, {2, true}, {1, false}});
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(changes[i].button, Point(expected[i].first))
        << "change " << i << ": point " << expected[i].first;
    EXPECT_EQ(changes[i].lit, expected[i].second) << "change " << i;
  }
  // Each of points 2 to 30 stays lit for about one delay; point 1 for no delay at all.
  for (std::size_t i = 1; i + 2 < 3 + 2 * 29; i += 2) {
    const auto lit_for = changes[i + 2].at - changes[i].at;
    EXPECT_GE(lit_for, std::chrono::milliseconds(kFlicker / 2)) << "step at change " << i;
    EXPECT_LE(lit_for, std::chrono::milliseconds(kFlicker * 3)) << "step at change " << i;
  }
  EXPECT_LT(changes[2].at - changes[0].at, std::chrono::milliseconds(kFlicker / 2));
}

TEST_F(ChaseTest, StopAtEveryPointLeavesEveryButtonUnlitAndRestartBeginsAtPointTwo) {
  Open(5);
  for (std::int32_t stop_at = 2; stop_at <= 30; ++stop_at) {
    const ControlRef target = Point(stop_at);
    ObserveChase([&, target](ControlRef button, bool lit) {
      log.Record(button, lit);
      if (lit && button == target) ChaseStop = 25;  // asked for while that point is lit
    });
    ChaseStop = 0;
    const std::size_t before = log.Size();
    ASSERT_TRUE(StartChaseWorker());
    ASSERT_TRUE(RunEventsUntil([&] { return ChaseStop.load() != 0; })) << "stop at " << stop_at;
    RunEvents(std::chrono::milliseconds(60));
    const std::vector<Change> changes = log.Changes();
    EXPECT_TRUE(log.LitNow().empty()) << "stop at " << stop_at;
    // The restart began a new sweep: point 1, then point 2, then point 1 unlit.
    ASSERT_GE(changes.size(), before + 3);
    EXPECT_EQ(changes[before].button, Point(1));
    EXPECT_EQ(changes[before + 1].button, Point(2));
    EXPECT_TRUE(changes[before + 1].lit);
    if (stop_at == 30) {
      // Stopped during the sweep's last sleep: the sweep ends and nothing is lit again.
      EXPECT_EQ(changes.back().button, Point(30));
      EXPECT_FALSE(changes.back().lit);
    }
  }
}

TEST_F(ChaseTest, StopIsOnlySeenAtStepBoundariesNotDuringASleep) {
  constexpr int kFlicker = 300;
  Open(kFlicker);
  ASSERT_TRUE(StartChaseWorker());
  ASSERT_TRUE(RunEventsUntil([&] { return log.Size() >= 3; }));  // point 2 lit, its sleep begun
  const auto asked = Clock::now();
  ChaseStop = 25;
  ASSERT_TRUE(RunEventsUntil([&] { return log.LitNow().empty() && log.Size() >= 6; }));
  const std::vector<Change> changes = log.Changes();
  // Point 3 lit, point 2 unlit, point 3 unlit again: after the sleep, not at once.
  EXPECT_EQ(changes[3].button, Point(3));
  EXPECT_TRUE(changes[3].lit);
  EXPECT_GE(changes[3].at - asked, std::chrono::milliseconds(kFlicker / 3));
  EXPECT_EQ(changes[5].button, Point(3));
  EXPECT_FALSE(changes[5].lit);
}

TEST_F(ChaseTest, OnlyOneWorkerChangesTheButtonsThroughStormsOfStartsAndStops) {
  Open(2);
  std::mt19937 random(20261211);
  for (int i = 0; i < 150; ++i) {
    if (ChaseStop.load() == 0) {
      ChaseStop = 25;
    } else {
      ChaseStop = 0;
      StartChaseWorker();
    }
    RunEvents(std::chrono::milliseconds(random() % 12));
  }
  ChaseStop = 25;
  RunEvents(std::chrono::milliseconds(50));
  EndChaseWorker();
  // Once a worker's changes stop, they never come back: no two workers ever interleave.
  std::vector<int> seen;
  for (const Change& change : log.Changes()) {
    if (seen.empty() || seen.back() != change.worker) {
      EXPECT_EQ(std::find(seen.begin(), seen.end(), change.worker), seen.end()) << "a worker came back";
      seen.push_back(change.worker);
    }
  }
  EXPECT_GT(seen.size(), 10u);
  EXPECT_TRUE(log.LitNow().empty());
}

TEST_F(ChaseTest, EndingAtAnyMomentStopsTheWorkerWithoutDeadlock) {
  Open(3);
  std::mt19937 random(7);
  for (int i = 0; i < 100; ++i) {
    ChaseStop = 0;
    ASSERT_TRUE(StartChaseWorker());
    // Half the time the user-interface thread serves no event at all before it ends the worker, so the
    // worker may be waiting for it in the middle of a picture change.
    if (i % 2)
      RunEvents(std::chrono::milliseconds(random() % 10));
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 10));
    const auto started = Clock::now();
    EndChaseWorker();
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(500));
  }
  // Nothing changes any more once ended, and the state can go.
  const std::size_t size = log.Size();
  RunEvents(std::chrono::milliseconds(30));
  EXPECT_EQ(log.Size(), size);
}

TEST_F(ChaseTest, NoWorkerBeforeTheHeartIsCompleteAndAnEmptyHeartIsHandled) {
  config = "[Delay]\r\nFlicker=5\r\n";
  OpenStage();
  ObserveChase([this](ControlRef button, bool lit) { log.Record(button, lit); });
  EXPECT_FALSE(StartChaseWorker()) << "the painting starts the chase when the heart is complete";
  SetHeartComplete(true);
  ASSERT_TRUE(StartChaseWorker());  // no copies at all: nothing to run round
  RunEvents(std::chrono::milliseconds(50));
  EndChaseWorker();
  const std::vector<Change> changes = log.Changes();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_TRUE(changes[0].lit);
  EXPECT_FALSE(changes[1].lit);
}

TEST_F(ChaseTest, ChaseGoesOnBehindAMessageBox) {
  Open(10);
  ASSERT_TRUE(StartChaseWorker());
  const std::size_t before = log.Size();
  bool closed_by_the_chase = false;
  // The box closes once the chase has gone on for ten changes behind it, or after ten seconds without.
  QTimer poll;
  const auto opened = Clock::now();
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const bool chased = log.Size() >= before + 10;
    if (!chased && Clock::now() - opened < std::chrono::seconds(10)) return;
    closed_by_the_chase = chased;
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
  poll.start(5);
  platform::ShowMessageBox("chase", "Love");
  EXPECT_TRUE(closed_by_the_chase) << "the chase did not go on while the box was open";
  ChaseStop = 25;
}

TEST_F(ChaseTest, LitPictureIsOnScreenWhenTheWorkerSleeps) {
  Open(400);
  ASSERT_TRUE(StartChaseWorker());
  ASSERT_TRUE(RunEventsUntil([&] { return log.Size() >= 3; }));  // point 2 lit, the worker asleep
  const ButtonPlace place = HeartButtonPlace(2);
  EXPECT_EQ(testing::ScreenColor(place.Left + 75, place.Top + 50), testing::kLitHeart);
  ChaseStop = 25;
}

}  // namespace
}  // namespace heartstage::stage
