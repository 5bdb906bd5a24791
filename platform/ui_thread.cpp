#include "platform/ui_thread.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace heartstage::platform {
namespace {

std::mutex mutex;
std::condition_variable changed;
bool cancelled = false;

bool OnUserInterfaceThread() {
  QCoreApplication* application = QCoreApplication::instance();
  return application == nullptr || QThread::currentThread() == application->thread();
}

}  // namespace

bool RunOnUserInterfaceThreadAndWait(const std::function<void()>& work) {
  if (OnUserInterfaceThread()) {
    if (WorkerWaitsCancelled()) return false;
    work();
    return true;
  }
  // Shared, because a cancelled writer returns before the user-interface thread has seen the request.
  auto done = std::make_shared<bool>(false);
  {
    std::lock_guard lock(mutex);
    if (cancelled) return false;
  }
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [done, &work] {
        {
          // Cancelling happens on this thread too, so a request seen here uncancelled has a waiting writer.
          std::lock_guard lock(mutex);
          if (cancelled) return;
        }
        work();
        std::lock_guard lock(mutex);
        *done = true;
        changed.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex);
  changed.wait(lock, [&] { return *done || cancelled; });
  return *done;
}

bool SleepUnlessCancelled(std::chrono::steady_clock::duration duration) {
  std::unique_lock lock(mutex);
  return !changed.wait_for(lock, duration, [] { return cancelled; });
}

void CancelWorkerWaits() {
  std::lock_guard lock(mutex);
  cancelled = true;
  changed.notify_all();
}

bool WorkerWaitsCancelled() {
  std::lock_guard lock(mutex);
  return cancelled;
}

}  // namespace heartstage::platform
