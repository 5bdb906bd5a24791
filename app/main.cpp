// heartstage: a full-screen declaration of love, read from the folder Default beside the program file.
// The program takes no arguments.
#include "platform/runtime.h"
#include "show/lifecycle.h"
#include "stage/chase.h"
#include "stage/main_window.h"

namespace {

class HeartstageRuntime : public heartstage::platform::QtRuntime {
 public:
  bool OpenMainWindow() override { return heartstage::stage::OpenMainWindow(); }
  // The chase worker reads the state that the clean-up releases: it is stopped before anything goes.
  void TearDownWindows() override {
    heartstage::stage::EndChaseWorker();
    QtRuntime::TearDownWindows();
  }
};

}  // namespace

int main() {
  static HeartstageRuntime runtime;
  heartstage::InstallRuntime(&runtime);
  heartstage::StartShow();
}
