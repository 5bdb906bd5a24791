// Controls of the program's windows as the stage sees them: referenced by (window, control) identifiers and
// read and written through numbered properties. The numbers mean the same for every kind up to 7; higher
// numbers depend on the kind. Any thread may write a property: a write from another thread is carried out
// on the user-interface thread while the writer waits (see ui_thread.h for how that wait ends early).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/forms.h"
#include "show/state.h"
#include "show/text.h"

namespace heartstage::platform {

namespace property {
// Every kind. Left and Top are in the client coordinates of the container (screen coordinates for a window).
inline constexpr int Left = 0;
inline constexpr int Top = 1;
inline constexpr int Width = 2;
inline constexpr int Height = 3;
inline constexpr int Tag = 4;
inline constexpr int Visible = 5;
// Window.
inline constexpr int EscCloses = 22;
inline constexpr int AlwaysOnTop = 29;
// Picture box.
inline constexpr int Picture = 10;
// Label and transparent label.
inline constexpr int Caption = 8;
inline constexpr int LabelTextColor = 16;
inline constexpr int TransparentLabelTextColor = 11;
// Picture button.
inline constexpr int NormalPicture = 10;
inline constexpr int HotPicture = 11;
inline constexpr int PressedPicture = 12;
inline constexpr int TransparentColor = 14;
}  // namespace property

// Place values are clamped to these bounds when written.
inline constexpr std::int32_t kPlaceLimit = 32627;

// The control named `name` in `window`, or (0, 0) when there is none. The window itself has control 0.
ControlRef FindControl(std::uint32_t window, std::string_view name);
ControlKind KindOf(ControlRef control);
bool ControlExists(ControlRef control);

// Integers, colours and booleans (0 or 1).
void WriteInt(ControlRef control, int number, std::int32_t value);
std::int32_t ReadInt(ControlRef control, int number);
void WriteBool(ControlRef control, int number, bool value);
bool ReadBool(ControlRef control, int number);
void WriteText(ControlRef control, int number, const Text& value);
// A copy of the text; the empty text when none is set.
Text ReadText(ControlRef control, int number);
// The whole content of an image file; an empty buffer means no picture.
void WritePicture(ControlRef control, int number, const ByteBuffer& picture);

// Moves and resizes a control in the client coordinates of its container; what is not given stays; nothing
// happens when the result equals the current rectangle.
struct Placement {
  std::optional<std::int32_t> left = {};
  std::optional<std::int32_t> top = {};
  std::optional<std::int32_t> width = {};
  std::optional<std::int32_t> height = {};
};
void MoveControl(ControlRef control, const Placement& placement);

// A new control made from the form of `original` (not its run-time settings): same kind, window and
// container, the original's handlers, directly behind the original in the stacking order. (0, 0) when it
// cannot be made.
ControlRef CopyControl(ControlRef original);

// The control whose event is being handled, and its kind; (0, 0) outside a handler.
ControlRef EventSource();
ControlKind EventSourceKind();

}  // namespace heartstage::platform
