// Top-level windows of the program, opened from their forms, and the services around them: the screen,
// message boxes, popup menus, event passes and waits.
#pragma once

#include <cstdint>

#include "platform/forms.h"
#include "show/state.h"
#include "show/text.h"

namespace heartstage::platform {

// Opens a window from its form: builds its controls, stores its identifier in `identifier` (the creation
// handler addresses its own window), runs the creation handler, then shows it if the form says visible.
// Returns the identifier, or 0 when the window could not be opened.
std::uint32_t OpenWindow(const WindowForm& form, std::uint32_t* identifier);

ControlRef WindowControl(std::uint32_t window);
std::int32_t OpenWindowCount();

// Runs the event loop until the last window of the program has been destroyed.
void RunEventLoopWhileWindowsAreOpen();

// Queues the window's destruction: it happens, with its about-to-be-destroyed handler, at the next event
// pass.
void DestroyWindow(std::uint32_t window);

// Takes every window off the screen at once, without running any handler; the process is about to end.
void HideAllWindowsForEnding();

// The system handle of a window (the X11 window identifier here).
std::uintptr_t SystemHandle(std::uint32_t window);

// A colour-keyed window, after the Win32 layered-window calls: a window whose extended style has the layered
// flag and that has a colour key shows, and takes the mouse, only where its pixels differ from the key. The
// shape is derived from the window's rendered content, again whenever that content changes (not when the
// window moves). A handle that is not one of our windows gets 0 and changes nothing.
inline constexpr std::int32_t GWL_EXSTYLE = -20;
inline constexpr std::int32_t WS_EX_LAYERED = 0x80000;
inline constexpr std::uint32_t LWA_COLORKEY = 0x1;
inline constexpr std::uint32_t LWA_ALPHA = 0x2;
std::int32_t GetWindowLong(std::uintptr_t handle, std::int32_t index);
// Returns the previous value.
std::int32_t SetWindowLong(std::uintptr_t handle, std::int32_t index, std::int32_t value);
// Non-zero when the attributes were taken: the window must be layered.
std::int32_t SetLayeredWindowAttributes(std::uintptr_t handle, Color key, std::uint8_t alpha,
                                        std::uint32_t flags);

struct ScreenDimensions {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
ScreenDimensions PrimaryScreenSize();

// Handles every event waiting on the user-interface thread, then returns.
void LetPendingEventsThrough();

// Blocks the calling thread; a negative number waits 0 ms.
void WaitMilliseconds(std::int32_t milliseconds);

// A box with the message as plain text, a title, one OK button and no icon, above every other window;
// no owner, application-modal; the windows repaint while it is open. Returns when it is closed.
void ShowMessageBox(const Text& message, const Text& title);

// Pops up the items of `menu` at the screen point (x, y) and returns when the menu closes; a chosen item
// raises its Chosen event before this returns. Either mouse button chooses.
void PopupMenu(ControlRef menu, std::int32_t x, std::int32_t y);

// The mouse cursor's position on the screen.
struct ScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};
ScreenPoint CursorPosition();

}  // namespace heartstage::platform
