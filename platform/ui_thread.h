// Work that a worker thread asks of the user-interface thread, and waits that a stop can cut short.
//
// Only the user-interface thread touches widgets. A worker hands its change over and waits until it is done,
// so a picture it writes is on screen when the write returns. Two things end such a wait early: the stop of
// that one worker (WorkerStop, requested by whoever is about to join it) and, at the ending, the cancelling
// of every wait. A worker whose wait ended early returns at once instead of deadlocking against a
// user-interface thread that is joining it, and what it handed over is not carried out any more.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace heartstage::platform {

// One worker's stop. Requested on the user-interface thread; the worker sees it at its next wait or test.
class WorkerStop {
 public:
  void Request();
  bool Requested() const;

 private:
  bool requested_ = false;  // guarded by the waits' mutex, so a waiting worker cannot miss it
};

// Ties the calling worker thread's waits to `stop` for the rest of its life.
void BindWorkerStop(std::shared_ptr<WorkerStop> stop);

// Runs `work` on the user-interface thread: at once when called there, otherwise handed over while the
// caller waits. Returns false, without the work done, when the caller's stop or the ending came first.
bool RunOnUserInterfaceThreadAndWait(const std::function<void()>& work);

// Sleeps the calling worker until `deadline`, or until its stop or the ending; false when cut short.
bool SleepUntilUnlessStopped(std::chrono::steady_clock::time_point deadline);

// True once the calling worker's stop or the ending has been requested.
bool WorkerShouldStop();

// Ends every wait above, now and for good. User-interface thread, at the ending.
void CancelWorkerWaits();
bool WorkerWaitsCancelled();

}  // namespace heartstage::platform
