#include "show/lifecycle.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>

#include "show/assets.h"
#include "show/state.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define HEARTSTAGE_LEAK_CHECK 1
#endif

namespace heartstage {
namespace {

ShowRuntime* runtime = nullptr;
std::atomic<bool> runtime_ready{false};
std::atomic<bool> ending{false};
std::atomic<bool> fatal_error_reported{false};
std::atomic<void (*)()> cleanup{nullptr};

thread_local std::function<void()> announce_waiting;

// A thread other than the user-interface thread that asked for the end waits here until the process ends.
[[noreturn]] void WaitForTheEnd() {
  if (announce_waiting) announce_waiting();
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

// Ending steps 3 to 5, on the user-interface thread.
[[noreturn]] void FinishEnding(std::int32_t exit_code) {
  if (runtime_ready) runtime->TearDownWindows();
  if (auto routine = cleanup.exchange(nullptr)) routine();
  std::fflush(nullptr);
#if HEARTSTAGE_LEAK_CHECK
  // _Exit skips the sanitizer's own leak check at exit: run it here, so a leak still fails a test run.
  if (exit_code == 0) __lsan_do_leak_check();
#endif
  std::_Exit(exit_code);
}

bool OnOtherThread() {
  return runtime_ready && !runtime->OnUserInterfaceThread();
}

[[noreturn]] void ShowBoxAndEnd(FatalFailure failure) {
  const std::string message =
      std::string("heartstage failed while running: ") + DescribeFailure(failure) + ".";
  std::fprintf(stderr, "%s\n", message.c_str());
  if (runtime_ready) runtime->ShowFatalErrorBox(message);
  cleanup = nullptr;
  FinishEnding(-1);
}

}  // namespace

const char* DescribeFailure(FatalFailure failure) {
  switch (failure) {
    case FatalFailure::OutOfMemory:
      return "out of memory";
    case FatalFailure::MainWindowNotOpened:
      return "the main window could not be opened";
    case FatalFailure::ListIndexOutOfRange:
      return "a list index was out of range";
    case FatalFailure::EventNotFromPictureButton:
      return "a click came from a control that is not a picture button";
    case FatalFailure::StateNotAllocated:
      return "the show's state was used while not allocated";
  }
  return "unknown failure";
}

void InstallRuntime(ShowRuntime* installed) {
  runtime = installed;
}

bool EndingHasBegun() {
  return ending.load();
}

void OnThisThreadWaitingForTheEnd(std::function<void()> announce) {
  announce_waiting = std::move(announce);
}

void RegisterCleanup(void (*routine)()) {
  cleanup = routine;
}

void StartShow() {
  // A failed allocation anywhere, on any thread, is reported instead of thrown through the event loop.
  std::set_new_handler([] { ReportFatalError(FatalFailure::OutOfMemory); });

  CaptureRunDirectory();
  runtime->Initialise();
  runtime_ready = true;

  AllocateShowState();
  RegisterCleanup(ReleaseShowState);

  if (!runtime->OpenMainWindow()) ReportFatalError(FatalFailure::MainWindowNotOpened);
  if (runtime->AnyWindowOpen()) runtime->RunEventLoop();
  EndProgram(0);
}

void EndProgram(std::int32_t exit_code) {
  ending = true;
  if (OnOtherThread()) {
    runtime->RunOnUserInterfaceThread([exit_code] { FinishEnding(exit_code); });
    WaitForTheEnd();
  }
  FinishEnding(exit_code);
}

void ReportFatalError(FatalFailure failure) {
  ending = true;
  const bool first = !fatal_error_reported.exchange(true);
  if (OnOtherThread()) {
    if (first) runtime->RunOnUserInterfaceThread([failure] { ShowBoxAndEnd(failure); });
    WaitForTheEnd();
  }
  if (first) ShowBoxAndEnd(failure);
  // A second failure while the first is being reported: the user is being told already; end now.
  cleanup = nullptr;
  FinishEnding(-1);
}

}  // namespace heartstage
