// The program's start and its three ways to end: the last window closed, the exit item of the menu, and an
// internal failure. The platform supplies what only it can do (a run time, windows, an event loop, an error
// box) through ShowRuntime; everything about order, once-only clean-up and exit statuses lives here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace heartstage {

// The kinds of internal failure that end the program with status -1.
enum class FatalFailure {
  OutOfMemory,
  MainWindowNotOpened,
  ListIndexOutOfRange,
  EventNotFromPictureButton,
  StateNotAllocated,
};

// The failure's name as the error box shows it.
const char* DescribeFailure(FatalFailure failure);

// What the show asks of the user-interface platform.
class ShowRuntime {
 public:
  virtual ~ShowRuntime() = default;
  // Brings the run time up on the calling thread, which becomes the user-interface thread.
  virtual void Initialise() = 0;
  // Opens MainWindow; its creation handler runs before this returns. False when it could not be opened.
  virtual bool OpenMainWindow() = 0;
  virtual bool AnyWindowOpen() = 0;
  // Runs the event loop until the last window of the program has been destroyed.
  virtual void RunEventLoop() = 0;
  virtual bool OnUserInterfaceThread() = 0;
  // Queues `work` to run on the user-interface thread at its next event pass.
  virtual void RunOnUserInterfaceThread(std::function<void()> work) = 0;
  // Stops what still runs beside the windows (workers) and destroys every window still open.
  virtual void TearDownWindows() = 0;
  // Shows the fatal error box and returns when it is closed.
  virtual void ShowFatalErrorBox(const std::string& message) = 0;
};

// The runtime StartShow and the endings use. Must be installed before StartShow.
void InstallRuntime(ShowRuntime* runtime);

// The program's entry: brings up the run time, allocates the state, registers its release, opens MainWindow
// and runs the event loop. Ends the process with status 0 once the last window is gone; does not return.
[[noreturn]] void StartShow();

// True from the moment an ending has begun: the platform drops every event instead of running a handler.
bool EndingHasBegun();

// A thread other than the user-interface thread that asks for the end hands it over and then waits for the
// process to end. `announce` runs on the calling thread just before it starts waiting, so that whoever would
// join that thread knows it never returns.
void OnThisThreadWaitingForTheEnd(std::function<void()> announce);

// The single clean-up slot; registering replaces any earlier routine.
void RegisterCleanup(void (*cleanup)());

// Ends the program at once with `exit_code` (-1 is status 255). Callable from any thread.
[[noreturn]] void EndProgram(std::int32_t exit_code);

// Tells the user which internal failure happened and ends with -1, without the clean-up. Any thread.
[[noreturn]] void ReportFatalError(FatalFailure failure);

}  // namespace heartstage
