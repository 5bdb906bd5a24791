#include "stage/chase.h"

#include <pthread.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/controls.h"
#include "platform/ui_thread.h"
#include "show/lifecycle.h"
#include "stage/forms.h"
#include "stage/main_window.h"
#include "stage/step_pacer.h"

namespace heartstage::stage {
namespace {

namespace property = platform::property;

// What the user-interface thread knows of the worker it started.
struct Worker {
  std::shared_ptr<platform::WorkerStop> stop = std::make_shared<platform::WorkerStop>();
  std::mutex mutex;
  std::condition_variable changed;
  bool returned = false;
  bool waiting_for_the_end = false;  // the worker asked for the program's end and never returns

  void Mark(bool Worker::*flag) {
    std::lock_guard lock(mutex);
    this->*flag = true;
    changed.notify_all();
  }
};

// User-interface thread only.
std::shared_ptr<Worker> current_worker;
bool heart_complete = false;

// Written on the user-interface thread before a worker starts, read by that worker.
ControlRef first_button;
ChaseObserver observer;

// One picture change; false when the worker has been told to stop and must return now.
bool Show(ControlRef button, const ByteBuffer& picture, bool lit) {
  platform::WritePicture(button, property::NormalPicture, picture);
  if (platform::WorkerShouldStop()) return false;
  if (observer) observer(button, lit);
  return true;
}

void UnlightAll() {
  const ShowState& state = ShowData();
  platform::WritePicture(first_button, property::NormalPicture, state.Pictures.Normal);
  for (const ControlRef& button : state.HeartButtons.Items()) {
    platform::WritePicture(button, property::NormalPicture, state.Pictures.Normal);
  }
}

// Stops the current worker and waits for it. A worker that was still running may have left a button lit.
void StopWorker(bool unlight) {
  if (!current_worker) return;
  std::shared_ptr<Worker> worker = std::exchange(current_worker, nullptr);
  bool was_running;
  {
    std::unique_lock lock(worker->mutex);
    was_running = !worker->returned;
  }
  worker->stop->Request();
  std::unique_lock lock(worker->mutex);
  worker->changed.wait(lock, [&] { return worker->returned || worker->waiting_for_the_end; });
  if (worker->returned) {
    ChaseThread.join();
  } else {
    // It waits for the end of the process, which is under way; joining it would never return.
    ChaseThread.detach();
  }
  lock.unlock();
  if (unlight && was_running && ShowStateAllocated()) UnlightAll();
}

}  // namespace

void SetHeartComplete(bool complete) {
  heart_complete = complete;
}

void ObserveChase(ChaseObserver chase_observer) {
  observer = std::move(chase_observer);
}

bool StartChaseWorker() {
  if (!heart_complete) return false;
  StopWorker(true);
  first_button = platform::FindControl(MainWindow, kFirstHeartButton);
  auto worker = std::make_shared<Worker>();
  try {
    ChaseThread = std::thread([worker] {
      // Named, so that a look at the process tells how many chase workers it runs.
      pthread_setname_np(pthread_self(), "chase");
      platform::BindWorkerStop(worker->stop);
      OnThisThreadWaitingForTheEnd([worker] { worker->Mark(&Worker::waiting_for_the_end); });
      ChaseLoop();
      worker->Mark(&Worker::returned);
    });
  } catch (const std::system_error&) {
    // No thread could be made: no chase, as if it had been stopped.
    return false;
  }
  current_worker = worker;
  return true;
}

void ChaseLoop() {
  const ShowState& state = ShowData();
  const ByteBuffer& lit = state.Pictures.Focus;
  const ByteBuffer& unlit = state.Pictures.Normal;
  const ShowList<ControlRef>& buttons = state.HeartButtons;
  // Counted from the first point's light on; a step that ran late is never made up at the expense of the
  // next point's time.
  std::optional<StepPacer<>> pacer;
  for (;;) {
    if (ChaseStop.load() != 0) return;
    if (!Show(first_button, lit, true)) return;
    const std::int32_t count = buttons.Count();
    if (count == 0) {
      // Nothing to run round: leave point 1 as it was.
      Show(first_button, unlit, false);
      return;
    }
    for (std::int32_t k = 1; k <= count; ++k) {
      if (!Show(buttons.At(k), lit, true)) return;
      if (!Show(k == 1 ? first_button : buttons.At(k - 1), unlit, false)) return;
      if (ChaseStop.load() != 0) {
        if (!Show(buttons.At(k), unlit, false)) return;
        break;
      }
      if (state.Delays.Flicker <= 0) std::this_thread::yield();
      if (!pacer) pacer.emplace(state.Delays.Flicker, 0);
      if (!platform::SleepUntilUnlessStopped(pacer->NextDeadline())) return;
    }
    if (!Show(buttons.At(buttons.Count()), unlit, false)) return;
  }
}

void EndChaseWorker() {
  StopWorker(false);
}

}  // namespace heartstage::stage
