// Work that a worker thread asks of the user-interface thread, and waits that the ending can cut short.
//
// Only the user-interface thread touches widgets. A worker hands its change over and waits until it is done,
// so a picture it writes is on screen when the write returns. The ending cancels every such wait first: a
// waiting worker then returns at once instead of deadlocking against a user-interface thread that is
// joining it, and nothing handed over is carried out any more.
#pragma once

#include <chrono>
#include <functional>

namespace heartstage::platform {

// Runs `work` on the user-interface thread: at once when called there, otherwise handed over while the
// caller waits. Returns false, without the work done, once waits have been cancelled.
bool RunOnUserInterfaceThreadAndWait(const std::function<void()>& work);

// Sleeps the calling worker for `duration` or until waits are cancelled; false when cancelled.
bool SleepUnlessCancelled(std::chrono::steady_clock::duration duration);

// Ends every wait above, now and for good. User-interface thread, at the ending.
void CancelWorkerWaits();
bool WorkerWaitsCancelled();

}  // namespace heartstage::platform
