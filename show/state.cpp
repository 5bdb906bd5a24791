#include "show/state.h"

namespace heartstage {
namespace {

std::unique_ptr<ShowState> show_state;

}  // namespace

ShowState& ShowData() {
  if (!show_state) ReportFatalError(FatalFailure::StateNotAllocated);
  return *show_state;
}

bool ShowStateAllocated() {
  return show_state != nullptr;
}

void AllocateShowState() {
  show_state = std::make_unique<ShowState>();
}

void ReleaseShowState() {
  if (!show_state) return;
  // Released in the order they were allocated in; a plain reset would go backwards.
  ShowState& state = *show_state;
  state.Pictures = {};
  state.HeartButtons = {};
  state.Delays = {};
  state.Messages = {};
  state.ScreenSize = {};
  state.HeartX = {};
  state.HeartY = {};
  state.ShowTexts = {};
  show_state.reset();
}

}  // namespace heartstage
