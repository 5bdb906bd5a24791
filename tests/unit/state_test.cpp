// The show state's checked lists and the program's endings, driven through a runtime that stands in for
// the platform. Every ending ends the process, so each runs as a death test and reports through stderr.
#include "show/state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "show/lifecycle.h"
#include "test_folder.h"

namespace heartstage {
namespace {

using ::testing::ExitedWithCode;

TEST(ShowListTest, IndexesFromOneAndRejectsEverythingOutside) {
  ShowList<int> list(std::vector<int>{10, 20, 30});
  EXPECT_EQ(list.At(1), 10);
  EXPECT_EQ(list.At(3), 30);
  for (std::int64_t bad : {0LL, -1LL, 4LL, 1LL << 40}) {
    EXPECT_EXIT(list.At(bad), ExitedWithCode(255), "list index was out of range") << bad;
  }
  ShowList<int> empty;
  EXPECT_EXIT(empty.At(1), ExitedWithCode(255), "list index was out of range");
}

TEST(ShowStateTest, AllocationStartsEmptyAndReleaseForgetsEverything) {
  AllocateShowState();
  const ShowState& state = ShowData();
  EXPECT_TRUE(state.Pictures.Normal.empty());
  EXPECT_EQ(state.Delays.Flicker, 0);
  EXPECT_EQ(state.ShowTexts.Color, 0);
  EXPECT_EQ(state.HeartButtons.Count(), 0);
  EXPECT_EQ(state.HeartX.Count(), 0);
  ReleaseShowState();
  EXPECT_FALSE(ShowStateAllocated());
  ReleaseShowState();  // a second release finds nothing to do
  EXPECT_EXIT(ShowData(), ExitedWithCode(255), "state was used while not allocated");
}

// Stands in for the platform: an event loop that runs queued work, and a log of what was asked of it.
class FakeRuntime : public ShowRuntime {
 public:
  bool open_succeeds = true;
  std::function<void()> during_event_loop;

  void Initialise() override {
    user_interface_thread_ = std::this_thread::get_id();
    Log("initialise");
  }
  bool OpenMainWindow() override {
    Log(ShowStateAllocated() ? "open with state" : "open without state");
    return open_succeeds;
  }
  bool AnyWindowOpen() override { return open_succeeds; }
  void RunEventLoop() override {
    Log("event loop");
    if (during_event_loop) during_event_loop();
    for (;;) {
      std::function<void()> work;
      {
        std::lock_guard lock(mutex_);
        if (!queue_.empty()) {
          work = std::move(queue_.front());
          queue_.pop_front();
        }
      }
      if (work)
        work();
      else if (!during_event_loop)
        return;
      else
        std::this_thread::yield();
    }
  }
  bool OnUserInterfaceThread() override { return std::this_thread::get_id() == user_interface_thread_; }
  void RunOnUserInterfaceThread(std::function<void()> work) override {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
  }
  void TearDownWindows() override {
    Log(OnUserInterfaceThread() ? "tear down on ui" : "tear down elsewhere");
    Log(EndingHasBegun() ? "handlers stopped" : "handlers still running");
  }
  void ShowFatalErrorBox(const std::string& message) override {
    Log(std::string("box on ") + (OnUserInterfaceThread() ? "ui: " : "other: ") + message);
  }

  static void Log(const std::string& line) { std::fprintf(stderr, "[%s]\n", line.c_str()); }

 private:
  std::thread::id user_interface_thread_;
  std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
};

// A clean-up that reaches the ending steps a second time on the way out.
void LogCleanupAndEndAgain() {
  FakeRuntime::Log("cleanup");
  EndProgram(7);
}

TEST(LifecycleTest, LastWindowGoneEndsWithZeroAfterTearDownAndOneRelease) {
  EXPECT_EXIT(
      {
        FakeRuntime runtime;
        InstallRuntime(&runtime);
        StartShow();
      },
      ExitedWithCode(0),
      R"(\[initialise\]\s+\[open with state\]\s+\[event loop\]\s+\[tear down on ui\]\s+\[handlers stopped\]\s*$)");
}

TEST(LifecycleTest, MainWindowThatCannotOpenIsAFatalFailure) {
  EXPECT_EXIT(
      {
        FakeRuntime runtime;
        runtime.open_succeeds = false;
        InstallRuntime(&runtime);
        StartShow();
      },
      ExitedWithCode(255), R"(\[box on ui: .*the main window could not be opened.*\]\s+\[tear down on ui\])");
}

TEST(LifecycleTest, CleanupRunsOnceAcrossRepeatedEndings) {
  EXPECT_EXIT(
      {
        FakeRuntime runtime;
        runtime.during_event_loop = [] {
          RegisterCleanup(LogCleanupAndEndAgain);
          std::thread([] { EndProgram(7); }).detach();
        };
        InstallRuntime(&runtime);
        StartShow();
      },
      ExitedWithCode(7),
      R"(\[tear down on ui\]\s+\[handlers stopped\]\s+\[cleanup\]\s+\[tear down on ui\]\s+\[handlers stopped\]\s*$)");
}

TEST(LifecycleTest, FatalErrorOnAWorkerShowsItsBoxOnTheUserInterfaceThreadAndSkipsCleanup) {
  testing::TestFolder folder;
  const std::string marker = folder / "cleanup-ran";
  static std::string cleanup_marker;
  cleanup_marker = marker;
  EXPECT_EXIT(
      {
        FakeRuntime runtime;
        runtime.during_event_loop = [] {
          RegisterCleanup([] { std::fclose(std::fopen(cleanup_marker.c_str(), "w")); });
          std::thread([] { ShowList<int>().At(1); }).detach();
        };
        InstallRuntime(&runtime);
        StartShow();
      },
      ExitedWithCode(255),
      R"(\[box on ui: heartstage failed while running: a list index was out of range\.\])");
  EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(LifecycleTest, ExitCodeMinusOneIsStatus255) {
  EXPECT_EXIT(EndProgram(-1), ExitedWithCode(255), "");
}

}  // namespace
}  // namespace heartstage
