#include "platform/ui_thread.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace heartstage::platform {
namespace {

std::mutex mutex;
std::condition_variable changed;
bool cancelled = false;

thread_local std::shared_ptr<WorkerStop> bound_stop;

bool OnUserInterfaceThread() {
  QCoreApplication* application = QCoreApplication::instance();
  return application == nullptr || QThread::currentThread() == application->thread();
}

// With the mutex held.
bool StopRequested(const std::shared_ptr<WorkerStop>& stop) {
  return cancelled || (stop && stop->Requested());
}

}  // namespace

void WorkerStop::Request() {
  std::lock_guard lock(mutex);
  requested_ = true;
  changed.notify_all();
}

bool WorkerStop::Requested() const {
  return requested_;
}

void BindWorkerStop(std::shared_ptr<WorkerStop> stop) {
  bound_stop = std::move(stop);
}

namespace {

// A worker's request, handed over through a mailbox of our own rather than in the posted call itself, so
// that every hand-over happens under our mutex and stays visible to the thread sanitizer.
struct Request {
  const std::function<void()>* work;
  std::shared_ptr<WorkerStop> stop;
  bool done = false;
};
std::deque<std::shared_ptr<Request>> mailbox;

void ServeMailbox();

// Receives the queued call that tells the user-interface thread to look into the mailbox. A slot called by
// name, rather than a posted function object, leaves nothing written by the worker for the user-interface
// thread to read outside our mutex.
class MailboxServer : public QObject {
  Q_OBJECT

 public:
  Q_INVOKABLE void Serve() { ServeMailbox(); }
};

// Made on first use, by whichever thread, and handed to the user-interface thread. With the mutex held.
MailboxServer* Server() {
  static MailboxServer* server = [] {
    auto* made = new MailboxServer;
    made->moveToThread(QCoreApplication::instance()->thread());
    return made;
  }();
  return server;
}

void ServeMailbox() {
  for (;;) {
    std::shared_ptr<Request> request;
    {
      std::lock_guard lock(mutex);
      if (mailbox.empty()) return;
      request = std::move(mailbox.front());
      mailbox.pop_front();
      // Stops are requested on this thread too, so a request seen here unstopped still has its writer
      // waiting, and its work is still alive.
      if (StopRequested(request->stop)) continue;
    }
    (*request->work)();
    std::lock_guard lock(mutex);
    request->done = true;
    changed.notify_all();
  }
}

}  // namespace

bool RunOnUserInterfaceThreadAndWait(const std::function<void()>& work) {
  if (OnUserInterfaceThread()) {
    if (WorkerWaitsCancelled()) return false;
    work();
    return true;
  }
  auto request = std::make_shared<Request>(Request{&work, bound_stop});
  MailboxServer* server;
  {
    std::lock_guard lock(mutex);
    if (StopRequested(request->stop)) return false;
    mailbox.push_back(request);
    server = Server();
  }
  QMetaObject::invokeMethod(server, "Serve", Qt::QueuedConnection);
  std::unique_lock lock(mutex);
  changed.wait(lock, [&] { return request->done || StopRequested(request->stop); });
  return request->done;
}

bool SleepUntilUnlessStopped(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(mutex);
  return !changed.wait_until(lock, deadline, [] { return StopRequested(bound_stop); });
}

bool WorkerShouldStop() {
  std::lock_guard lock(mutex);
  return StopRequested(bound_stop);
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

#include "ui_thread.moc"
