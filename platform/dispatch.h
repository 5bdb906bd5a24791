// Running the program's event handlers: once an ending has begun, events are dropped instead.
#pragma once

#include <functional>

#include "show/lifecycle.h"

namespace heartstage::platform {

inline void RunHandler(const std::function<void()>& handler) {
  if (handler && !EndingHasBegun()) handler();
}

}  // namespace heartstage::platform
