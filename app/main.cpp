// heartstage: a full-screen declaration of love, read from the folder Default beside the program file.
// The program takes no arguments.
#include "platform/runtime.h"
#include "show/lifecycle.h"
#include "stage/main_window.h"

namespace {

class HeartstageRuntime : public heartstage::platform::QtRuntime {
 public:
  bool OpenMainWindow() override { return heartstage::stage::OpenMainWindow(); }
};

}  // namespace

int main() {
  static HeartstageRuntime runtime;
  heartstage::InstallRuntime(&runtime);
  heartstage::StartShow();
}
