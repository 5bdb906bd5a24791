// The chase: one lit button running round the heart on a worker thread, point 2 to point 30 for one
// Delays.Flicker each, point 1 only for the instant between two changes, sweep after sweep until ChaseStop
// is set. The worker lights a button by making Pictures.Focus its normal picture and unlights it with
// Pictures.Normal; each change is on screen before the worker sleeps.
//
// What holds for the workers: at most one changes the buttons at any time (a start first stops the previous
// worker and waits for it); none runs before the heart is complete, so none reads HeartButtons while it is
// being filled; and none touches a button or the state once the stage is going or the state is released
// (EndChaseWorker, which every ending calls first). ChaseStop is only polled at step boundaries; the
// stops that the program itself needs (a restart, the ending) also cut a sleep or a picture change short.
#pragma once

#include <functional>

#include "show/state.h"

namespace heartstage::stage {

// From now on workers may run: the heart is complete. Until then a start is left to the one the painting
// makes when it has finished.
void SetHeartComplete(bool complete);

// Starts a worker on ChaseLoop, after stopping any worker still running and unlighting what it left lit.
// False when no worker was started.
bool StartChaseWorker();

// The worker's routine; returns once it has seen ChaseStop other than 0, leaving every button unlit.
void ChaseLoop();

// Stops the worker and waits until it has returned. Safe with no worker, and more than once.
void EndChaseWorker();

// Called on the worker after each picture change that reached the screen: the button and whether it is now
// lit. For measurements and tests; set it while no worker runs.
using ChaseObserver = std::function<void(ControlRef button, bool lit)>;
void ObserveChase(ChaseObserver observer);

}  // namespace heartstage::stage
