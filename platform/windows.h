// Top-level windows of the program, opened from their forms, and the operations on them that the stage uses.
// A window is addressed as the control (window identifier, 0).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "show/state.h"

namespace heartstage::platform {

using Handler = std::function<void()>;

struct WindowForm {
  std::string name;
  // The size in the form; the window is centred on the primary screen at creation.
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool visible = true;
  Handler on_created;
  Handler on_first_activated;
  Handler on_destroying;
};

// Opens a window from its form; its creation handler runs before this returns and before the window is
// first shown. The identifier is stored in `identifier` before the creation handler runs, since that
// handler addresses its own window. Returns the identifier, or 0 when the window could not be opened.
std::uint32_t OpenWindow(const WindowForm& form, std::uint32_t* identifier);

ControlRef WindowControl(std::uint32_t window);

std::int32_t OpenWindowCount();

// Moves and resizes a control in the client coordinates of its container; what is not given stays.
void MoveControl(ControlRef control, std::optional<std::int32_t> left, std::optional<std::int32_t> top,
                 std::optional<std::int32_t> width, std::optional<std::int32_t> height);

struct ScreenDimensions {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
ScreenDimensions PrimaryScreenSize();

// Queues the window's destruction; it happens at the next event pass.
void DestroyWindow(ControlRef window);

// Takes every window off the screen at once, without running any handler; the process is about to end.
void HideAllWindowsForEnding();

}  // namespace heartstage::platform
