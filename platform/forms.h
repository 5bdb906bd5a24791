// Forms: the data a window is built from. Each control has a kind, a name, a container, a place and size,
// the initial settings the show depends on, and the window binds handlers to events of named controls.
// The stage describes its two windows this way; the platform builds them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "show/text.h"

namespace heartstage::platform {

// 0x00BBGGRR; kNoColor stands for no colour (no transparent colour; for a background, the system's).
using Color = std::uint32_t;
inline constexpr Color kNoColor = 0xFF000000;

enum class ControlKind { Window, PictureBox, Label, TransparentLabel, PictureButton, Menu, MenuItem };

enum class Event {
  Created,            // window: after its controls exist, before it is first shown
  FirstActivated,     // window
  Destroying,         // window: about to be destroyed
  Clicked,            // picture button
  LeftDoubleClicked,  // picture box
  RightReleased,      // picture box
  Chosen,             // menu item
};

using Handler = std::function<void()>;

struct FontForm {
  std::string face;  // asked for first; Song-style and then any CJK faces follow
  std::int32_t pixel_height = 12;
  std::int32_t weight = 400;  // 700 is bold
};

struct ControlForm {
  ControlKind kind = ControlKind::PictureBox;
  std::string name;
  std::string container;  // the name of the containing control; empty for the window itself
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool visible = true;
  Text caption;  // GBK
  Text tag;      // GBK
  Color background = kNoColor;
  Color text_color = 0;
  Color transparent_color = kNoColor;
  FontForm font;
};

// A control of `kind` named `name` inside `container`, at its place and size in the form; the other settings
// keep their defaults until the caller sets them.
inline ControlForm PlacedControl(ControlKind kind, std::string_view name, std::string_view container,
                                 std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                                 bool visible = true) {
  ControlForm form;
  form.kind = kind;
  form.name = name;
  form.container = container;
  form.left = left;
  form.top = top;
  form.width = width;
  form.height = height;
  form.visible = visible;
  return form;
}

struct EventBinding {
  std::string control;  // empty for the window itself
  Event event;
  Handler handler;
};

struct WindowForm {
  std::string name;
  // The size in the form; the window is centred on the primary screen at creation.
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool visible = true;
  bool always_on_top = false;
  bool esc_closes = false;
  // Whether showing the window activates it; an overlay that never takes the keyboard says no.
  bool takes_focus = true;
  std::vector<ControlForm> controls;
  std::vector<EventBinding> bindings;
};

}  // namespace heartstage::platform
